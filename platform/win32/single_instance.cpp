// The claim is a named mutex per program folder in the user's session; the
// running copy's window carries the same key as a window property, by which a
// second start finds it among the program's windows.
#include "platform/win32/single_instance.h"

#include "platform/trace_log.h"
#include "platform/win32/wide.h"

#include <cwchar>

namespace tf::win32 {

namespace {

constexpr wchar_t kFolderProp[] = L"TrackforgeFolder";

// FNV-1a over the folder in lower case: the same folder spelled in another
// case is the same copy; 32 bits are what a window property holds everywhere.
std::uint32_t FolderKey(const std::string &folder) {
    std::wstring w = Widen(folder);
    while (!w.empty() && (w.back() == L'\\' || w.back() == L'/'))
        w.pop_back();
    if (!w.empty())
        CharLowerBuffW(w.data(), static_cast<DWORD>(w.size()));
    std::uint32_t h = 2166136261u;
    for (wchar_t c : w) {
        h ^= static_cast<std::uint32_t>(c);
        h *= 16777619u;
    }
    return h ? h : 1;
}

struct Search {
    std::uint32_t key;
    HWND found;
};

BOOL CALLBACK FindCopy(HWND h, LPARAM p) {
    auto &s = *reinterpret_cast<Search *>(p);
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    if (std::wcscmp(cls, Widen(kProgramWindowClass).c_str()) != 0 || GetWindow(h, GW_OWNER))
        return TRUE;
    if (static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(GetPropW(h, kFolderProp))) != s.key)
        return TRUE;
    s.found = h;
    return FALSE;
}

} // namespace

struct SingleInstance::Impl {
    std::uint32_t key = 0;
    UniqueHandle mutex;
    bool first = true;
};

SingleInstance::SingleInstance(const std::string &folder) : impl_(std::make_unique<Impl>()) {
    impl_->key = FolderKey(folder);
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\Trackforge-%08x", impl_->key);
    impl_->mutex = Own(CreateMutexW(nullptr, FALSE, name));
    const DWORD error = GetLastError();
    // A copy run as administrator holds a mutex that this start, run as the
    // user, may not open ("the function will fail with ERROR_ACCESS_DENIED"):
    // it runs all the same. Without a mutex for any other reason nothing can
    // be known about other copies: run.
    impl_->first = impl_->mutex ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::first() const {
    return impl_->first;
}

void SingleInstance::Announce(std::uintptr_t window) {
    const HWND h = reinterpret_cast<HWND>(window);
    SetPropW(h, kFolderProp, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(impl_->key)));
    // A later start with fewer rights than this copy (this one run as
    // administrator) may still hand over its files: the system passes
    // WM_COPYDATA up to a window only when the window lets it (UIPI).
    if (!ChangeWindowMessageFilterEx(h, WM_COPYDATA, MSGFLT_ALLOW, nullptr))
        trace::Swallowed("SingleInstance::Announce",
                         "ChangeWindowMessageFilterEx: " + ErrorText(GetLastError()));
}

bool SingleInstance::HandOver(const std::vector<std::string> &arguments, int timeout_ms) {
    Search s{impl_->key, nullptr};
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    for (;;) {
        EnumWindows(FindCopy, reinterpret_cast<LPARAM>(&s));
        if (s.found || GetTickCount64() >= end)
            break;
        Sleep(100);
    }
    if (!s.found)
        return false;
    std::wstring block;
    for (const std::string &a : arguments)
        block += Widen(a) + L'\0';
    if (!block.empty()) {
        COPYDATASTRUCT cd{};
        cd.dwData = kArgumentsTag;
        cd.cbData = static_cast<DWORD>(block.size() * sizeof(wchar_t));
        cd.lpData = block.data();
        DWORD_PTR result = 0;
        // A copy that hangs must not hang this start as well. Files the
        // running copy did not take (it hangs, or the system kept the message
        // from it) are not dropped: this start opens them in a window of its own.
        if (!SendMessageTimeoutW(s.found, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd),
                                 SMTO_ABORTIFHUNG, 10000, &result) ||
            result != TRUE) {
            trace::Swallowed("SingleInstance::HandOver",
                             "the running copy did not take the files: " +
                                 ErrorText(GetLastError()));
            return false;
        }
    }
    // The window the user can act on: a question or the about window above it.
    HWND front = GetLastActivePopup(s.found);
    if (IsIconic(s.found))
        ShowWindowAsync(s.found, SW_RESTORE);
    // This process was started by the user and may hand the foreground on.
    SetForegroundWindow(front ? front : s.found);
    return true;
}

std::vector<std::string> DecodeArguments(const void *data, std::size_t bytes) {
    std::vector<std::string> out;
    if (!data)
        return out;
    const auto *p = static_cast<const wchar_t *>(data);
    const std::size_t n = bytes / sizeof(wchar_t);
    std::wstring current;
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] == L'\0') {
            out.push_back(Narrow(current));
            current.clear();
        } else {
            current += p[i];
        }
    }
    return out;
}

} // namespace tf::win32
