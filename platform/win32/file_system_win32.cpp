// The file, folder and drive services on Win32.
#include "platform/codepage.h"
#include "platform/filesystem.h"
#include "platform/path_names.h"
#include "platform/text_stream.h"
#include "platform/trace_log.h"
#include "platform/wildcard.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/trace_sink_win32.h"
#include "platform/win32/wide.h"

#include <winioctl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwctype>
#include <vector>

// After wide.h, which takes back the macros that would rename the members.
#include "library/retry_held.h"

namespace tf::win32 {
namespace {

// The codes a pulled card or an unplugged reader gives, depending on where
// in the stack the loss is noticed.
FsFault FaultOf(DWORD code) {
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FsFault::Full;
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NO_MEDIA_IN_DRIVE:
    case ERROR_MEDIA_CHANGED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_FILE_INVALID:
        return FsFault::Gone;
    default:
        return FsFault::Other;
    }
}

[[noreturn]] void Fail(const std::string &what, const std::string &path,
                       DWORD code = GetLastError()) {
    throw FsError(what + " '" + path + "': " + ErrorText(code), FaultOf(code));
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasWildcard(const std::string &s) {
    return s.find_first_of("*?") != std::string::npos;
}

// "e", "e:", "e:\" or "e:/" -> L"E:\"; anything else is no drive name.
std::wstring DriveRoot(const std::string &name) {
    return std::wstring(
               1, static_cast<wchar_t>(std::towupper(static_cast<wint_t>(DriveLetterOf(name))))) +
           L":\\";
}

// The drive must exist; an empty reader exists.
std::wstring ExistingDrive(const std::string &name) {
    std::wstring root = DriveRoot(name);
    if (GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR)
        throw FsError("drive not found: '" + name + "'");
    return root;
}

// A volume is there when it answers and its root can be read (Wine answers
// the volume query even for a drive whose medium is missing).
bool VolumeInfo(const std::wstring &root, std::wstring *label, std::wstring *fs_name) {
    wchar_t label_buf[MAX_PATH + 1] = {};
    wchar_t fs_buf[MAX_PATH + 1] = {};
    QuietMediaErrors quiet;
    const DWORD a = GetFileAttributesW(root.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (!GetVolumeInformationW(root.c_str(), label_buf, MAX_PATH + 1, nullptr, nullptr, nullptr,
                               fs_buf, MAX_PATH + 1))
        return false;
    if (label)
        *label = label_buf;
    if (fs_name)
        *fs_name = fs_buf;
    return true;
}

DWORD Attributes(const std::string &path) {
    QuietMediaErrors quiet;
    return GetFileAttributesW(Widen(path).c_str());
}

// Splits "e:\a\*.kpf" into "e:\a" and "*.kpf"; a bare name lies in ".".
std::pair<std::string, std::string> SplitLast(const std::string &path) {
    const auto cut = path.find_last_of("\\/");
    if (cut == std::string::npos) {
        if (path.size() >= 2 && path[1] == ':')
            return {path.substr(0, 2), path.substr(2)};
        return {".", path};
    }
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

std::string JoinPath(const std::string &folder, const std::string &name) {
    if (folder.empty() || IsSeparator(folder.back()) || (folder.size() == 2 && folder[1] == ':'))
        return folder + name;
    return folder + "\\" + name;
}

struct Entry {
    std::string name;
    DWORD attributes;
};

// The entries of `folder` whose long names match `pattern` ("." and ".." left
// out). The system also matches against short names ("*.kpf" would find
// "a.kpfold"), so every name is checked again here.
std::vector<Entry> Find(const std::string &folder, const std::string &pattern,
                        const std::string &what) {
    WIN32_FIND_DATAW data;
    QuietMediaErrors quiet;
    const std::wstring query = Widen(JoinPath(folder, pattern));
    UniqueFind find(
        FindFirstFileExW(query.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (find.get() == INVALID_HANDLE_VALUE) {
        find.release();
        const DWORD err = GetLastError();
        if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES)
            return {};
        Fail(what, JoinPath(folder, pattern), err);
    }
    std::vector<Entry> out;
    do {
        std::string name = Narrow(data.cFileName);
        if (name != "." && name != ".." && WildcardMatch(pattern, name))
            out.push_back({std::move(name), data.dwFileAttributes});
    } while (FindNextFileW(find.get(), &data));
    return out;
}

void SortNames(std::vector<std::string> &names) {
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        const std::wstring wa = Widen(a), wb = Widen(b);
        const int c = CompareStringOrdinal(wa.c_str(), -1, wb.c_str(), -1, TRUE);
        return c == CSTR_EQUAL ? a < b : c == CSTR_LESS_THAN;
    });
}

// Read-only items go too; the attribute is cleared first. When it stays, the
// deletion that follows fails and says so; the trace keeps the first cause.
void ClearReadOnly(const std::wstring &path, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_READONLY))
        return;
    if (!SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
        SwallowedError("ClearReadOnly", Narrow(path), GetLastError());
}

// Where an entry really lives: the final path of a handle opened on it. A host
// link reads as its target (Wine shows a file link as a plain file, so the
// attributes cannot tell). Empty when the entry cannot be opened.
std::string FinalPath(const std::string &path) {
    UniqueHandle h = Own(CreateFileW(Widen(path).c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h)
        return "";
    std::wstring out(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFinalPathNameByHandleW(h.get(), out.data(), static_cast<DWORD>(out.size()), 0);
        if (n == 0)
            return "";
        if (n < out.size()) {
            out.resize(n);
            return Narrow(out);
        }
        out.resize(n + 1);
    }
}

// Deletes what lives where its name says and nothing else: an entry whose
// final path is not its own (a link, wherever it leads) stays, and so does the
// folder that holds it; neither is a failure. Wine deletes a link's target
// when a program deletes the link, so a link can never safely be deleted.
class Deleter {
  public:
    Deleter(const std::string &folder, const char *what)
        : what_(what), folder_final_(FinalPath(folder)) {
        if (folder_final_.empty())
            Fail(what_, folder);
    }

    // True when the entry is gone, false when it was left alone.
    bool File(const std::string &path, DWORD attributes) {
        return File(path, attributes, folder_final_);
    }
    bool Tree(const std::string &path, DWORD attributes) {
        return Tree(path, attributes, folder_final_);
    }

  private:
    bool File(const std::string &path, DWORD attributes, const std::string &parent_final) {
        if (Locate(path, parent_final).empty())
            return false;
        const std::wstring w = Widen(path);
        ClearReadOnly(w, attributes);
        if (!retry_while_held([&] { return DeleteFileW(w.c_str()); }))
            Fail(what_, path);
        return true;
    }

    bool Tree(const std::string &path, DWORD attributes, const std::string &parent_final) {
        const std::string own = Locate(path, parent_final);
        if (own.empty())
            return false;
        bool all_gone = true;
        for (const Entry &e : Find(path, "*", what_)) {
            const std::string child = JoinPath(path, e.name);
            all_gone &= (e.attributes & FILE_ATTRIBUTE_DIRECTORY) ? Tree(child, e.attributes, own)
                                                                  : File(child, e.attributes, own);
        }
        if (!all_gone)
            return false;
        const std::wstring w = Widen(path);
        ClearReadOnly(w, attributes);
        if (!RemoveDirectoryW(w.c_str()))
            Fail(what_, path);
        return true;
    }

    // The entry's final path when it lives where its name says, else "".
    std::string Locate(const std::string &path, const std::string &parent_final) {
        const std::string final_path = FinalPath(path);
        if (final_path.empty())
            Fail(what_, path); // where it lives is unknown: it is not touched
        if (SamePath(final_path, JoinPath(parent_final, SplitLast(path).second)))
            return final_path;
        trace::Swallowed(what_, "link left in place: '" + path + "' -> '" + final_path + "'");
        return "";
    }

    const char *what_;
    std::string folder_final_;
};

// Windows refuses to replace a read-only file; so does this, also where the
// host would let it through (Wine running as root).
void RefuseReadOnly(const std::string &path, const char *what) {
    const DWORD a = Attributes(path);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
        Fail(what, path, ERROR_ACCESS_DENIED);
}

// Reads the file piece by piece as the reader asks, so a wave file's header
// costs 44 bytes, not the whole file; a read error is a failure, not an end.
// Others may still rename or delete the file while it is open for reading.
std::unique_ptr<TextReader> OpenStream(const std::string &path) {
    QuietMediaErrors quiet;
    auto h = std::make_shared<UniqueHandle>(Own(CreateFileW(
        Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!*h)
        Fail("OpenTextForReading", path);
    auto read = [h, path](char *buffer, std::size_t size) -> std::size_t {
        QuietMediaErrors quiet_read;
        DWORD got = 0;
        if (!*h || !ReadFile(h->get(), buffer, static_cast<DWORD>(size), &got, nullptr))
            Fail("Read", path);
        return got;
    };
    return MakeTextReader(read, [h] { h->reset(); });
}

class Win32TextWriter : public TextWriter {
  public:
    Win32TextWriter(UniqueHandle h, std::string path) : h_(std::move(h)), path_(std::move(path)) {}
    void Write(const std::string &utf8) override { Put(Utf8ToAnsi(utf8)); }
    void WriteLine(const std::string &utf8) override { Put(Utf8ToAnsi(utf8) + "\r\n"); }
    void Close() override {
        if (!h_)
            return;
        UniqueHandle h = std::move(h_);
        if (failed_)
            throw FsError("write failed '" + path_ + "'");
        if (!CloseHandle(h.release()))
            Fail("Close", path_);
    }

  private:
    void Put(const std::string &bytes) {
        if (!h_)
            throw FsError("write to a closed file '" + path_ + "'");
        DWORD written = 0;
        if (!WriteFile(h_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size())
            failed_ = true;
    }
    UniqueHandle h_;
    std::string path_;
    bool failed_ = false;
};

// A buffer aligned for unbuffered reads (page aligned covers every sector size).
struct AlignedBuffer {
    explicit AlignedBuffer(std::size_t n)
        : size(n), data(static_cast<char *>(
                       VirtualAlloc(nullptr, n, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {
        if (!data)
            throw FsError("out of memory");
    }
    ~AlignedBuffer() { VirtualFree(data, 0, MEM_RELEASE); }
    AlignedBuffer(const AlignedBuffer &) = delete;
    AlignedBuffer &operator=(const AlignedBuffer &) = delete;
    std::size_t size;
    char *data;
};

// Opens for reading past the cache where the volume allows it, so a compare
// reads what is on the medium; falls back to an ordinary open elsewhere.
UniqueHandle OpenForReadBack(const std::string &path, bool &unbuffered) {
    const std::wstring w = Widen(path);
    unbuffered = true;
    UniqueHandle h =
        Own(CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (h)
        return h;
    unbuffered = false;
    h = Own(CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h)
        Fail("FilesEqual", path);
    return h;
}

// Unbuffered reads must start, end and land on sector boundaries; 4096
// covers 512-byte and 4Kn media alike.
constexpr DWORD kSectorBytes = 4096;

// Reads the next `wanted` bytes (at most buffer.size); fewer only when the
// file ends early. An unbuffered handle is asked for whole sectors only: the
// file's end cuts the last one short, and a short read off a sector boundary
// is that end, never a place to read on from.
DWORD ReadChunk(HANDLE h, bool unbuffered, AlignedBuffer &buffer, DWORD wanted,
                const std::string &path) {
    DWORD total = 0;
    while (total < wanted) {
        DWORD ask = wanted - total;
        if (unbuffered) {
            if (total % kSectorBytes != 0)
                break;
            ask = (ask + kSectorBytes - 1) / kSectorBytes * kSectorBytes;
        }
        DWORD got = 0;
        if (!ReadFile(h, buffer.data + total, ask, &got, nullptr))
            Fail("FilesEqual", path);
        if (got == 0)
            break;
        total += got;
    }
    // A file grown since its size was taken shows more; what counts is the size.
    return total < wanted ? total : wanted;
}

std::uint64_t SizeOf(HANDLE h, const std::string &path) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size))
        Fail("FilesEqual", path);
    return static_cast<std::uint64_t>(size.QuadPart);
}

class Win32FileSystem : public FileSystem {
  public:
    std::vector<DriveEntry> Drives() override {
        std::vector<DriveEntry> out;
        const DWORD mask = GetLogicalDrives();
        for (int i = 0; i < 26; ++i) {
            if (!(mask & (1u << i)))
                continue;
            const char letter = static_cast<char>('a' + i);
            const std::wstring root = std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L":\\";
            std::wstring label;
            // The list is refreshed every few seconds on the window's thread,
            // so only drives that answer at once are asked for a label: a
            // floppy would spin up, a sleeping optical drive too, and a
            // network drive whose server is gone stalls for many seconds.
            const UINT type = GetDriveTypeW(root.c_str());
            const bool floppy = i < 2 && type == DRIVE_REMOVABLE;
            if (!floppy && type != DRIVE_REMOTE && type != DRIVE_CDROM)
                VolumeInfo(root, &label, nullptr);
            out.push_back({std::string(1, letter) + ":", Narrow(label)});
        }
        return out;
    }

    int DriveType(const std::string &drive) override {
        switch (GetDriveTypeW(DriveRoot(drive).c_str())) {
        case DRIVE_NO_ROOT_DIR:
            throw FsError("drive not found: '" + drive + "'");
        case DRIVE_REMOVABLE:
            return kDriveRemovable;
        case DRIVE_FIXED:
            return kDriveFixed;
        case DRIVE_REMOTE:
            return kDriveNetwork;
        case DRIVE_CDROM:
            return kDriveCdRom;
        case DRIVE_RAMDISK:
            return kDriveRamDisk;
        default:
            return kDriveUnknown;
        }
    }

    bool IsReady(const std::string &drive) override {
        return VolumeInfo(ExistingDrive(drive), nullptr, nullptr);
    }

    std::string FileSystemName(const std::string &drive) override {
        std::wstring name;
        if (!VolumeInfo(ExistingDrive(drive), nullptr, &name))
            Fail("FileSystem", drive);
        return Narrow(name);
    }

    std::uint64_t TotalSize(const std::string &drive) override { return Space(drive, false); }
    std::uint64_t AvailableSpace(const std::string &drive) override { return Space(drive, true); }

    std::string GetAbsolutePathName(const std::string &path) override {
        const std::wstring w = Widen(path.empty() ? "." : path);
        DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
        if (n == 0)
            Fail("GetAbsolutePathName", path);
        std::wstring out(n, L'\0');
        n = GetFullPathNameW(w.c_str(), n, out.data(), nullptr);
        if (n == 0)
            Fail("GetAbsolutePathName", path);
        out.resize(n);
        while (out.size() > 3 && out.back() == L'\\')
            out.pop_back();
        return Narrow(out);
    }

    std::string GetDriveName(const std::string &path) override { return DriveNameOf(path); }

    std::string ShortPathName(const std::string &path) override {
        const std::wstring w = Widen(path);
        QuietMediaErrors quiet;
        DWORD n = GetShortPathNameW(w.c_str(), nullptr, 0);
        if (n == 0)
            Fail("ShortPathName", path);
        std::wstring out(n, L'\0');
        n = GetShortPathNameW(w.c_str(), out.data(), n);
        if (n == 0)
            Fail("ShortPathName", path);
        out.resize(n);
        return IsShortForm(out) ? Narrow(out) : "";
    }

    bool FileExists(const std::string &path) override {
        if (path.empty() || HasWildcard(path))
            return false;
        const DWORD a = Attributes(path);
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool FolderExists(const std::string &path) override {
        if (path.empty() || HasWildcard(path))
            return false;
        const DWORD a = Attributes(path);
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::uint64_t FileSize(const std::string &path) override {
        const WIN32_FILE_ATTRIBUTE_DATA d = FileData(path, "GetFile");
        return (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    }

    DateTime LastModified(const std::string &path) override {
        const WIN32_FILE_ATTRIBUTE_DATA d = FileData(path, "DateLastModified");
        SYSTEMTIME utc, local;
        if (!FileTimeToSystemTime(&d.ftLastWriteTime, &utc) ||
            !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
            Fail("DateLastModified", path);
        return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    }

    std::vector<std::string> ListFolders(const std::string &folder) override {
        RequireFolder(folder, "ListFolders");
        std::vector<std::string> names;
        for (const Entry &e : Find(folder, "*", "ListFolders"))
            if (e.attributes & FILE_ATTRIBUTE_DIRECTORY)
                names.push_back(e.name);
        SortNames(names);
        return names;
    }

    std::vector<std::string> ListFiles(const std::string &folder,
                                       const std::string &pattern) override {
        RequireFolder(folder, "ListFiles");
        std::vector<std::string> names;
        for (const Entry &e : Find(folder, pattern, "ListFiles"))
            if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(e.name);
        SortNames(names);
        return names;
    }

    std::unique_ptr<TextReader> OpenTextForReading(const std::string &path) override {
        if (!FileExists(path))
            throw FsError("file not found '" + path + "'");
        return OpenStream(path);
    }

    std::unique_ptr<TextWriter> CreateTextFile(const std::string &path) override {
        RefuseReadOnly(path, "CreateTextFile");
        QuietMediaErrors quiet;
        UniqueHandle h = Own(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                         nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h)
            Fail("CreateTextFile", path);
        return std::make_unique<Win32TextWriter>(std::move(h), path);
    }

    // Written through the cache and flushed, so the bytes are on the medium
    // when this returns; a copy that fails half way leaves no partial target.
    // The target is made new: whatever holds its name (a dangling link too)
    // makes this fail, so the copy can never be written through a link.
    void CopyToNewFile(const std::string &source, const std::string &target,
                       const BlockProgress &progress) override {
        const std::string to = CopyTarget(source, target);
        QuietMediaErrors quiet;
        UniqueHandle in =
            Own(CreateFileW(Widen(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!in)
            Fail("CopyFile", source);
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(in.get(), &info))
            Fail("CopyFile", source);
        const std::wstring wto = Widen(to);
        UniqueHandle out =
            Own(CreateFileW(wto.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        if (!out)
            Fail("CopyFile", to);
        const std::uint64_t total =
            (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        DWORD err = ERROR_SUCCESS;
        try {
            err = CopyBytes(in.get(), out.get(), total, progress);
        } catch (...) { // the caller's progress gave up: nothing half-written stays
            out.reset();
            DeleteFileW(wto.c_str());
            throw;
        }
        if (err != ERROR_SUCCESS) {
            out.reset();
            if (!retry_while_held([&] { return DeleteFileW(wto.c_str()); }))
                SwallowedError("CopyFile", "partial copy left: '" + to + "'", GetLastError());
            Fail("CopyFile", source + "' -> '" + to, err);
        }
        // Like an ordinary copy: the target keeps the source's date and
        // attributes. The copy is whole without them, so it goes on.
        if (!SetFileTime(out.get(), nullptr, nullptr, &info.ftLastWriteTime))
            SwallowedError("CopyFile", "date of '" + to + "' not set", GetLastError());
        out.reset();
        if (!SetFileAttributesW(wto.c_str(), info.dwFileAttributes))
            SwallowedError("CopyFile", "attributes of '" + to + "' not set", GetLastError());
    }

    bool FilesEqual(const std::string &a, const std::string &b,
                    const BlockProgress &progress) override {
        QuietMediaErrors quiet;
        bool unbuffered_a = false, unbuffered_b = false;
        UniqueHandle ha = OpenForReadBack(a, unbuffered_a);
        UniqueHandle hb = OpenForReadBack(b, unbuffered_b);
        const std::uint64_t size = SizeOf(ha.get(), a);
        if (size != SizeOf(hb.get(), b))
            return false;
        std::uint64_t left = size;
        AlignedBuffer ba(1 << 20), bb(1 << 20);
        while (left > 0) {
            const DWORD wanted = static_cast<DWORD>(left < ba.size ? left : ba.size);
            const DWORD na = ReadChunk(ha.get(), unbuffered_a, ba, wanted, a);
            const DWORD nb = ReadChunk(hb.get(), unbuffered_b, bb, wanted, b);
            if (na != wanted || nb != wanted || std::memcmp(ba.data, bb.data, wanted) != 0)
                return false;
            left -= wanted;
            if (progress)
                progress(size - left, size);
        }
        return true;
    }

    void MoveFile(const std::string &from, const std::string &to) override {
        RefuseReadOnly(to, "MoveFile");
        QuietMediaErrors quiet;
        const std::wstring wfrom = Widen(from), wto = Widen(to);
        if (!retry_while_held([&] {
                return MoveFileExW(wfrom.c_str(), wto.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
            }))
            Fail("MoveFile", from + "' -> '" + to);
    }

    void DeleteFile(const std::string &pattern) override {
        const auto [folder, name] = SplitLast(pattern);
        std::vector<Entry> files;
        for (const Entry &e : Find(folder, name, "DeleteFile"))
            if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY))
                files.push_back(e);
        if (files.empty())
            throw FsError("file not found '" + pattern + "'");
        QuietMediaErrors quiet;
        Deleter deleter(folder, "DeleteFile");
        for (const Entry &e : files)
            deleter.File(JoinPath(folder, e.name), e.attributes);
    }

    void DeleteFolder(const std::string &pattern) override {
        std::string p = pattern;
        while (p.size() > 3 && IsSeparator(p.back()))
            p.pop_back();
        const auto [folder, name] = SplitLast(p);
        std::vector<Entry> folders;
        for (const Entry &e : Find(folder, name, "DeleteFolder"))
            if (e.attributes & FILE_ATTRIBUTE_DIRECTORY)
                folders.push_back(e);
        if (folders.empty())
            throw FsError("path not found '" + pattern + "'");
        QuietMediaErrors quiet;
        Deleter deleter(folder, "DeleteFolder");
        for (const Entry &e : folders)
            deleter.Tree(JoinPath(folder, e.name), e.attributes);
    }

    void CreateFolder(const std::string &path) override {
        QuietMediaErrors quiet;
        if (!CreateDirectoryW(Widen(path).c_str(), nullptr))
            Fail("CreateFolder", path);
    }

    // The order the system's own "eject" follows: a lock that only succeeds
    // when no file is open (the lock is what tells "in use", and it flushes
    // the volume's cached data first), dismount, allow removal, eject. The
    // handle's close releases the lock. No FlushFileBuffers on the volume:
    // that needs an administrator, and the program runs as the user.
    EjectResult EjectMedium(const std::string &drive) override {
        const std::wstring volume = L"\\\\.\\" + DriveRoot(drive).substr(0, 2);
        QuietMediaErrors quiet;
        auto open = [&](DWORD access) {
            return Own(CreateFileW(volume.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
        };
        // Lock, dismount and eject need no write access; a policy may deny
        // write access to a removable volume.
        UniqueHandle h = open(GENERIC_READ | GENERIC_WRITE);
        if (!h && GetLastError() == ERROR_ACCESS_DENIED)
            h = open(GENERIC_READ);
        if (!h)
            return Refused("open", drive, GetLastError());
        auto control = [&](DWORD code, void *in, DWORD in_size) {
            DWORD returned = 0;
            return DeviceIoControl(h.get(), code, in, in_size, nullptr, 0, &returned, nullptr) != 0;
        };
        // An Explorer window or a scanner may let go of the card a moment later.
        bool locked = false;
        for (int attempt = 0; attempt < 5 && !locked; ++attempt) {
            if (attempt > 0)
                Sleep(100);
            locked = control(FSCTL_LOCK_VOLUME, nullptr, 0);
        }
        if (!locked) {
            const DWORD err = GetLastError();
            Refused("FSCTL_LOCK_VOLUME", drive, err);
            return err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION
                       ? EjectResult::InUse
                       : EjectResult::Failed;
        }
        if (!control(FSCTL_DISMOUNT_VOLUME, nullptr, 0))
            return Refused("FSCTL_DISMOUNT_VOLUME", drive, GetLastError());
        PREVENT_MEDIA_REMOVAL allow = {FALSE};
        control(IOCTL_STORAGE_MEDIA_REMOVAL, &allow, sizeof allow);
        if (!control(IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0))
            return Refused("IOCTL_STORAGE_EJECT_MEDIA", drive, GetLastError());
        return EjectResult::Ejected;
    }

    // Asking for write and delete access while sharing everything fails only
    // when another handle denies one of them, or the file is a running
    // program's image: exactly what keeps a replacing rename from working.
    bool InUse(const std::string &path) override {
        QuietMediaErrors quiet;
        HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return false;
        }
        const DWORD err = GetLastError();
        return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION;
    }

  private:
    static EjectResult Refused(const char *step, const std::string &drive, DWORD code) {
        trace::Swallowed("EjectMedium", std::string(step) + " '" + drive + "': " + ErrorText(code));
        return EjectResult::Failed;
    }

    std::uint64_t Space(const std::string &drive, bool available) {
        const std::wstring root = ExistingDrive(drive);
        ULARGE_INTEGER free_to_caller, total, total_free;
        QuietMediaErrors quiet;
        if (!GetDiskFreeSpaceExW(root.c_str(), &free_to_caller, &total, &total_free))
            Fail(available ? "AvailableSpace" : "TotalSize", drive);
        return available ? free_to_caller.QuadPart : total.QuadPart;
    }

    static WIN32_FILE_ATTRIBUTE_DATA FileData(const std::string &path, const char *what) {
        WIN32_FILE_ATTRIBUTE_DATA d;
        QuietMediaErrors quiet;
        if (HasWildcard(path) ||
            !GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &d))
            Fail(what, path, HasWildcard(path) ? ERROR_INVALID_NAME : GetLastError());
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            throw FsError(std::string(what) + " '" + path + "': is a folder");
        return d;
    }

    static void RequireFolder(const std::string &folder, const char *what) {
        const DWORD a = Attributes(folder);
        if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY))
            Fail(what, folder, a == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY);
    }

    // A target ending in a separator is a folder; the file keeps its name.
    static std::string CopyTarget(const std::string &source, const std::string &target) {
        if (target.empty() || !IsSeparator(target.back()))
            return target;
        return target + SplitLast(source).second;
    }

    static DWORD CopyBytes(HANDLE in, HANDLE out, std::uint64_t total,
                           const BlockProgress &progress) {
        std::vector<char> buffer(1 << 20);
        for (std::uint64_t done = 0;;) {
            DWORD got = 0;
            if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
                return GetLastError();
            if (got == 0)
                break;
            DWORD written = 0;
            if (!WriteFile(out, buffer.data(), got, &written, nullptr))
                return GetLastError();
            if (written != got)
                return ERROR_DISK_FULL;
            done += got;
            if (progress)
                progress(done, total);
        }
        return FlushFileBuffers(out) ? ERROR_SUCCESS : GetLastError();
    }

    // Each element at most 8 characters with an extension of at most 3 and
    // no blanks: the volume gave a real short form.
    static bool IsShortForm(const std::wstring &path) {
        std::size_t start = path.find_first_of(L"\\/");
        if (path.size() < 2 || path[1] != L':' || start == std::wstring::npos)
            return false;
        for (++start; start < path.size();) {
            std::size_t end = path.find_first_of(L"\\/", start);
            if (end == std::wstring::npos)
                end = path.size();
            const std::wstring part = path.substr(start, end - start);
            const std::size_t dot = part.find(L'.');
            const std::wstring base = part.substr(0, dot);
            const std::wstring ext = dot == std::wstring::npos ? L"" : part.substr(dot + 1);
            if (part.find(L' ') != std::wstring::npos || base.size() > 8 || ext.size() > 3 ||
                ext.find(L'.') != std::wstring::npos)
                return false;
            start = end + 1;
        }
        return true;
    }
};

} // namespace

std::unique_ptr<FileSystem> MakeFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

} // namespace tf::win32
