#pragma once
// The small platform services the windows use besides the file system.
// Each has one Win32 implementation and scripted doubles for the tests.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tf {

// Message boxes.
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Exclamation };
enum class MsgAnswer { Ok, Yes, No, Cancel };
// The button Enter presses: a question whose Yes destroys data makes No the default.
enum class MsgDefault { First, Second };

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer Show(const std::string &text, MsgButtons buttons, MsgIcon icon,
                           const std::string &title,
                           MsgDefault default_button = MsgDefault::First) = 0;
};

// Seconds since midnight, with fractions (the clock the waits use).
class Clock {
  public:
    virtual ~Clock() = default;
    virtual double SecondsSinceMidnight() = 0;
    // Seconds on a clock that only runs forward, whatever the wall clock does
    // (a time sync, a change to or from summer time, a user setting it): the
    // rhythm and the speed of a long step are measured on it.
    virtual double Seconds() = 0;
    virtual int CurrentMinute() = 0; // 0..59
};

// Lets pending window events run once.
class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void DoEvents() = 0;
};

// Multimedia command strings, UTF-8 here; any file name they hold reaches the
// device unchanged.
class MciApi {
  public:
    virtual ~MciApi() = default;
    // Returns the device's error code (0 for success) and the reply cut at its
    // first NUL when reply_length > 0.
    virtual std::uint32_t SendString(const std::string &command, std::string &reply,
                                     unsigned reply_length) = 0;
};

// Cursor and mouse capture. Handles are opaque numbers; 0 is none.
class CursorApi {
  public:
    virtual ~CursorApi() = default;
    virtual std::uintptr_t LoadCursorFromFile(const std::string &path) = 0;
    virtual std::uintptr_t StandardWaitCursor() = 0;
    virtual std::uintptr_t SetCursor(std::uintptr_t cursor) = 0; // returns the previous one
    virtual void SetCapture(std::uintptr_t window) = 0;
    virtual void ReleaseCapture() = 0;
};

// Runs a command line as a process in a minimized window and waits for its
// end; `while_waiting` runs between short waits so the caller's windows stay
// alive. A process that outlives the timeout is left running, not killed.
struct ProcessOutcome {
    enum class State { NotStarted, TimedOut, Exited };
    State state = State::NotStarted;
    std::uint32_t exit_code = 0; // valid when Exited
};

class ProcessStarter {
  public:
    virtual ~ProcessStarter() = default;
    virtual ProcessOutcome Run(const std::string &command_line, double timeout_seconds,
                               const std::function<void()> &while_waiting) = 0;
};

// The machine-wide part of the registry (HKEY_LOCAL_MACHINE, the view of the
// running program). Keys are paths below it; writes and deletes throw
// std::runtime_error when refused, deleting what is absent is no failure.
class Registry {
  public:
    virtual ~Registry() = default;
    virtual bool KeyExists(const std::string &key) = 0;
    virtual std::optional<std::uint32_t> ReadDword(const std::string &key,
                                                   const std::string &name) = 0;
    virtual std::optional<std::string> ReadString(const std::string &key,
                                                  const std::string &name) = 0;
    virtual void WriteDword(const std::string &key, const std::string &name,
                            std::uint32_t value) = 0;
    virtual void WriteString(const std::string &key, const std::string &name,
                             const std::string &value) = 0;
    virtual void DeleteValue(const std::string &key, const std::string &name) = 0;
    // The key and its values; it must have no subkeys.
    virtual void DeleteKey(const std::string &key) = 0;
};

// Special folders and shortcuts of the shell.
class ShellApi {
  public:
    virtual ~ShellApi() = default;
    // The folder's path without trailing separator, "" when it cannot be resolved.
    virtual std::string SpecialFolderPath(int csidl) = 0;
    // Writes a shortcut file; false when it could not be created or saved.
    virtual bool CreateShortcut(const std::string &target, const std::string &link_file,
                                const std::string &arguments, const std::string &description,
                                const std::string &working_folder) = 0;
};

// Where the running program lives and where a user's own settings go.
class AppPaths {
  public:
    virtual ~AppPaths() = default;
    virtual std::string ProgramFolder() = 0;  // no trailing separator
    virtual std::string UserDataFolder() = 0; // %APPDATA%, no trailing separator
};

// The user's regional settings.
class Locale {
  public:
    virtual ~Locale() = default;
    // A whole number with the user's digit grouping ("1.541" on a German system).
    virtual std::string GroupDigits(long long n) = 0;
};

// The conversion library, loaded at the first call and kept loaded.
class ConversionLibrary {
  public:
    virtual ~ConversionLibrary() = default;
    enum class LoadResult { Ok, NotFound, NoEntryPoint };
    virtual LoadResult Load() = 0; // idempotent
    // Strings are UTF-8 paths / 30 name bytes already in the ANSI code page / 4 code bytes.
    // With `meanwhile` the library's one call runs on a worker thread, and
    // `meanwhile` runs on the calling thread about every 50 ms until the call
    // has returned (so the window can take its messages); without, the call
    // runs on the calling thread.
    virtual std::int32_t Projektdatei_erstellen(const std::string &source_ansi,
                                                const std::string &target_ansi,
                                                std::string &name_ansi, const std::string &code,
                                                const std::function<void()> &meanwhile = {}) = 0;
};

// Turns an audio file the device cannot play (another rate, mono, 24 bit,
// FLAC, MP3, ...) into a wave it can: PCM, stereo, 16 bit, 44100 Hz.
class AudioPreparation {
  public:
    virtual ~AudioPreparation() = default;
    enum class Verdict { Decodable, TooManyChannels, NotDecodable };
    enum class Result {
        Done,
        NotDecodable,     // gone, unreadable, or nothing here understands it
        TooManyChannels,  // more than two: no downmix is guessed
        TargetExists,     // an existing file is never replaced
        TargetNotCreated, // the folder is missing or cannot be written
        Failed,           // cut short midway (a full disk, a read error); nothing is left
        Damaged,          // the file itself is cut short or corrupted; nothing is made
        RateUnsupported,  // its header gives a rate no audio has; nothing is made
    };
    struct Outcome {
        Result result = Result::Failed;
        std::uint64_t clipped = 0; // samples beyond full scale, clipped
        // Damaged: whether the file just ends early, and the seconds it holds
        // of those its header gives.
        bool ends_early = false;
        std::uint64_t seconds_held = 0, seconds_declared = 0;
        std::uint32_t rate = 0; // the source's, as its header gives it
    };
    struct Level {
        Outcome outcome;        // Done, or why the file cannot be prepared
        std::uint64_t over = 0; // samples that would clip
        double lower_db = 0;    // the lowering after which none would
    };
    // Whether Prepare could read the file at all; cheap, reads only its start.
    virtual Verdict Probe(const std::string &source) = 0;
    // Bytes of the device-ready wave made (or measured) so far and the size it
    // will have (0 when the source does not tell its length); told after each
    // block on the calling thread.
    using Progress = std::function<void(std::uint64_t done, std::uint64_t expected)>;
    // Reads the whole file once, writing nothing, for the level Prepare would give.
    virtual Level Measure(const std::string &source, const Progress &progress = {}) = 0;
    // Writes the device-ready wave at `target`, which appears complete or not
    // at all, its level lowered by `lower_db`.
    virtual Outcome Prepare(const std::string &source, const std::string &target, double lower_db,
                            const Progress &progress = {}) = 0;
};

} // namespace tf
