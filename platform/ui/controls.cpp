#include "platform/ui/controls.h"

#include "platform/filesystem.h"
#include "platform/trace_log.h"

#include <algorithm>
#include <cctype>

namespace tf::ui {
namespace {

char LowerChar(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// The absolute form of a list path: "\" separators, no trailing one except
// at a drive's root.
std::string ListPath(FileSystem &fs, const std::string &p) {
    std::string abs = fs.GetAbsolutePathName(p);
    std::replace(abs.begin(), abs.end(), '/', '\\');
    while (abs.size() > 3 && abs.back() == '\\')
        abs.pop_back();
    return abs;
}

std::string Join(const std::string &folder, const std::string &name) {
    return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// A list whose folder was deleted from outside goes back to the nearest
// folder above it that is still there, on the same drive; the root is the
// last resort, and only a drive that is gone makes listing it fail.
std::string NearestExisting(FileSystem &fs, const std::string &p) {
    std::string folder = ListPath(fs, p);
    while (folder.size() > 3 && !fs.FolderExists(folder)) {
        const auto cut = folder.find_last_of('\\');
        folder = cut == std::string::npos || cut < 3 ? folder.substr(0, 3) : folder.substr(0, cut);
    }
    return folder;
}

} // namespace

// --- OptionButton -------------------------------------------------------------

void OptionButton::set_value(bool v) {
    if (!v) {
        SetAndNotify(value_, false, Prop::Value);
        return;
    }
    if (members_) {
        for (OptionButton *other : *members_)
            if (other != this && other->group == group)
                other->SetAndNotify(other->value_, false, Prop::Value);
    }
    SetAndNotify(value_, true, Prop::Value);
    if (on_click)
        on_click();
}

// --- DriveListBox -------------------------------------------------------------

std::string DriveListBox::drive() const {
    if (index_ < 0 || index_ >= static_cast<int>(items_.size()))
        return "";
    return items_[static_cast<std::size_t>(index_)];
}

void DriveListBox::Refresh() {
    char selected = index_ >= 0 ? LowerChar(drive()[0]) : 0;
    std::vector<std::string> items;
    for (const DriveEntry &d : fs_.Drives())
        items.push_back(d.label.empty() ? d.name : d.name + " [" + d.label + "]");
    items_ = std::move(items);
    index_ = -1;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (selected && LowerChar(items_[i][0]) == selected)
            index_ = static_cast<int>(i);
    Notify(Prop::Items);
}

void DriveListBox::set_drive(const std::string &d) {
    if (d.empty() || !std::isalpha(static_cast<unsigned char>(d[0])))
        throw FsError("invalid drive '" + d + "'");
    Refresh();
    char letter = LowerChar(d[0]);
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const std::string &item) { return LowerChar(item[0]) == letter; });
    if (it == items_.end())
        throw FsError(std::string("drive not found: ") + letter + ":");
    if (!fs_.IsReady(std::string(1, letter) + ":"))
        throw FsError(std::string("device unavailable: ") + letter + ":");
    int i = static_cast<int>(it - items_.begin());
    if (i == index_)
        return;
    index_ = i;
    Notify(Prop::Value);
    if (on_change)
        on_change();
}

void DriveListBox::SelectFromUser(int i) {
    if (i < 0 || i >= static_cast<int>(items_.size()) || i == index_)
        return;
    index_ = i;
    if (on_change)
        on_change();
}

// --- DirListBox ---------------------------------------------------------------

void DirListBox::set_path(const std::string &p) {
    std::string abs = ListPath(fs_, p);
    std::vector<std::string> subs = fs_.ListFolders(abs);

    std::vector<std::string> items, paths;
    std::string walked = abs.substr(0, 3); // "e:\"
    items.push_back(walked);
    paths.push_back(walked);
    for (std::size_t start = 3; start < abs.size();) {
        std::size_t end = abs.find('\\', start);
        std::string name =
            abs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        walked = Join(walked, name);
        items.push_back(name);
        paths.push_back(walked);
        start = end == std::string::npos ? abs.size() : end + 1;
    }
    for (const std::string &s : subs) {
        items.push_back(s);
        paths.push_back(Join(abs, s));
    }
    items_ = std::move(items);
    item_paths_ = std::move(paths);
    Notify(Prop::Items);

    if (abs == path_)
        return;
    path_ = abs;
    Notify(Prop::Path);
    if (on_change)
        on_change();
}

void DirListBox::Refresh() {
    if (path_.empty())
        return;
    set_path(NearestExisting(fs_, path_));
}

void DirListBox::OpenFromUser(int i) {
    if (i < 0 || i >= static_cast<int>(item_paths_.size()))
        return;
    const std::string target = item_paths_[static_cast<std::size_t>(i)];
    try {
        set_path(NearestExisting(fs_, target));
    } catch (const FsError &e) {
        // The drive itself went away: the list stays as it was until the
        // next refresh, and a double click is no reason for a message.
        trace::Swallowed("DirListBox::OpenFromUser", e.what());
    }
}

// --- FileListBox --------------------------------------------------------------

void FileListBox::set_path(const std::string &p) {
    std::string abs = ListPath(fs_, p);
    items_ = fs_.ListFiles(abs, pattern);
    Notify(Prop::Items);
    if (abs != path_) {
        path_ = abs;
        Notify(Prop::Path);
    }
}

void FileListBox::Refresh() {
    if (path_.empty())
        return;
    set_path(NearestExisting(fs_, path_));
}

} // namespace tf::ui
