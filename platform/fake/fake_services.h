#pragma once
// Scripted and recording doubles of the small platform services.
//
//   tf::fake::ScriptedMessageBoxes msg;      msg.answers.push_back(tf::MsgAnswer::No);
//   ... run the handler ...
//   EXPECT_EQ(msg.calls.at(0).text, "...");  EXPECT_EQ(msg.calls.at(0).title, "NOVALUX");
//
//   tf::fake::ScriptedFileDialogs dialogs;   dialogs.answers.push_back("e:\\a.wav"); // "" = cancel
//   tf::fake::FakeClock clock;               clock.SetTime(23, 59, 50);
//   tf::fake::RecordingEventPump events(&clock, 1.0); // each DoEvents lets 1 s pass
//   events.on_do_events = [&] { ... };       // runs inside every DoEvents
//
// Everything is public and plain so a test can read or preset it directly.

#include "platform/fake/fake_file_system.h"
#include "platform/services.h"
#include "platform/ui/file_dialog.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tf::fake {

class ScriptedMessageBoxes : public MessageBoxes {
  public:
    struct Call {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
        std::string title;
        MsgDefault default_button = MsgDefault::First;
    };
    std::vector<Call> calls;
    // Answers in order; when empty, OK boxes answer Ok and the others
    // `default_answer`.
    std::deque<MsgAnswer> answers;
    MsgAnswer default_answer = MsgAnswer::Yes;
    // Runs inside Show before it answers (e.g. to check state at that moment).
    std::function<void(const Call &)> on_show;

    MsgAnswer Show(const std::string &text, MsgButtons buttons, MsgIcon icon,
                   const std::string &title,
                   MsgDefault default_button = MsgDefault::First) override;
    std::vector<std::string> Texts() const;
};

class ScriptedFileDialogs : public ui::FileDialogService {
  public:
    std::vector<ui::FileDialogRequest> requests;
    std::deque<std::string> answers; // "" cancels
    std::string default_answer;      // used when `answers` is empty ("" cancels)
    std::string Show(const ui::FileDialogRequest &request) override;
};

class FakeClock : public Clock {
  public:
    double seconds = 0;          // since midnight, 0 <= seconds < 86400
    double advance_per_read = 0; // added after every reading of either clock
    // The wall clock only: as a time sync or the user sets it.
    void SetTime(int h, int m, double s) { seconds = h * 3600.0 + m * 60.0 + s; }
    // Time passes: moves both clocks on by `s` seconds, the wall clock
    // wrapping at midnight.
    void Advance(double s);
    int reads = 0;
    double steady = 0; // what Seconds() gives

    double SecondsSinceMidnight() override;
    double Seconds() override;
    int CurrentMinute() override; // taken from `seconds`

  private:
    // One reading of `clock` (either of the two), counted, time then moving on.
    double Read(const double &clock);
};

class RecordingEventPump : public EventPump {
  public:
    explicit RecordingEventPump(FakeClock *clock = nullptr, double seconds_per_call = 0)
        : clock_(clock), seconds_per_call_(seconds_per_call) {}
    int count = 0;
    std::function<void()> on_do_events;
    void DoEvents() override;

  private:
    FakeClock *clock_;
    double seconds_per_call_;
};

class RecordingMci : public MciApi {
  public:
    struct Call {
        std::string command;
        unsigned reply_length;
    };
    std::vector<Call> calls;
    // Answers by command; when unset every command gives 0 and an empty reply.
    std::function<std::pair<std::uint32_t, std::string>(const std::string &command)> responder;
    std::uint32_t SendString(const std::string &command, std::string &reply,
                             unsigned reply_length) override;
    std::vector<std::string> Commands() const;
};

// Records every call as text, in order: "LoadCursorFromFile(c:\x.ani)",
// "StandardWaitCursor", "SetCursor(7)", "SetCapture(100)", "ReleaseCapture".
class FakeCursorApi : public CursorApi {
  public:
    std::vector<std::string> calls;
    std::uintptr_t loaded_cursor = 0xA1; // what LoadCursorFromFile gives (0: failure)
    std::uintptr_t wait_cursor = 0xB2;
    std::uintptr_t current = 0xC3; // the cursor shown now
    bool captured = false;
    std::uintptr_t capture_window = 0;

    std::uintptr_t LoadCursorFromFile(const std::string &path) override;
    std::uintptr_t StandardWaitCursor() override;
    std::uintptr_t SetCursor(std::uintptr_t cursor) override;
    void SetCapture(std::uintptr_t window) override;
    void ReleaseCapture() override;
};

// Every command line is recorded; its outcome is the one given for that line,
// else `outcome` (an exit with status 0). The process ends at once: nothing
// runs while it is waited for, unless `pump_while_waiting` says so.
class FakeProcessStarter : public ProcessStarter {
  public:
    std::vector<std::string> command_lines;
    ProcessOutcome outcome{ProcessOutcome::State::Exited, 0};
    std::map<std::string, ProcessOutcome> outcomes;
    bool pump_while_waiting = false;
    ProcessOutcome Run(const std::string &command_line, double timeout_seconds,
                       const std::function<void()> &while_waiting) override;
};

// Keys and value names compare without regard to case, as in the registry.
class FakeRegistry : public Registry {
  public:
    struct Key {
        std::map<std::string, std::uint32_t> dwords;
        std::map<std::string, std::string> strings;
    };
    std::map<std::string, Key> keys; // by lower-case path
    // Writes and deletes below a key starting with this path throw.
    std::string refused_prefix;

    bool KeyExists(const std::string &key) override;
    std::optional<std::uint32_t> ReadDword(const std::string &key,
                                           const std::string &name) override;
    std::optional<std::string> ReadString(const std::string &key, const std::string &name) override;
    void WriteDword(const std::string &key, const std::string &name, std::uint32_t value) override;
    void WriteString(const std::string &key, const std::string &name,
                     const std::string &value) override;
    void DeleteValue(const std::string &key, const std::string &name) override;
    void DeleteKey(const std::string &key) override;

  private:
    Key &Writable(const std::string &key);
};

class FakeShellApi : public ShellApi {
  public:
    struct Shortcut {
        std::string target, link_file, arguments, description, working_folder;
    };
    std::map<int, std::string> special_folders; // csidl -> path; others give ""
    std::vector<Shortcut> shortcuts;
    bool shortcut_result = true;
    // When set, a successful CreateShortcut also writes the link file there.
    FakeFileSystem *fs = nullptr;

    std::string SpecialFolderPath(int csidl) override;
    bool CreateShortcut(const std::string &target, const std::string &link_file,
                        const std::string &arguments, const std::string &description,
                        const std::string &working_folder) override;
};

class FakeAppPaths : public AppPaths {
  public:
    std::string program_folder = "c:\\Programme\\NOVALUX Trackforge";
    std::string user_data_folder = "c:\\Users\\Test\\AppData\\Roaming";
    std::string ProgramFolder() override { return program_folder; }
    std::string UserDataFolder() override { return user_data_folder; }
};

class FakeLocale : public Locale {
  public:
    std::string separator = "."; // German grouping by default
    std::string GroupDigits(long long n) override;
};

class FakeConversionLibrary : public ConversionLibrary {
  public:
    struct Call {
        std::string source, target, name, code;
    };
    LoadResult load_result = LoadResult::Ok;
    int loads = 0;
    std::vector<Call> calls;
    std::int32_t return_code = -4;
    // Runs inside the call (e.g. to write the target through a FakeFileSystem).
    std::function<void(const Call &)> on_call;
    // What the name buffer holds after the call; unset leaves it as passed.
    std::function<std::string(const std::string &name)> rewrite_name;

    // How often the call's `meanwhile` runs before it returns, as a worker
    // that takes that many 50 ms rounds would (none: a call quicker than the
    // first round); `on_meanwhile` runs before each round (e.g. to let the
    // target grow).
    int meanwhile_rounds = 0;
    std::function<void(int round)> on_meanwhile;

    LoadResult Load() override;
    std::int32_t Projektdatei_erstellen(const std::string &source_ansi,
                                        const std::string &target_ansi, std::string &name_ansi,
                                        const std::string &code,
                                        const std::function<void()> &meanwhile = {}) override;
};

} // namespace tf::fake
