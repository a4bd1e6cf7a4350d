// A library that registers itself, for the Wine install test: installed as
// VB6STKIT.dll it succeeds and leaves "<its path>.registered" beside itself;
// installed as VB6DE.dll its registration fails, as a broken one would.
#include <windows.h>

#include <olectl.h>

#include <cwchar>
#include <string>

namespace {
HMODULE self = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(self, path, MAX_PATH))
        return E_FAIL;
    if (std::wcsstr(path, L"VB6DE") || std::wcsstr(path, L"vb6de"))
        return SELFREG_E_CLASS;
    const std::wstring marker = std::wstring(path) + L".registered";
    HANDLE h = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return E_FAIL;
    CloseHandle(h);
    return S_OK;
}
