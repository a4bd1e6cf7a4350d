#include "platform/win32/trace_sink_win32.h"

#include "platform/trace_log.h"
#include "platform/win32/wide.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>

namespace tf::win32 {

namespace {

std::wstring g_folder; // ...\Trackforge, empty when unknown
std::wstring g_file;
std::string g_program;

std::wstring LocalAppData() {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH * 2);
    if (n > 0 && n < MAX_PATH * 2)
        return buffer;
    PWSTR known = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)))
        path = known;
    CoTaskMemFree(known);
    return path;
}

std::string Stamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return buffer;
}

UniqueHandle OpenForAppend() {
    return Own(CreateFileW(g_file.c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Both programs may write; each line is one append, so lines do not mix.
void Append(const std::string &line) {
    CreateDirectoryW(g_folder.c_str(), nullptr);
    UniqueHandle h = OpenForAppend();
    if (!h)
        return;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.get(), &size) &&
        static_cast<std::uint64_t>(size.QuadPart) + line.size() > kTraceLogLimit) {
        h.reset();
        MoveFileExW(g_file.c_str(), (g_file + L".1").c_str(), MOVEFILE_REPLACE_EXISTING);
        h = OpenForAppend();
        if (!h)
            return;
    }
    DWORD written = 0;
    WriteFile(h.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void Sink(std::string_view text) noexcept {
    // Callers may read the last error after a step they let fail.
    const DWORD saved = GetLastError();
    try {
        // One runaway detail must not push everything else out of the file.
        constexpr std::size_t kLongest = 4096;
        if (text.size() > kLongest)
            text = text.substr(0, kLongest);
        std::string line = Stamp() + " " + g_program + "[" + std::to_string(GetCurrentProcessId()) +
                           "] " + std::string(text) + "\r\n";
        OutputDebugStringW(Widen(line).c_str());
        if (!g_file.empty())
            Append(line);
    } catch (...) {
        // Tracing must never change what the program does.
    }
    SetLastError(saved);
}

} // namespace

void InstallTraceSink(std::string_view program) noexcept {
    try {
        g_program = program;
        const std::wstring base = LocalAppData();
        g_folder = base.empty() ? std::wstring() : base + L"\\Trackforge";
        g_file = base.empty() ? std::wstring() : g_folder + L"\\Trackforge.log";
    } catch (...) {
        g_file.clear();
    }
    trace::SetSink(&Sink);
}

std::wstring TraceLogPath() {
    return g_file;
}

void SwallowedError(std::string_view where, std::string_view detail, unsigned long code) noexcept {
    try {
        trace::Swallowed(where, std::string(detail) + ": " + ErrorText(code));
    } catch (...) {
    }
}

} // namespace tf::win32
