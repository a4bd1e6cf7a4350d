// What the Wine install test asks of the real system, from inside Wine:
//   setup_probe lnk                 the desktop shortcut, read back through the
//                                   shell's own link object, one "key=value" a line
//   setup_probe table               the installer's own file table, "name<TAB>folder"
//   setup_probe ansicht <Setup.exe> <switch>
//                                   starts Setup.exe for a picture, clicks every
//                                   button of its window, then closes it; prints
//                                   "exit=<status>" or what went wrong
#include "setup/dateiliste.h"

#include <windows.h>

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
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

int Shortcut() {
    ComInit com;
    wchar_t desktop[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop))) {
        std::puts("error=no desktop folder");
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
        std::puts("error=no shortcut on the desktop");
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
    HWND window = nullptr;
};

HWND WindowOf(DWORD pid) {
    Search s{pid};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto *s = reinterpret_cast<Search *>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == s->pid && IsWindowVisible(h)) {
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

} // namespace

int wmain(int argc, wchar_t **argv) {
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    if (verb == L"lnk")
        return Shortcut();
    if (verb == L"table")
        return Table();
    if (verb == L"ansicht" && argc == 4)
        return Ansicht(argv[2], argv[3]);
    std::puts("usage: setup_probe lnk | table | ansicht <Setup.exe> <switch>");
    return 2;
}
