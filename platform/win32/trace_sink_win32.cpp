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

// "10.0 build 19045" (with a service pack where there is one), from ntdll,
// looked up at run time as it is in no import library of the SDK's user mode.
std::string WindowsVersion() {
    using GetVersionFn = LONG(WINAPI *)(OSVERSIONINFOW *);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto get = ntdll ? reinterpret_cast<GetVersionFn>(reinterpret_cast<void (*)()>(
                                 GetProcAddress(ntdll, "RtlGetVersion")))
                           : nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!get || get(&info) != 0)
        return "unknown";
    std::string text = std::to_string(info.dwMajorVersion) + "." +
                       std::to_string(info.dwMinorVersion) + " build " +
                       std::to_string(info.dwBuildNumber);
    if (info.szCSDVersion[0])
        text.append(" ").append(Narrow(info.szCSDVersion));
    // Wine answers as the Windows it plays; which Wine it is matters as much.
    using WineVersionFn = const char *(CDECL *)();
    if (const auto wine = ntdll ? reinterpret_cast<WineVersionFn>(reinterpret_cast<void (*)()>(
                                      GetProcAddress(ntdll, "wine_get_version")))
                                : nullptr)
        text.append(" (Wine ").append(wine()).append(")");
    return text;
}

// The system DPI, the one every monitor shares at start.
int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    if (!screen)
        return 0;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

const char *DriveTypeName(UINT type) {
    switch (type) {
    case DRIVE_REMOVABLE:
        return "removable";
    case DRIVE_FIXED:
        return "fixed";
    case DRIVE_REMOTE:
        return "network";
    case DRIVE_CDROM:
        return "CD-ROM";
    case DRIVE_RAMDISK:
        return "RAM disk";
    case DRIVE_NO_ROOT_DIR:
        return "no root";
    default:
        return "unknown";
    }
}

// "C: fixed, D: CD-ROM"; the type alone touches no medium.
std::string Drives() {
    const DWORD mask = GetLogicalDrives();
    std::string text;
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i)))
            continue;
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
        if (!text.empty())
            text += ", ";
        text +=
            std::string(1, static_cast<char>('A' + i)) + ": " + DriveTypeName(GetDriveTypeW(root));
    }
    return text.empty() ? "none" : text;
}

} // namespace

void TraceStart(std::string_view version) noexcept {
    try {
        trace::Swallowed("start", g_program + " " + std::string(version) + ", Windows " +
                                      WindowsVersion() + ", ANSI code page " +
                                      std::to_string(GetACP()) + ", " +
                                      std::to_string(ScreenDpi()) + " DPI, drives " + Drives());
    } catch (...) {
    }
}

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
