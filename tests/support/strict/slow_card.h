#pragma once
// A card as slow as a real CompactFlash card in a USB reader, for the Wine
// tests: ReadFile and WriteFile on files of the marked drive take the time
// the card's bandwidth gives them, and a card "pulled" fails every later call
// on those files the way a removed medium does. Everything else runs at the
// host's speed. The program's own calls meet the rule (import table); calls
// made inside system libraries (the C runtime's buffered I/O) do not.

#include <cstdint>
#include <string>
#include <vector>

namespace tf::testing::strict {

struct SlowCardSpeeds {
    double write_bytes_per_second = 10e6;
    double read_bytes_per_second = 20e6;
};

// Installs the rule for drive `letter` (once per program; later calls only
// change the drive and the speeds). False when the program does not import
// the functions the rule needs.
bool InstallSlowCard(wchar_t letter, SlowCardSpeeds speeds = {});

// From now on every ReadFile and WriteFile on a file of the card opened
// before fails with ERROR_DEVICE_NOT_CONNECTED, and opening one fails with
// ERROR_NOT_READY. Callable from any thread.
void PullSlowCard();
// A card put back: new opens work again (files open at the pull stay broken).
void InsertSlowCard();

// The card's volume ("\\.\K:") as Windows gives it to a program run as a
// standard user, instead of Wine's (which flushes nothing, locks anything
// and answers dismount and eject with ERROR_NOT_SUPPORTED for a folder):
// - opening it without sharing read and write fails (ERROR_SHARING_VIOLATION);
// - FlushFileBuffers on it needs an administrator (ERROR_ACCESS_DENIED);
// - FSCTL_LOCK_VOLUME fails with ERROR_ACCESS_DENIED while any other handle
//   on the card is open; while locked, the card opens to nobody else;
// - FSCTL_DISMOUNT_VOLUME and IOCTL_STORAGE_MEDIA_REMOVAL succeed (without
//   reaching Wine);
// - IOCTL_STORAGE_EJECT_MEDIA succeeds and the card is then gone as after a
//   pull, or fails with ERROR_INVALID_FUNCTION for a reader that cannot eject.
struct CardVolume {
    bool as_windows = false;
    bool reader_ejects = true;
};
void SetCardVolume(CardVolume volume);
// The volume calls made since the last call of SetCardVolume, in order:
// "open", "flush", "lock", "dismount", "removal", "eject", each with
// " refused" when it failed.
std::vector<std::string> CardVolumeCalls();

// Bytes that went through the rule since it was installed.
std::uint64_t SlowCardBytesWritten();
std::uint64_t SlowCardBytesRead();

} // namespace tf::testing::strict
