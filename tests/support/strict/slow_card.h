#pragma once
// A card as slow as a real CompactFlash card in a USB reader, for the Wine
// tests: ReadFile and WriteFile on files of the marked drive take the time
// the card's bandwidth gives them, and a card "pulled" fails every later call
// on those files the way a removed medium does. Everything else runs at the
// host's speed. The program's own calls meet the rule (import table); calls
// made inside system libraries (the C runtime's buffered I/O) do not.

#include <cstdint>

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

// Bytes that went through the rule since it was installed.
std::uint64_t SlowCardBytesWritten();
std::uint64_t SlowCardBytesRead();

} // namespace tf::testing::strict
