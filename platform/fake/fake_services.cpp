#include "platform/fake/fake_services.h"

#include <cmath>
#include <string>

namespace tf::fake {

MsgAnswer ScriptedMessageBoxes::Show(const std::string &text, MsgButtons buttons, MsgIcon icon,
                                     const std::string &title, MsgDefault default_button) {
    calls.push_back({text, buttons, icon, title, default_button});
    if (on_show)
        on_show(calls.back());
    if (!answers.empty()) {
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : default_answer;
}

std::vector<std::string> ScriptedMessageBoxes::Texts() const {
    std::vector<std::string> out;
    for (const Call &c : calls)
        out.push_back(c.text);
    return out;
}

std::string ScriptedFileDialogs::Show(const ui::FileDialogRequest &request) {
    requests.push_back(request);
    if (answers.empty())
        return default_answer;
    std::string a = answers.front();
    answers.pop_front();
    return a;
}

void FakeClock::Advance(double s) {
    seconds = std::fmod(seconds + s, 86400.0);
    if (seconds < 0)
        seconds += 86400.0;
}

double FakeClock::SecondsSinceMidnight() {
    ++reads;
    double now = seconds;
    if (advance_per_read != 0)
        Advance(advance_per_read);
    return now;
}

int FakeClock::CurrentMinute() {
    return static_cast<int>(seconds / 60) % 60;
}

void RecordingEventPump::DoEvents() {
    ++count;
    if (clock_ && seconds_per_call_ != 0)
        clock_->Advance(seconds_per_call_);
    if (on_do_events)
        on_do_events();
}

std::uint32_t RecordingMci::SendString(const std::string &command, std::string &reply,
                                       unsigned reply_length) {
    calls.push_back({command, reply_length});
    reply.clear();
    if (!responder)
        return 0;
    auto [code, text] = responder(command);
    if (reply_length > 0)
        reply = text.substr(0, reply_length);
    return code;
}

std::vector<std::string> RecordingMci::Commands() const {
    std::vector<std::string> out;
    for (const Call &c : calls)
        out.push_back(c.command);
    return out;
}

std::uintptr_t FakeCursorApi::LoadCursorFromFile(const std::string &path) {
    calls.push_back("LoadCursorFromFile(" + path + ")");
    return loaded_cursor;
}

std::uintptr_t FakeCursorApi::StandardWaitCursor() {
    calls.push_back("StandardWaitCursor");
    return wait_cursor;
}

std::uintptr_t FakeCursorApi::SetCursor(std::uintptr_t cursor) {
    calls.push_back("SetCursor(" + std::to_string(cursor) + ")");
    std::uintptr_t previous = current;
    current = cursor;
    return previous;
}

void FakeCursorApi::SetCapture(std::uintptr_t window) {
    calls.push_back("SetCapture(" + std::to_string(window) + ")");
    captured = true;
    capture_window = window;
}

void FakeCursorApi::ReleaseCapture() {
    calls.push_back("ReleaseCapture");
    captured = false;
    capture_window = 0;
}

bool FakeProcessStarter::Start(const std::string &command_line) {
    command_lines.push_back(command_line);
    return result;
}

std::string FakeShellApi::SpecialFolderPath(int csidl) {
    auto it = special_folders.find(csidl);
    return it == special_folders.end() ? "" : it->second;
}

bool FakeShellApi::CreateShortcut(const std::string &target, const std::string &link_file,
                                  const std::string &arguments, const std::string &description,
                                  const std::string &working_folder) {
    shortcuts.push_back({target, link_file, arguments, description, working_folder});
    if (!shortcut_result)
        return false;
    if (fs) {
        try {
            fs->WriteFile(link_file, "link to " + target);
        } catch (const std::exception &) {
            return false;
        }
    }
    return true;
}

std::string FakeLocale::GroupDigits(long long n) {
    std::string digits =
        std::to_string(n < 0 ? -(n + 1) + 1ull : static_cast<unsigned long long>(n));
    std::string out;
    int count = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (count > 0 && count % 3 == 0)
            out.insert(0, separator);
        out.insert(out.begin(), *it);
        ++count;
    }
    return n < 0 ? "-" + out : out;
}

ConversionLibrary::LoadResult FakeConversionLibrary::Load() {
    ++loads;
    return load_result;
}

std::int32_t FakeConversionLibrary::Projektdatei_erstellen(const std::string &source_ansi,
                                                           const std::string &target_ansi,
                                                           std::string &name_ansi,
                                                           const std::string &code,
                                                           const std::function<void()> &meanwhile) {
    calls.push_back({source_ansi, target_ansi, name_ansi, code});
    for (int i = 0; meanwhile && i < meanwhile_rounds; ++i) {
        if (on_meanwhile)
            on_meanwhile(i);
        meanwhile();
    }
    if (on_call)
        on_call(calls.back());
    if (rewrite_name)
        name_ansi = rewrite_name(name_ansi);
    return return_code;
}

} // namespace tf::fake
