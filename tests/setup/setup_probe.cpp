// What the Wine install test asks of the real system, from inside Wine:
//   setup_probe lnk <csidl>         the shortcut in that shell folder, read back
//                                   through the shell's own link object, one
//                                   "key=value" a line
//   setup_probe table               the installer's own file table, "name<TAB>folder"
//   setup_probe ansicht <Setup.exe> <switch>
//                                   starts Setup.exe for a picture, clicks every
//                                   button of its window, then closes it; prints
//                                   "exit=<status>" or what went wrong
//   setup_probe antworte <exe> <switches> <button id>...
//                                   starts the program, answers each message box
//                                   it shows with the given button, printing
//                                   "box=<text>" for each; then "exit=<status>"
//   setup_probe sperre <file> <marker>
//                                   holds the file open (others may only read it)
//                                   until the marker file is deleted
#include "setup/dateiliste.h"

#include <windows.h>

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

template <class I> struct Released {
    I *p = nullptr;
    ~Released() {
        if (p)
            p->Release();
    }
};

struct ComInit {
    ComInit() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComInit() { CoUninitialize(); }
};

int Shortcut(int csidl) {
    ComInit com;
    wchar_t desktop[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, desktop))) {
        std::puts("error=no such folder");
        return 2;
    }
    const std::wstring link = std::wstring(desktop) + L"\\Trackforge.lnk";
    Released<IShellLinkA> shell_link;
    Released<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void **>(&shell_link.p))) ||
        FAILED(
            shell_link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file.p)))) {
        std::puts("error=no shell link object");
        return 2;
    }
    if (FAILED(file.p->Load(link.c_str(), STGM_READ))) {
        std::puts("error=no shortcut in that folder");
        return 1;
    }
    char path[MAX_PATH] = {}, args[MAX_PATH] = {}, desc[MAX_PATH] = {}, dir[MAX_PATH] = {};
    shell_link.p->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
    shell_link.p->GetArguments(args, MAX_PATH);
    shell_link.p->GetDescription(desc, MAX_PATH);
    shell_link.p->GetWorkingDirectory(dir, MAX_PATH);
    std::printf("path=%s\nargs=%s\ndesc=%s\nworkdir=%s\n", path, args, desc, dir);
    return 0;
}

int Table() {
    for (const tf::setup::Dateieintrag &e : tf::setup::Dateiliste_fuellen("c:/windows/"))
        if (!e.Dateiname.empty())
            std::printf("%s\t%s\n", e.Dateiname.c_str(), e.Zielordner.c_str());
    return 0;
}

struct Search {
    DWORD pid;
    const wchar_t *window_class; // nullptr: any
    HWND window = nullptr;
};

// The first visible top-level window of the process, of that class if named.
HWND WindowOf(DWORD pid, const wchar_t *window_class = nullptr) {
    Search s{pid, window_class};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto *s = reinterpret_cast<Search *>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            if (owner == s->pid && IsWindowVisible(h) &&
                (!s->window_class || std::wcscmp(cls, s->window_class) == 0)) {
                s->window = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.window;
}

std::vector<HWND> Buttons(HWND window) {
    std::vector<HWND> found;
    EnumChildWindows(
        window,
        [](HWND h, LPARAM p) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(h, cls, 32);
            const bool frame = (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
            if (_wcsicmp(cls, L"Button") == 0 && !frame && GetPropW(h, L"TfControl"))
                reinterpret_cast<std::vector<HWND> *>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

int Fail(const char *why) {
    std::printf("error=%s\n", why);
    return 1;
}

int Ansicht(const wchar_t *setup, const wchar_t *sw) {
    std::wstring command = std::wstring(L"\"") + setup + L"\" " + sw;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return Fail("Setup.exe did not start");
    HWND window = nullptr;
    for (int i = 0; i < 300 && !window; ++i, Sleep(50))
        window = WindowOf(pi.dwProcessId);
    if (!window)
        return Fail("no window");
    const std::vector<HWND> buttons = Buttons(window);
    if (buttons.empty())
        return Fail("no buttons");
    for (HWND b : buttons)
        PostMessageW(b, BM_CLICK, 0, 0);
    // Long enough for an install run and its one-second pause to have moved on.
    Sleep(3000);
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
        return Fail("a button ended Setup");
    if (WindowOf(pi.dwProcessId) != window)
        return Fail("a button changed the window");
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        return Fail("Setup did not end when its window closed");
    DWORD status = 0;
    GetExitCodeProcess(pi.hProcess, &status);
    std::printf("buttons=%zu\nexit=%lu\n", buttons.size(), status);
    return 0;
}

std::string Utf8(const std::wstring &w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

int Antworte(int argc, wchar_t **argv) {
    std::wstring command = std::wstring(L"\"") + argv[2] + L"\" " + argv[3];
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return Fail("the program did not start");
    for (int a = 4; a < argc; ++a) {
        HWND box = nullptr;
        for (int i = 0; i < 600 && !box; ++i, Sleep(50))
            box = WindowOf(pi.dwProcessId, L"#32770"); // a message box
        if (!box)
            return Fail("no message box");
        // The box's text is its longest static (Windows and Wine number it differently).
        std::wstring t;
        EnumChildWindows(
            box,
            [](HWND h, LPARAM p) -> BOOL {
                wchar_t cls[16] = {}, text[2048] = {};
                GetClassNameW(h, cls, 16);
                GetWindowTextW(h, text, 2048);
                auto *longest = reinterpret_cast<std::wstring *>(p);
                if (_wcsicmp(cls, L"Static") == 0 && std::wcslen(text) > longest->size())
                    *longest = text;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&t));
        for (wchar_t &c : t)
            if (c == L'\r' || c == L'\n')
                c = L' ';
        std::printf("box=%s\n", Utf8(t).c_str());
        HWND button = GetDlgItem(box, _wtoi(argv[a]));
        if (!button)
            return Fail("the box has no such button");
        PostMessageW(button, BM_CLICK, 0, 0);
        for (int i = 0; i < 200 && IsWindow(box); ++i)
            Sleep(50);
    }
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0)
        return Fail("the program did not end");
    DWORD status = 0;
    GetExitCodeProcess(pi.hProcess, &status);
    std::printf("exit=%lu\n", status);
    return 0;
}

int Sperre(const wchar_t *file, const wchar_t *marker) {
    HANDLE h = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Fail("cannot open the file");
    HANDLE m = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (m != INVALID_HANDLE_VALUE)
        CloseHandle(m);
    for (int i = 0; i < 1200 && GetFileAttributesW(marker) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    CloseHandle(h);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    if (verb == L"lnk" && argc == 3)
        return Shortcut(_wtoi(argv[2]));
    if (verb == L"antworte" && argc >= 4)
        return Antworte(argc, argv);
    if (verb == L"sperre" && argc == 4)
        return Sperre(argv[2], argv[3]);
    if (verb == L"table")
        return Table();
    if (verb == L"ansicht" && argc == 4)
        return Ansicht(argv[2], argv[3]);
    std::puts("usage: setup_probe lnk <csidl> | table | ansicht <Setup.exe> <switch> | antworte "
              "<exe> <switches> <id>... | sperre <file> <marker>");
    return 2;
}
