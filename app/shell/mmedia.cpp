#include "app/shell/mmedia.h"
#include "platform/codepage.h"
#include "platform/trace_log.h"

#include <array>
#include <cctype>
#include <charconv>
#include <string_view>
#include <system_error>

namespace tf {

namespace {

// Status replies are read into a buffer of this many characters.
constexpr unsigned kReplyLength = 255;

std::string UpperAscii(std::string s) {
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The device type for a file ending, "" when the ending is not one we play.
std::string DeviceType(const std::string &ending) {
    struct Known {
        const char *ending;
        const char *type;
    };
    static constexpr std::array<Known, 3> kKnown{{
        {"WAV", "Waveaudio"},
        {"AVI", "AviVideo"},
        {"MID", "Sequencer"},
    }};
    const std::string upper = UpperAscii(ending);
    for (const Known &k : kKnown)
        if (upper == k.ending)
            return k.type;
    return {};
}

// The number as plain decimal text: 12.5 gives "12.5", 3 gives "3".
std::string NumberText(float n) {
    std::array<char, 64> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), n);
    if (ec != std::errc())
        return "0";
    return std::string(buf.data(), end);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The leading numeric part of a reply ("1234 ms" gives 1234); 0 when there is none.
float LeadingNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    while (i < s.size() && IsDigit(s[i]))
        ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
    }
    std::size_t end = i;
    // An exponent counts only when digits follow it.
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j]))
                ++j;
            end = j;
        }
    }
    std::string number(s.substr(start, end - start));
    if (number.empty() || number == ".")
        return 0.0f;
    if (number.front() == '.')
        number.insert(number.begin(), '0');
    float value = 0.0f;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc())
        return 0.0f;
    (void)ptr;
    return negative ? -value : value;
}

} // namespace

std::string Mmedia::DevicePath(const std::string &path) {
    bool lossless = false;
    Utf8ToAnsi(path, &lossless);
    if (lossless || !fs_)
        return path;
    try {
        const std::string short_path = fs_->ShortPathName(path);
        Utf8ToAnsi(short_path, &lossless);
        if (!short_path.empty() && lossless)
            return short_path;
    } catch (const FsError &e) {
        trace::Swallowed("Mmedia: short path", e.what());
    }
    return path; // the wide call still carries it to devices that take it
}

void Mmedia::Send(const std::string &command) {
    std::string unused;
    mci_.SendString(command, unused, 0);
}

std::string Mmedia::Query(const std::string &what) {
    std::string reply;
    mci_.SendString("Status " + alias_ + " " + what, reply, kReplyLength);
    const auto nul = reply.find('\0');
    if (nul != std::string::npos)
        reply.resize(nul);
    return reply;
}

void Mmedia::mmOpen(const std::string &sTheFile) {
    if (!alias_.empty())
        mmClose();
    if (sTheFile.size() < 3)
        return;
    const std::string ending = sTheFile.substr(sTheFile.size() - 3);
    const std::string type = DeviceType(ending);
    if (type.empty())
        return;
    alias_ = ending + std::to_string(clock_.CurrentMinute());
    file_name_ = sTheFile;
    std::string path = DevicePath(sTheFile);
    if (path.find(' ') != std::string::npos)
        path = "\"" + path + "\"";
    // Whether the device opened is not examined: the alias stays, later commands fail silently.
    Send("Open " + path + " ALIAS " + alias_ + " TYPE " + type + " wait");
}

void Mmedia::mmClose() {
    if (alias_.empty())
        return;
    Send("Close " + alias_);
    alias_.clear();
    file_name_.clear();
}

void Mmedia::mmPause() {
    if (!alias_.empty())
        Send("Pause " + alias_);
}

void Mmedia::mmPlay() {
    if (alias_.empty())
        return;
    Send("Play " + alias_ + (wait_ ? " wait" : ""));
}

void Mmedia::mmStop() {
    if (!alias_.empty())
        Send("Stop " + alias_);
}

void Mmedia::mmSeek(float nPosition) {
    Send("Seek " + alias_ + " to " + NumberText(nPosition));
}

float Mmedia::Length() {
    return alias_.empty() ? 0.0f : LeadingNumber(Query("length"));
}

float Mmedia::Position() {
    return alias_.empty() ? 0.0f : LeadingNumber(Query("position"));
}

std::string Mmedia::Status() {
    return alias_.empty() ? std::string() : Query("mode");
}

} // namespace tf
