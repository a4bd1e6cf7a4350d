#include "platform/fake/fake_services.h"

#include <cmath>
#include <stdexcept>
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
    steady += s;
    seconds = std::fmod(seconds + s, 86400.0);
    if (seconds < 0)
        seconds += 86400.0;
}

double FakeClock::Read(const double &clock) {
    ++reads;
    const double now = clock;
    if (advance_per_read != 0)
        Advance(advance_per_read);
    return now;
}

double FakeClock::SecondsSinceMidnight() {
    return Read(seconds);
}

double FakeClock::Seconds() {
    return Read(steady);
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

ProcessOutcome FakeProcessStarter::Run(const std::string &command_line, double,
                                       const std::function<void()> &while_waiting) {
    command_lines.push_back(command_line);
    auto it = outcomes.find(command_line);
    const ProcessOutcome o = it == outcomes.end() ? outcome : it->second;
    if (pump_while_waiting && o.state != ProcessOutcome::State::NotStarted && while_waiting)
        while_waiting();
    return o;
}

namespace {
std::string Lower(std::string s) {
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}
} // namespace

bool FakeRegistry::KeyExists(const std::string &key) {
    return keys.count(Lower(key)) > 0;
}

std::optional<std::uint32_t> FakeRegistry::ReadDword(const std::string &key,
                                                     const std::string &name) {
    auto k = keys.find(Lower(key));
    if (k == keys.end())
        return std::nullopt;
    auto v = k->second.dwords.find(Lower(name));
    return v == k->second.dwords.end() ? std::nullopt : std::optional<std::uint32_t>(v->second);
}

std::optional<std::string> FakeRegistry::ReadString(const std::string &key,
                                                    const std::string &name) {
    auto k = keys.find(Lower(key));
    if (k == keys.end())
        return std::nullopt;
    auto v = k->second.strings.find(Lower(name));
    return v == k->second.strings.end() ? std::nullopt : std::optional<std::string>(v->second);
}

FakeRegistry::Key &FakeRegistry::Writable(const std::string &key) {
    if (!refused_prefix.empty() && Lower(key).starts_with(Lower(refused_prefix)))
        throw std::runtime_error("access denied: " + key);
    return keys[Lower(key)];
}

void FakeRegistry::WriteDword(const std::string &key, const std::string &name,
                              std::uint32_t value) {
    Key &k = Writable(key);
    k.strings.erase(Lower(name));
    k.dwords[Lower(name)] = value;
}

void FakeRegistry::WriteString(const std::string &key, const std::string &name,
                               const std::string &value) {
    Key &k = Writable(key);
    k.dwords.erase(Lower(name));
    k.strings[Lower(name)] = value;
}

void FakeRegistry::DeleteValue(const std::string &key, const std::string &name) {
    if (!KeyExists(key))
        return;
    Key &k = Writable(key);
    k.dwords.erase(Lower(name));
    k.strings.erase(Lower(name));
}

void FakeRegistry::DeleteKey(const std::string &key) {
    if (!KeyExists(key))
        return;
    Writable(key);
    keys.erase(Lower(key));
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
