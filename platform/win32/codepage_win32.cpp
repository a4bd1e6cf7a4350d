// The program's UTF-8 text against the system's ANSI code page and UTF-16.
#include "platform/codepage.h"
#include "platform/win32/wide.h"

namespace tf::win32 {

namespace {

std::wstring ToWide(UINT cp, DWORD flags, const std::string &s, bool *ok) {
    if (ok)
        *ok = true;
    if (s.empty())
        return {};
    const int n = static_cast<int>(s.size());
    int len = MultiByteToWideChar(cp, flags, s.data(), n, nullptr, 0);
    if (len <= 0) {
        if (ok)
            *ok = false;
        if (flags == 0)
            return {};
        len = MultiByteToWideChar(cp, 0, s.data(), n, nullptr, 0);
        flags = 0;
    }
    std::wstring out(static_cast<std::size_t>(len), L'\0');
    MultiByteToWideChar(cp, flags, s.data(), n, out.data(), len);
    return out;
}

std::string FromWide(UINT cp, DWORD flags, const std::wstring &w, const char *default_char,
                     BOOL *used_default) {
    if (w.empty())
        return {};
    const int n = static_cast<int>(w.size());
    const int len =
        WideCharToMultiByte(cp, flags, w.data(), n, nullptr, 0, default_char, used_default);
    if (len <= 0)
        return {};
    std::string out(static_cast<std::size_t>(len), '\0');
    WideCharToMultiByte(cp, flags, w.data(), n, out.data(), len, default_char, used_default);
    return out;
}

} // namespace

std::wstring Widen(const std::string &utf8) {
    return ToWide(CP_UTF8, 0, utf8, nullptr);
}

std::string Narrow(const std::wstring &wide) {
    return FromWide(CP_UTF8, 0, wide, nullptr, nullptr);
}

std::string Narrow(const wchar_t *wide) {
    return wide ? Narrow(std::wstring(wide)) : std::string();
}

std::string ErrorText(DWORD code) {
    wchar_t *buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(buffer, &LocalFree);
    std::string text = n ? Narrow(std::wstring(buffer, n)) : std::string();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return "error " + std::to_string(code) + (text.empty() ? "" : ": " + text);
}

} // namespace tf::win32

namespace tf {

std::string Utf8ToAnsi(const std::string &utf8, bool *lossless, char replacement) {
    bool valid = true;
    const std::wstring wide = win32::ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, &valid);
    BOOL used_default = FALSE;
    std::string out;
    if (GetACP() == CP_UTF8) {
        // The system option "Use Unicode UTF-8": the conversion takes neither
        // flags nor a default character there, and every character has bytes.
        out = win32::FromWide(CP_ACP, 0, wide, nullptr, nullptr);
    } else {
        // No best fit: "ł" must not quietly become "l" in a path.
        const char def[2] = {replacement, 0};
        out = win32::FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, def, &used_default);
    }
    // A conversion that failed gives nothing, and nothing is no name.
    if (lossless)
        *lossless = valid && !used_default && out.empty() == utf8.empty();
    return out;
}

std::string AnsiToUtf8(const std::string &ansi) {
    return win32::Narrow(win32::ToWide(CP_ACP, 0, ansi, nullptr));
}

} // namespace tf
