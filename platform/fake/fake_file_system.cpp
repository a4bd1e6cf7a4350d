#include "platform/fake/fake_file_system.h"

#include "platform/codepage.h"
#include "platform/path_names.h"
#include "platform/text_stream.h"
#include "platform/wildcard.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace stdfs = std::filesystem;

namespace tf::fake {
namespace {

std::string Lower(std::string s) {
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool LessIgnoringCase(const std::string &a, const std::string &b) {
    std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
}

std::string Key(const stdfs::path &p) {
    return p.lexically_normal().string();
}

bool HasWildcard(const std::string &s) {
    return s.find_first_of("*?") != std::string::npos;
}

std::string ReadAll(const stdfs::path &p) {
    std::ifstream in(p, std::ios::binary);
    if (!in)
        throw FsError("cannot open " + p.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FakeTextWriter : public TextWriter {
  public:
    explicit FakeTextWriter(const stdfs::path &p) : out_(p, std::ios::binary | std::ios::trunc) {
        if (!out_)
            throw FsError("cannot create " + p.string());
    }
    void Write(const std::string &utf8) override { out_ << Utf8ToAnsi(utf8); }
    void WriteLine(const std::string &utf8) override { out_ << Utf8ToAnsi(utf8) << "\r\n"; }
    void Close() override {
        if (!out_.is_open())
            return;
        out_.close();
        if (out_.fail())
            throw FsError("write failed");
    }

  private:
    std::ofstream out_;
};

} // namespace

// A fresh folder of its own under the temporary folder; tests run in
// parallel, so the name is chosen at random until one is free.
FakeFileSystem::FakeFileSystem() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        stdfs::path candidate = stdfs::temp_directory_path() /
                                ("tf-fakefs-" + std::to_string(random() % 1000000000000ull));
        if (stdfs::create_directory(candidate)) {
            base_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

FakeFileSystem::~FakeFileSystem() {
    std::error_code ec;
    stdfs::remove_all(base_, ec);
}

// --- Setting up ---------------------------------------------------------

FakeDrive &FakeFileSystem::AddDrive(const std::string &name, int type) {
    char letter = DriveLetterOf(name);
    FakeDrive d;
    d.type = type;
    if (type == kDriveRemovable) {
        d.file_system = "FAT";
        d.total_bytes = 128ull * 1024 * 1024;
        d.available_bytes = 100ull * 1024 * 1024;
    } else {
        d.total_bytes = 100ull * 1024 * 1024 * 1024;
        d.available_bytes = 50ull * 1024 * 1024 * 1024;
    }
    d.root = base_ / std::string(1, letter);
    stdfs::create_directories(d.root);
    if (!current_drive_)
        current_drive_ = letter;
    return drives_[letter] = std::move(d);
}

FakeDrive &FakeFileSystem::drive(const std::string &name) {
    return drives_.at(DriveLetterOf(name));
}

void FakeFileSystem::RemoveDrive(const std::string &name) {
    char letter = DriveLetterOf(name);
    auto it = drives_.find(letter);
    if (it == drives_.end())
        return;
    std::error_code ec;
    stdfs::remove_all(it->second.root, ec);
    drives_.erase(it);
}

void FakeFileSystem::SetCurrentDrive(const std::string &name) {
    current_drive_ = DriveLetterOf(name);
}

void FakeFileSystem::SetCurrentFolder(const std::string &drive_name, const std::string &folder) {
    char letter = DriveLetterOf(drive_name);
    Resolved r =
        Resolve(std::string(1, letter) + ":" +
                (folder.empty() || folder[0] == '\\' || folder[0] == '/' ? "" : "\\") + folder);
    DriveOf(letter).current_folder = r.parts;
}

stdfs::path FakeFileSystem::HostPath(const std::string &path) const {
    return Host(Resolve(path));
}

void FakeFileSystem::WriteFile(const std::string &path, const std::string &bytes) {
    stdfs::path host = HostPath(path);
    stdfs::create_directories(host.parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + host.string());
}

std::string FakeFileSystem::ReadFile(const std::string &path) const {
    return ReadAll(HostPath(path));
}

void FakeFileSystem::MakeFolders(const std::string &path) {
    stdfs::create_directories(HostPath(path));
}

void FakeFileSystem::SetReadOnly(const std::string &path, bool read_only) {
    if (read_only)
        read_only_.insert(Key(HostPath(path)));
    else
        read_only_.erase(Key(HostPath(path)));
}

bool FakeFileSystem::IsReadOnly(const std::string &path) const {
    return read_only_.count(Key(HostPath(path))) > 0;
}

void FakeFileSystem::SetLocked(const std::string &path, bool locked) {
    if (locked)
        locked_.insert(Key(HostPath(path)));
    else
        locked_.erase(Key(HostPath(path)));
}

void FakeFileSystem::SetLastModified(const std::string &path, const DateTime &t) {
    using namespace std::chrono;
    sys_days day = year{t.year} / t.month / t.day;
    sys_seconds when = day + hours{t.hour} + minutes{t.minute} + seconds{t.second};
    stdfs::last_write_time(HostPath(path), file_clock::from_sys(when));
}

void FakeFileSystem::SetShortPathName(const std::string &path, const std::string &short_name) {
    short_names_[Key(HostPath(path))] = short_name;
}

// --- Failure injection --------------------------------------------------

void FakeFileSystem::FailNext(const std::string &member, int times) {
    fail_next_[member] += times;
}

void FakeFileSystem::FailAlways(const std::string &member, bool on) {
    if (on)
        fail_always_.insert(member);
    else
        fail_always_.erase(member);
}

void FakeFileSystem::ClearFailures() {
    fail_next_.clear();
    fail_always_.clear();
    fail_when = nullptr;
}

int FakeFileSystem::CallCount(const std::string &member) const {
    std::string prefix = member + "(";
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(), [&](const std::string &c) {
        return c.rfind(prefix, 0) == 0;
    }));
}

void FakeFileSystem::Enter(const std::string &member, const std::string &argument) {
    calls_.push_back(member + "(" + argument + ")");
    bool fail = fail_always_.count(member) > 0;
    if (auto it = fail_next_.find(member); !fail && it != fail_next_.end() && it->second > 0) {
        --it->second;
        fail = true;
    }
    if (!fail && fail_when)
        fail = fail_when(member, argument);
    if (fail)
        throw FsError(member + " failed");
}

// --- Path handling ------------------------------------------------------

FakeDrive &FakeFileSystem::DriveOf(char letter) {
    auto it = drives_.find(letter);
    if (it == drives_.end())
        throw FsError(std::string("drive not found: ") + letter + ":");
    return it->second;
}

const FakeDrive &FakeFileSystem::DriveOf(char letter) const {
    return const_cast<FakeFileSystem *>(this)->DriveOf(letter);
}

FakeDrive &FakeFileSystem::ReadyDrive(char letter) {
    FakeDrive &d = DriveOf(letter);
    if (!d.ready)
        throw FsError(std::string("device not ready: ") + letter + ":", FsFault::Gone);
    return d;
}

FakeFileSystem::Resolved FakeFileSystem::Resolve(const std::string &path) const {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.rfind("\\\\", 0) == 0)
        throw FsError("network paths are not supported: " + path);
    Resolved r;
    std::size_t pos = 0;
    if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
        r.letter = static_cast<char>(std::tolower(static_cast<unsigned char>(p[0])));
        r.shown_letter = p.substr(0, 1);
        pos = 2;
    } else {
        if (!current_drive_)
            throw FsError("no current drive for '" + path + "'");
        r.letter = current_drive_;
        r.shown_letter = std::string(1, static_cast<char>(std::toupper(current_drive_)));
    }
    std::string rest = p.substr(pos);
    if (rest.empty() || rest[0] != '\\') {
        if (auto it = drives_.find(r.letter); it != drives_.end())
            r.parts = it->second.current_folder;
    }
    std::stringstream ss(rest);
    for (std::string part; std::getline(ss, part, '\\');) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!r.parts.empty())
                r.parts.pop_back();
            continue;
        }
        r.parts.push_back(part);
    }
    return r;
}

stdfs::path FakeFileSystem::Host(const Resolved &r) const {
    stdfs::path cur = DriveOf(r.letter).root;
    for (const std::string &part : r.parts) {
        stdfs::path exact = cur / part;
        std::error_code ec;
        if (!HasWildcard(part) && !stdfs::exists(stdfs::symlink_status(exact, ec)) &&
            stdfs::is_directory(cur, ec)) {
            std::string want = Lower(part);
            for (const auto &e : stdfs::directory_iterator(cur, ec)) {
                if (Lower(e.path().filename().string()) == want) {
                    exact = e.path();
                    break;
                }
            }
        }
        cur = exact;
    }
    return cur;
}

stdfs::path FakeFileSystem::ReadyHost(const std::string &path, Resolved *out) {
    Resolved r = Resolve(path);
    ReadyDrive(r.letter);
    if (out)
        *out = r;
    return Host(r);
}

void FakeFileSystem::CheckWritable(const stdfs::path &host) const {
    if (read_only_.count(Key(host)) || locked_.count(Key(host)))
        throw FsError("permission denied: " + host.filename().string());
}

void FakeFileSystem::Forget(const stdfs::path &host) {
    std::string k = Key(host);
    auto drop = [&](auto &container) {
        for (auto it = container.begin(); it != container.end();) {
            const std::string &item = [&]() -> const std::string & {
                if constexpr (std::is_same_v<std::decay_t<decltype(*it)>, std::string>)
                    return *it;
                else
                    return it->first;
            }();
            bool under = item == k || item.rfind(k + "/", 0) == 0;
            it = under ? container.erase(it) : std::next(it);
        }
    };
    drop(read_only_);
    drop(locked_);
    drop(short_names_);
}

bool FakeFileSystem::WildcardMatch(const std::string &pattern, const std::string &name) {
    return tf::WildcardMatch(pattern, name);
}

// --- Drives ---------------------------------------------------------------

std::vector<DriveEntry> FakeFileSystem::Drives() {
    Enter("Drives", "");
    std::vector<DriveEntry> out;
    for (const auto &[letter, d] : drives_) {
        const bool asked = d.ready && d.type != kDriveNetwork && d.type != kDriveCdRom;
        out.push_back({std::string(1, letter) + ":", asked ? d.label : ""});
    }
    return out;
}

int FakeFileSystem::DriveType(const std::string &d) {
    Enter("DriveType", d);
    return DriveOf(DriveLetterOf(d)).type;
}

bool FakeFileSystem::IsReady(const std::string &d) {
    Enter("IsReady", d);
    return DriveOf(DriveLetterOf(d)).ready;
}

std::string FakeFileSystem::FileSystemName(const std::string &d) {
    Enter("FileSystemName", d);
    return ReadyDrive(DriveLetterOf(d)).file_system;
}

std::uint64_t FakeFileSystem::TotalSize(const std::string &d) {
    Enter("TotalSize", d);
    return ReadyDrive(DriveLetterOf(d)).total_bytes;
}

std::uint64_t FakeFileSystem::AvailableSpace(const std::string &d) {
    Enter("AvailableSpace", d);
    return ReadyDrive(DriveLetterOf(d)).available_bytes;
}

// --- Paths ----------------------------------------------------------------

std::string FakeFileSystem::GetAbsolutePathName(const std::string &path) {
    Enter("GetAbsolutePathName", path);
    Resolved r = Resolve(path);
    std::string out = r.shown_letter + ":";
    if (r.parts.empty())
        return out + "\\";
    for (const std::string &part : r.parts)
        out += "\\" + part;
    return out;
}

std::string FakeFileSystem::GetDriveName(const std::string &path) {
    Enter("GetDriveName", path);
    return DriveNameOf(path);
}

std::string FakeFileSystem::ShortPathName(const std::string &path) {
    Enter("ShortPathName", path);
    stdfs::path host = ReadyHost(path);
    if (!stdfs::exists(host))
        throw FsError("file not found: " + path);
    auto it = short_names_.find(Key(host));
    return it == short_names_.end() ? "" : it->second;
}

// --- Files and folders ------------------------------------------------------

bool FakeFileSystem::FileExists(const std::string &path) {
    Enter("FileExists", path);
    try {
        if (HasWildcard(path))
            return false;
        return stdfs::is_regular_file(ReadyHost(path));
    } catch (const FsError &) {
        return false;
    }
}

bool FakeFileSystem::FolderExists(const std::string &path) {
    Enter("FolderExists", path);
    try {
        if (HasWildcard(path))
            return false;
        return stdfs::is_directory(ReadyHost(path));
    } catch (const FsError &) {
        return false;
    }
}

std::uint64_t FakeFileSystem::FileSize(const std::string &path) {
    Enter("FileSize", path);
    stdfs::path host = ReadyHost(path);
    if (!stdfs::is_regular_file(host))
        throw FsError("file not found: " + path);
    return stdfs::file_size(host);
}

DateTime FakeFileSystem::LastModified(const std::string &path) {
    Enter("LastModified", path);
    stdfs::path host = ReadyHost(path);
    if (!stdfs::exists(host))
        throw FsError("file not found: " + path);
    using namespace std::chrono;
    auto when = floor<seconds>(file_clock::to_sys(stdfs::last_write_time(host)));
    sys_days day = floor<days>(when);
    year_month_day ymd(day);
    hh_mm_ss hms(when - day);
    return DateTime{static_cast<int>(ymd.year()),
                    static_cast<int>(unsigned(ymd.month())),
                    static_cast<int>(unsigned(ymd.day())),
                    static_cast<int>(hms.hours().count()),
                    static_cast<int>(hms.minutes().count()),
                    static_cast<int>(hms.seconds().count())};
}

std::vector<std::string> FakeFileSystem::ListFolders(const std::string &folder) {
    Enter("ListFolders", folder);
    stdfs::path host = ReadyHost(folder);
    if (!stdfs::is_directory(host))
        throw FsError("path not found: " + folder);
    std::vector<std::string> names;
    for (const auto &e : stdfs::directory_iterator(host))
        if (e.is_directory())
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

std::vector<std::string> FakeFileSystem::ListFiles(const std::string &folder,
                                                   const std::string &pattern) {
    Enter("ListFiles", folder);
    stdfs::path host = ReadyHost(folder);
    if (!stdfs::is_directory(host))
        throw FsError("path not found: " + folder);
    std::vector<std::string> names;
    for (const auto &e : stdfs::directory_iterator(host)) {
        std::string name = e.path().filename().string();
        if (e.is_regular_file() && WildcardMatch(pattern, name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

// --- Text files -------------------------------------------------------------

std::unique_ptr<TextReader> FakeFileSystem::OpenTextForReading(const std::string &path) {
    Enter("OpenTextForReading", path);
    stdfs::path host = ReadyHost(path);
    if (!stdfs::is_regular_file(host))
        throw FsError("file not found: " + path);
    return MakeTextReader(ReadAll(host));
}

std::unique_ptr<TextWriter> FakeFileSystem::CreateTextFile(const std::string &path) {
    Enter("CreateTextFile", path);
    stdfs::path host = ReadyHost(path);
    if (!stdfs::is_directory(host.parent_path()))
        throw FsError("path not found: " + path);
    if (stdfs::is_directory(host))
        throw FsError("permission denied: " + path);
    CheckWritable(host);
    return std::make_unique<FakeTextWriter>(host);
}

// --- Copy, move, delete -----------------------------------------------------

void FakeFileSystem::CopyToNewFile(const std::string &source, const std::string &target,
                                   const BlockProgress &progress) {
    Enter("CopyToNewFile", source + " -> " + target);
    CopyImpl(source, target, progress);
}

void FakeFileSystem::CopyImpl(const std::string &source, const std::string &target,
                              const BlockProgress &progress) {
    stdfs::path src = ReadyHost(source);
    if (HasWildcard(source) || !stdfs::is_regular_file(src))
        throw FsError("file not found: " + source);
    Resolved tr;
    stdfs::path tgt = ReadyHost(target, &tr);
    bool into_folder = !target.empty() && (target.back() == '\\' || target.back() == '/');
    if (into_folder) {
        if (!stdfs::is_directory(tgt))
            throw FsError("path not found: " + target);
        tgt = Host([&] {
            Resolved r = tr;
            r.parts.push_back(src.filename().string());
            return r;
        }());
    }
    if (stdfs::is_directory(tgt) || !stdfs::is_directory(tgt.parent_path()))
        throw FsError("cannot write " + target);
    if (stdfs::exists(stdfs::symlink_status(tgt)))
        throw FsError("file exists: " + target);
    CheckWritable(tgt);

    FakeDrive &d = DriveOf(tr.letter);
    std::uint64_t size = stdfs::file_size(src);
    std::uint64_t old = stdfs::is_regular_file(tgt) ? stdfs::file_size(tgt) : 0;
    if (size > old && size - old > d.available_bytes)
        throw FsError("disk full", FsFault::Full);
    d.available_bytes = d.available_bytes + old - size;
    if (progress)
        CopyInBlocks(src, tgt, d, progress);
    else
        stdfs::copy_file(src, tgt, stdfs::copy_options::overwrite_existing);
    // Like Windows: the copy keeps the source's date and read-only attribute.
    stdfs::last_write_time(tgt, stdfs::last_write_time(src));
    if (read_only_.count(Key(src)))
        read_only_.insert(Key(tgt));
}

// Block by block like the real copy: a drive made not ready from inside the
// progress (a card pulled mid-copy) fails the next block and leaves the part
// written, as a real card would keep it; a progress that throws takes the
// part away first, as the real copy does.
void FakeFileSystem::CopyInBlocks(const stdfs::path &src, const stdfs::path &tgt, FakeDrive &d,
                                  const BlockProgress &progress) {
    const std::string bytes = ReadAll(src);
    std::ofstream out(tgt, std::ios::binary | std::ios::trunc);
    std::uint64_t done = 0;
    do {
        if (!d.ready)
            throw FsError("device removed", FsFault::Gone);
        const std::size_t n = std::min<std::size_t>(kBlockBytes, bytes.size() - done);
        out.write(bytes.data() + done, static_cast<std::streamsize>(n));
        out.flush();
        done += n;
        try {
            progress(done, bytes.size());
        } catch (...) {
            out.close();
            std::error_code ignored;
            stdfs::remove(tgt, ignored);
            d.available_bytes += bytes.size();
            throw;
        }
    } while (done < bytes.size());
}

bool FakeFileSystem::FilesEqual(const std::string &a, const std::string &b,
                                const BlockProgress &progress) {
    Enter("FilesEqual", a + " , " + b);
    Resolved ra, rb;
    stdfs::path ha = ReadyHost(a, &ra), hb = ReadyHost(b, &rb);
    if (!stdfs::is_regular_file(ha) || !stdfs::is_regular_file(hb))
        throw FsError("file not found");
    const std::string ba = ReadAll(ha), bb = ReadAll(hb);
    if (ba.size() != bb.size())
        return false;
    for (std::uint64_t done = 0; done < ba.size();) {
        if (!DriveOf(ra.letter).ready || !DriveOf(rb.letter).ready)
            throw FsError("device removed", FsFault::Gone);
        const std::size_t n = std::min<std::size_t>(kBlockBytes, ba.size() - done);
        if (ba.compare(done, n, bb, done, n) != 0)
            return false;
        done += n;
        if (progress)
            progress(done, ba.size());
    }
    return true;
}

void FakeFileSystem::MoveFile(const std::string &from, const std::string &to) {
    Enter("MoveFile", from + " -> " + to);
    stdfs::path src = ReadyHost(from);
    stdfs::path tgt = ReadyHost(to);
    if (!stdfs::exists(src))
        throw FsError("file not found: " + from);
    if (locked_.count(Key(src)))
        throw FsError("permission denied: " + from);
    if (!stdfs::is_directory(tgt.parent_path()) || stdfs::is_directory(tgt))
        throw FsError("cannot write " + to);
    if (stdfs::exists(tgt)) {
        CheckWritable(tgt);
        Forget(tgt);
    }
    bool was_read_only = read_only_.count(Key(src)) > 0;
    stdfs::rename(src, tgt);
    Forget(src);
    if (was_read_only)
        read_only_.insert(Key(tgt));
}

void FakeFileSystem::DeleteFile(const std::string &pattern) {
    Enter("DeleteFile", pattern);
    DeleteMatching(pattern, false);
}

void FakeFileSystem::DeleteFolder(const std::string &pattern) {
    Enter("DeleteFolder", pattern);
    DeleteMatching(pattern, true);
}

// Like the Win32 one: matches in directory order, depth first, stopping at
// the first item that cannot go; a link stays, with the folders that hold it.
void FakeFileSystem::DeleteMatching(const std::string &pattern, bool folders) {
    Resolved r;
    ReadyHost(pattern, &r);
    if (r.parts.empty())
        throw FsError("nothing to delete in " + pattern);
    std::string last = r.parts.back();
    r.parts.pop_back();
    stdfs::path parent = Host(r);
    if (!stdfs::is_directory(parent))
        throw FsError("path not found: " + pattern);

    std::vector<stdfs::path> matches;
    for (const auto &e : stdfs::directory_iterator(parent)) {
        std::error_code ec;
        // A dangling link is not listed (Wine hides it); others count as what they lead to.
        if (!stdfs::exists(e.path(), ec) || !WildcardMatch(last, e.path().filename().string()))
            continue;
        if (stdfs::is_directory(e.path(), ec) == folders)
            matches.push_back(e.path());
    }
    if (matches.empty())
        throw FsError((folders ? "path not found: " : "file not found: ") + pattern);
    const stdfs::path folder = stdfs::canonical(parent);
    for (const stdfs::path &m : matches)
        DeleteEntry(m, folder / m.filename(), DriveOf(r.letter));
}

bool FakeFileSystem::DeleteEntry(const stdfs::path &entry, const stdfs::path &expected,
                                 FakeDrive &d) {
    if (stdfs::is_symlink(entry) || stdfs::canonical(entry) != expected)
        return false; // a link: left alone
    if (locked_.count(Key(entry)))
        throw FsError("permission denied: " + entry.filename().string());
    std::uint64_t freed = 0;
    if (stdfs::is_directory(entry)) {
        bool all_gone = true;
        for (const auto &e : stdfs::directory_iterator(entry)) {
            std::error_code ec;
            if (stdfs::exists(e.path(), ec))
                all_gone &= DeleteEntry(e.path(), expected / e.path().filename(), d);
        }
        if (!all_gone)
            return false;
    } else {
        freed = stdfs::file_size(entry);
    }
    std::error_code ec;
    if (!stdfs::remove(entry, ec) || ec)
        throw FsError("cannot delete " + entry.filename().string());
    Forget(entry);
    d.available_bytes += freed;
    return true;
}

bool FakeFileSystem::InUse(const std::string &path) {
    return locked_.count(Key(HostPath(path))) > 0;
}

void FakeFileSystem::CreateFolder(const std::string &path) {
    Enter("CreateFolder", path);
    stdfs::path host = ReadyHost(path);
    if (stdfs::exists(host))
        throw FsError("file already exists: " + path);
    if (!stdfs::is_directory(host.parent_path()))
        throw FsError("path not found: " + path);
    stdfs::create_directory(host);
}

} // namespace tf::fake

namespace tf::fake {

FileSystem::EjectResult FakeFileSystem::EjectMedium(const std::string &drive) {
    Enter("EjectMedium", drive);
    FakeDrive &d = ReadyDrive(Resolve(drive).letter);
    if (d.eject_result == EjectResult::Ejected)
        d.ready = false;
    return d.eject_result;
}

} // namespace tf::fake
