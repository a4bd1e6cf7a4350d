// Message boxes, clock, event pump, multimedia strings, cursor, processes,
// shell folders and links, program paths, number format and the conversion
// library on Win32.
#include "platform/win32/services_win32.h"

#include "platform/codepage.h"
#include "platform/win32/ui/window_system_win32.h"
#include "platform/win32/wide.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <future>
#include <stdexcept>
#include <vector>

namespace tf::win32 {
namespace {

// --- Message boxes --------------------------------------------------------------

class Win32MessageBoxes : public MessageBoxes {
  public:
    MsgAnswer Show(const std::string &text, MsgButtons buttons, MsgIcon icon,
                   const std::string &title, MsgDefault default_button) override {
        UINT type = buttons == MsgButtons::YesNo         ? MB_YESNO
                    : buttons == MsgButtons::YesNoCancel ? MB_YESNOCANCEL
                                                         : MB_OK;
        if (icon == MsgIcon::Exclamation)
            type |= MB_ICONEXCLAMATION;
        if (default_button == MsgDefault::Second)
            type |= MB_DEFBUTTON2;
        const HWND owner = reinterpret_cast<HWND>(DialogOwner());
        switch (MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), type)) {
        case IDYES:
            return MsgAnswer::Yes;
        case IDNO:
            return MsgAnswer::No;
        case IDCANCEL:
            return MsgAnswer::Cancel;
        default:
            return MsgAnswer::Ok;
        }
    }
};

// --- Clock and events -----------------------------------------------------------

class Win32Clock : public Clock {
  public:
    double SecondsSinceMidnight() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
    }
    // The tick count: milliseconds since the start of Windows, in steps of
    // 10 to 16 ms, untouched by changes to the system time.
    double Seconds() override { return static_cast<double>(GetTickCount64()) / 1000.0; }
    int CurrentMinute() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return t.wMinute;
    }
};

class Win32EventPump : public EventPump {
  public:
    void DoEvents() override {
        MSG msg;
        // With nothing pending, give the processor away until input arrives or a
        // moment passes, so a wait that calls this in a loop does not spin a core.
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
            MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Leave it for the main loop, which ends the program.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
};

// --- Multimedia -------------------------------------------------------------------

class Win32Mci : public MciApi {
  public:
    // The wide call takes the same command strings: a file whose name the
    // ANSI code page cannot spell is then opened by its real name instead of
    // one with question marks in it.
    std::uint32_t SendString(const std::string &command, std::string &reply,
                             unsigned reply_length) override {
        std::vector<wchar_t> buffer(reply_length + 1u, L'\0');
        const MCIERROR err = mciSendStringW(
            Widen(command).c_str(), reply_length ? buffer.data() : nullptr, reply_length, nullptr);
        reply = reply_length ? Narrow(buffer.data()) : std::string();
        return static_cast<std::uint32_t>(err);
    }
};

// --- Cursor -------------------------------------------------------------------------

class Win32CursorApi : public CursorApi {
  public:
    std::uintptr_t LoadCursorFromFile(const std::string &path) override {
        return reinterpret_cast<std::uintptr_t>(LoadCursorFromFileA(Utf8ToAnsi(path).c_str()));
    }
    std::uintptr_t StandardWaitCursor() override {
        return reinterpret_cast<std::uintptr_t>(LoadCursorW(nullptr, IDC_WAIT));
    }
    std::uintptr_t SetCursor(std::uintptr_t cursor) override {
        return reinterpret_cast<std::uintptr_t>(::SetCursor(reinterpret_cast<HCURSOR>(cursor)));
    }
    void SetCapture(std::uintptr_t window) override {
        ::SetCapture(reinterpret_cast<HWND>(window));
    }
    void ReleaseCapture() override { ::ReleaseCapture(); }
};

// --- Processes ------------------------------------------------------------------------

class Win32ProcessStarter : public ProcessStarter {
  public:
    ProcessOutcome Run(const std::string &command_line, double timeout_seconds,
                       const std::function<void()> &while_waiting) override {
        std::wstring line = Widen(command_line); // CreateProcessW may write into it
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWMINIMIZED;
        PROCESS_INFORMATION pi{};
        ProcessOutcome out;
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return out;
        UniqueHandle process(pi.hProcess), thread(pi.hThread);
        // Short waits with the caller's work in between: the windows keep
        // painting while the process runs.
        const ULONGLONG deadline =
            GetTickCount64() + static_cast<ULONGLONG>(timeout_seconds * 1000);
        for (;;) {
            const DWORD r = WaitForSingleObject(pi.hProcess, 20);
            if (r == WAIT_OBJECT_0)
                break;
            if (r != WAIT_TIMEOUT || GetTickCount64() >= deadline) {
                out.state = ProcessOutcome::State::TimedOut;
                return out;
            }
            if (while_waiting)
                while_waiting();
        }
        DWORD code = 0;
        if (!GetExitCodeProcess(pi.hProcess, &code)) {
            out.state = ProcessOutcome::State::TimedOut;
            return out;
        }
        out.state = ProcessOutcome::State::Exited;
        out.exit_code = code;
        return out;
    }
};

// --- Registry ---------------------------------------------------------------------------

struct KeyClose {
    void operator()(HKEY k) const { RegCloseKey(k); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyClose>;

[[noreturn]] void RegistryFailure(const char *what, const std::string &key, LSTATUS status) {
    throw std::runtime_error(std::string(what) + " '" + key + "': error " + std::to_string(status));
}

class Win32Registry : public Registry {
  public:
    bool KeyExists(const std::string &key) override { return Open(key, KEY_READ) != nullptr; }

    std::optional<std::uint32_t> ReadDword(const std::string &key,
                                           const std::string &name) override {
        UniqueKey k = Open(key, KEY_READ);
        DWORD type = 0, value = 0, size = sizeof value;
        if (!k ||
            RegQueryValueExW(k.get(), Widen(name).c_str(), nullptr, &type,
                             reinterpret_cast<BYTE *>(&value), &size) != ERROR_SUCCESS ||
            type != REG_DWORD)
            return std::nullopt;
        return value;
    }

    std::optional<std::string> ReadString(const std::string &key,
                                          const std::string &name) override {
        UniqueKey k = Open(key, KEY_READ);
        if (!k)
            return std::nullopt;
        const std::wstring n = Widen(name);
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(k.get(), n.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        // The stored text need not end in NUL; one more character makes room for it.
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(k.get(), n.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE *>(buffer.data()), &got) != ERROR_SUCCESS)
            return std::nullopt;
        buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
        return Narrow(buffer);
    }

    void WriteDword(const std::string &key, const std::string &name, std::uint32_t value) override {
        UniqueKey k = Create(key);
        const DWORD v = value;
        const LSTATUS st = RegSetValueExW(k.get(), Widen(name).c_str(), 0, REG_DWORD,
                                          reinterpret_cast<const BYTE *>(&v), sizeof v);
        if (st != ERROR_SUCCESS)
            RegistryFailure("RegSetValueEx", key + "\\" + name, st);
    }

    void WriteString(const std::string &key, const std::string &name,
                     const std::string &value) override {
        UniqueKey k = Create(key);
        const std::wstring v = Widen(value);
        const LSTATUS st = RegSetValueExW(k.get(), Widen(name).c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE *>(v.c_str()),
                                          static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
        if (st != ERROR_SUCCESS)
            RegistryFailure("RegSetValueEx", key + "\\" + name, st);
    }

    void DeleteValue(const std::string &key, const std::string &name) override {
        UniqueKey k = Open(key, KEY_SET_VALUE);
        if (!k)
            return;
        const LSTATUS st = RegDeleteValueW(k.get(), Widen(name).c_str());
        if (st != ERROR_SUCCESS && st != ERROR_FILE_NOT_FOUND)
            RegistryFailure("RegDeleteValue", key + "\\" + name, st);
    }

    void DeleteKey(const std::string &key) override {
        const LSTATUS st = RegDeleteKeyW(HKEY_LOCAL_MACHINE, Widen(key).c_str());
        if (st != ERROR_SUCCESS && st != ERROR_FILE_NOT_FOUND)
            RegistryFailure("RegDeleteKey", key, st);
    }

  private:
    static UniqueKey Open(const std::string &key, REGSAM access) {
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(key).c_str(), 0, access, &k) != ERROR_SUCCESS)
            return nullptr;
        return UniqueKey(k);
    }
    static UniqueKey Create(const std::string &key) {
        HKEY k = nullptr;
        const LSTATUS st = RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(key).c_str(), 0, nullptr, 0,
                                           KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &k, nullptr);
        if (st != ERROR_SUCCESS)
            RegistryFailure("RegCreateKeyEx", key, st);
        return UniqueKey(k);
    }
};

// --- Shell ------------------------------------------------------------------------------

template <class I> class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;
    I *operator->() const { return p_; }
    I *get() const { return p_; }
    void **out() {
        reset();
        return reinterpret_cast<void **>(&p_);
    }
    void reset() {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }

  private:
    I *p_ = nullptr;
};

// COM for the calling thread, undone only if this call started it.
class ComScope {
  public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    ComScope(const ComScope &) = delete;
    ComScope &operator=(const ComScope &) = delete;
    // Already initialised in another mode works as well.
    bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

  private:
    HRESULT hr_;
};

struct ItemListFree {
    void operator()(ITEMIDLIST *p) const { CoTaskMemFree(p); }
};

class Win32ShellApi : public ShellApi {
  public:
    std::string SpecialFolderPath(int csidl) override {
        ITEMIDLIST *raw = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &raw)) || !raw)
            return "";
        std::unique_ptr<ITEMIDLIST, ItemListFree> list(raw);
        char path[512] = {};
        if (!SHGetPathFromIDListA(list.get(), path))
            return "";
        std::string out = AnsiToUtf8(path);
        while (out.size() > 3 && (out.back() == '\\' || out.back() == '/'))
            out.pop_back();
        return out;
    }

    bool CreateShortcut(const std::string &target, const std::string &link_file,
                        const std::string &arguments, const std::string &description,
                        const std::string &working_folder) override {
        ComScope com;
        if (!com.usable())
            return false;
        ComPtr<IShellLinkA> link;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    link.out())))
            return false;
        if (FAILED(link->SetPath(Utf8ToAnsi(target).c_str())))
            return false;
        if (!arguments.empty() && FAILED(link->SetArguments(Utf8ToAnsi(arguments).c_str())))
            return false;
        if (!description.empty() && FAILED(link->SetDescription(Utf8ToAnsi(description).c_str())))
            return false;
        if (!working_folder.empty() &&
            FAILED(link->SetWorkingDirectory(Utf8ToAnsi(working_folder).c_str())))
            return false;
        ComPtr<IPersistFile> file;
        if (FAILED(link->QueryInterface(IID_IPersistFile, file.out())))
            return false;
        return SUCCEEDED(file->Save(Widen(link_file).c_str(), FALSE));
    }
};

// --- Paths ----------------------------------------------------------------------------------

std::wstring FolderOf(const std::wstring &path) {
    const auto cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? L"" : path.substr(0, cut);
}

// The long form of a path, or the path itself where it has none. A program
// started through a short name must still know its folder by one spelling: its
// per-user settings are found by it.
std::wstring LongPath(const std::wstring &path) {
    const DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (n == 0)
        return path;
    std::wstring out(n, L'\0');
    const DWORD got = GetLongPathNameW(path.c_str(), out.data(), n);
    if (got == 0 || got >= n)
        return path;
    out.resize(got);
    return out;
}

class Win32AppPaths : public AppPaths {
  public:
    std::string ProgramFolder() override { return Narrow(FolderOf(LongPath(ProgramPath()))); }
    std::string UserDataFolder() override {
        wchar_t path[MAX_PATH] = {};
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
            return "";
        return Narrow(path);
    }
};

// --- Number format ---------------------------------------------------------------------------

std::wstring LocaleText(LCTYPE what, const wchar_t *fallback) {
    wchar_t buffer[16] = {};
    if (!GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, what, buffer, 16))
        return fallback;
    return buffer;
}

UINT LocaleNumber(LCTYPE what, UINT fallback) {
    DWORD value = 0;
    if (!GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, what | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPWSTR>(&value), sizeof value / sizeof(wchar_t)))
        return fallback;
    return value;
}

// "3;0" -> 3, "3;2;0" -> 32, "3" -> 30 (repeat the last group or not), as
// NUMBERFMT wants the grouping.
UINT GroupingNumber(const std::wstring &text) {
    UINT n = 0;
    for (wchar_t c : text)
        if (c >= L'0' && c <= L'9')
            n = n * 10 + static_cast<UINT>(c - L'0');
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, L";0") == 0)
        return n / 10;
    return n * 10;
}

class Win32Locale : public Locale {
  public:
    std::string GroupDigits(long long n) override {
        std::wstring decimal = LocaleText(LOCALE_SDECIMAL, L",");
        std::wstring thousand = LocaleText(LOCALE_STHOUSAND, L".");
        NUMBERFMTW fmt{};
        fmt.NumDigits = 0;
        fmt.LeadingZero = LocaleNumber(LOCALE_ILZERO, 1);
        fmt.Grouping = GroupingNumber(LocaleText(LOCALE_SGROUPING, L"3;0"));
        fmt.lpDecimalSep = decimal.data();
        fmt.lpThousandSep = thousand.data();
        fmt.NegativeOrder = LocaleNumber(LOCALE_INEGNUMBER, 1);
        const std::wstring digits = std::to_wstring(n);
        wchar_t out[64] = {};
        if (!GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits.c_str(), &fmt, out, 64))
            return std::to_string(n);
        return Narrow(out);
    }
};

// --- Conversion library ------------------------------------------------------------------------

using ConvertFn = std::int32_t(__stdcall *)(char *, char *, char *, char *);

struct ModuleFree {
    void operator()(HMODULE m) const { FreeLibrary(m); }
};

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? L"" : std::wstring(folder, n) + L"\\";
}

// The program's folder first, then the system folder, never the current
// folder or PATH. The search flags need update KB2533623 on Windows 7 (it
// brings AddDllDirectory); without it they fail, and the library is loaded
// by its full name from each folder in turn, its own dependencies looked up
// beside it first.
HMODULE LoadFromProgramOrSystemFolder(const wchar_t *name) {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel && GetProcAddress(kernel, "AddDllDirectory"))
        return LoadLibraryExW(name, nullptr,
                              LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    const std::wstring program = FolderOf(ProgramPath());
    for (const std::wstring &folder :
         {program.empty() ? program : program + L"\\", SystemFolder()}) {
        if (folder.empty())
            continue;
        const std::wstring path = folder + name;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

class Win32ConversionLibrary : public ConversionLibrary {
  public:
    // Only the program's own folder and the system folder are searched: a
    // library of that name in the current folder or on PATH is never loaded.
    LoadResult Load() override {
        if (fn_)
            return LoadResult::Ok;
        std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree> module(
            LoadFromProgramOrSystemFolder(L"Sonwerk_Projekt.dll"));
        if (!module)
            return LoadResult::NotFound;
        auto fn = reinterpret_cast<ConvertFn>(
            reinterpret_cast<void *>(GetProcAddress(module.get(), "Projektdatei_erstellen")));
        if (!fn)
            return LoadResult::NoEntryPoint;
        module_ = std::move(module);
        fn_ = fn;
        return LoadResult::Ok;
    }

    // The library gets buffers of its own; it rewrites the name in place, and
    // that rewrite is handed back.
    std::int32_t Projektdatei_erstellen(const std::string &source_ansi,
                                        const std::string &target_ansi, std::string &name_ansi,
                                        const std::string &code,
                                        const std::function<void()> &meanwhile) override {
        if (!fn_ && Load() != LoadResult::Ok)
            throw std::runtime_error("Sonwerk_Projekt.dll is not loaded");
        std::vector<char> source(source_ansi.begin(), source_ansi.end());
        std::vector<char> target(target_ansi.begin(), target_ansi.end());
        std::vector<char> name(name_ansi.begin(), name_ansi.end());
        std::vector<char> code_buf(code.begin(), code.end());
        source.push_back('\0');
        target.push_back('\0');
        // The library reads exactly 30 name bytes.
        const std::size_t name_size = std::max<std::size_t>(name.size(), 30);
        name.resize(name_size + 1, '\0');
        code_buf.resize(std::max<std::size_t>(code_buf.size(), 4) + 1, '\0');
        const ConvertFn fn = fn_;
        auto call = [&] { return fn(source.data(), target.data(), name.data(), code_buf.data()); };
        std::int32_t result = 0;
        if (!meanwhile) {
            result = call();
        } else {
            // The buffers outlive the worker: the future's end waits for the
            // call, also when `meanwhile` throws.
            std::future<std::int32_t> running = std::async(std::launch::async, call);
            while (running.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
                meanwhile();
            result = running.get();
        }
        name_ansi.assign(name.data(), name_size);
        return result;
    }

  private:
    std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree> module_;
    ConvertFn fn_ = nullptr;
};

} // namespace

std::unique_ptr<MessageBoxes> MakeMessageBoxes() {
    return std::make_unique<Win32MessageBoxes>();
}
std::unique_ptr<Clock> MakeClock() {
    return std::make_unique<Win32Clock>();
}
std::unique_ptr<EventPump> MakeEventPump() {
    return std::make_unique<Win32EventPump>();
}
std::unique_ptr<MciApi> MakeMci() {
    return std::make_unique<Win32Mci>();
}
std::unique_ptr<CursorApi> MakeCursorApi() {
    return std::make_unique<Win32CursorApi>();
}
std::unique_ptr<ProcessStarter> MakeProcessStarter() {
    return std::make_unique<Win32ProcessStarter>();
}
std::unique_ptr<Registry> MakeRegistry() {
    return std::make_unique<Win32Registry>();
}
std::unique_ptr<ShellApi> MakeShellApi() {
    return std::make_unique<Win32ShellApi>();
}
std::unique_ptr<AppPaths> MakeAppPaths() {
    return std::make_unique<Win32AppPaths>();
}
std::unique_ptr<Locale> MakeLocale() {
    return std::make_unique<Win32Locale>();
}
std::unique_ptr<ConversionLibrary> MakeConversionLibrary() {
    return std::make_unique<Win32ConversionLibrary>();
}

std::wstring ProgramPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        // A path that does not fit comes back cut to the buffer's size.
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return L"";
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace tf::win32
