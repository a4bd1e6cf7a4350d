// Reads the installer's desktop shortcut back through the shell's own link
// object and prints what it holds, one "key=value" line each.
#include <windows.h>

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

template <class I> struct Released {
    I* p = nullptr;
    ~Released() {
        if (p)
            p->Release();
    }
};

struct ComInit {
    ComInit() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComInit() { CoUninitialize(); }
};

} // namespace

int main() {
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
                                reinterpret_cast<void**>(&shell_link.p))) ||
        FAILED(shell_link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) {
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
