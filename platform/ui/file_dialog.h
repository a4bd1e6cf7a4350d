#pragma once
// The common file dialog as the windows use it: set the filter, flags and
// initial folder, show it, read the chosen name.

#include <stdexcept>
#include <string>

namespace tf::ui {

// Thrown by ShowOpen/ShowSave when the user cancels and CancelError is set.
struct DialogCancelled : std::runtime_error {
    DialogCancelled() : std::runtime_error("dialog cancelled") {}
};

struct FileDialogRequest {
    bool save = false;
    std::string filter;   // "description|pattern|" pairs
    int flags = 0;        // 4: no read-only check box
    std::string init_dir; // may be a full file path: its folder is shown
    std::string file_name;
};

// Shows the platform's dialog; returns the chosen full path or "" on cancel.
class FileDialogService {
  public:
    virtual ~FileDialogService() = default;
    virtual std::string Show(const FileDialogRequest &request) = 0;
};

class FileDialog {
  public:
    FileDialog(std::string name, FileDialogService &service)
        : name_(std::move(name)), service_(&service) {}
    const std::string &name() const { return name_; }

    std::string Filter;
    int Flags = 0;
    bool CancelError = false;
    std::string InitDir;
    std::string FileName;

    void ShowOpen() { Run(false); }
    void ShowSave() { Run(true); }

  private:
    void Run(bool save) {
        FileDialogRequest r{save, Filter, Flags, InitDir, FileName};
        std::string chosen = service_->Show(r);
        if (chosen.empty()) {
            if (CancelError)
                throw DialogCancelled();
            return;
        }
        FileName = chosen;
    }
    std::string name_;
    FileDialogService *service_;
};

} // namespace tf::ui
