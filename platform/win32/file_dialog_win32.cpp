// The common open and save dialogs.
#include "platform/win32/services_win32.h"
#include "platform/win32/ui/window_system_win32.h"
#include "platform/win32/wide.h"

#include <commdlg.h>

#include <vector>

namespace tf::win32 {
namespace {

// "desc|pattern|desc|pattern|" -> the NUL-separated, double-NUL-ended form.
std::wstring DialogFilter(const std::string &filter) {
    std::wstring w = Widen(filter);
    for (wchar_t &c : w)
        if (c == L'|')
            c = L'\0';
    w.push_back(L'\0');
    w.push_back(L'\0');
    return w;
}

// The folder to show first. The windows pass a full file path here; its
// folder is meant, not a folder named like the file.
std::wstring InitialFolder(const std::string &init_dir) {
    if (init_dir.empty())
        return L"";
    std::wstring w = Widen(init_dir);
    QuietMediaErrors quiet;
    const DWORD a = GetFileAttributesW(w.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
        return w;
    const auto cut = w.find_last_of(L"\\/");
    if (cut == std::wstring::npos)
        return L"";
    return cut == 2 && w[1] == L':' ? w.substr(0, 3) : w.substr(0, cut);
}

class Win32FileDialogs : public ui::FileDialogService {
  public:
    std::string Show(const ui::FileDialogRequest &r) override {
        const std::wstring filter = DialogFilter(r.filter);
        const std::wstring folder = InitialFolder(r.init_dir);
        std::vector<wchar_t> file(32768, L'\0');
        // Only the name part is proposed, so the initial folder decides where the dialog opens.
        const std::string name =
            r.file_name.substr(r.file_name.find_last_of("\\/") == std::string::npos
                                   ? 0
                                   : r.file_name.find_last_of("\\/") + 1);
        const std::wstring wname = Widen(name);
        std::copy(wname.begin(), wname.begin() + std::min(wname.size(), file.size() - 1),
                  file.begin());

        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = reinterpret_cast<HWND>(DialogOwner());
        ofn.lpstrFilter = r.filter.empty() ? nullptr : filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        // The windows' flags are the dialog's own (4 hides the read-only box);
        // the process's current folder stays as it is.
        ofn.Flags = static_cast<DWORD>(r.flags) | OFN_EXPLORER | OFN_NOCHANGEDIR;
        const BOOL ok = r.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
        return ok ? Narrow(file.data()) : std::string();
    }
};

} // namespace

std::unique_ptr<ui::FileDialogService> MakeFileDialogs() {
    return std::make_unique<Win32FileDialogs>();
}

} // namespace tf::win32
