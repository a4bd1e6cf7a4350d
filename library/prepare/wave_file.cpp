#include "library/prepare/wave_file.h"

#include "library/file_system.h"
#include "library/retry_held.h"

#include <array>
#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tf::audio {

namespace {

#ifdef _WIN32

// No access rights asked for, so a file another program holds open still answers.
HANDLE open_for_query(const std::string &path) {
    return CreateFileW(widen(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

File file_from_handle(HANDLE h, int flags, const char *mode) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    File f{_fdopen(fd, mode)};
    if (!f) {
        _close(fd);
    }
    return f;
}

File create_new(const std::string &path) {
    HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : file_from_handle(h, _O_RDWR, "w+b");
}

bool remove_file(const std::string &path) {
    const std::wstring w = widen(path);
    return retry_while_held([&] { return DeleteFileW(w.c_str()); });
}

enum class Move { Done, Exists, Failed };

Move move_no_replace(const std::string &from, const std::string &to) {
    const std::wstring wfrom = widen(from), wto = widen(to);
    if (retry_while_held([&] { return MoveFileExW(wfrom.c_str(), wto.c_str(), 0); })) {
        return Move::Done;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Move::Exists
                                                                       : Move::Failed;
}

#else

File create_new(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    File f{fdopen(fd, "w+b")};
    if (!f) {
        ::close(fd);
    }
    return f;
}

bool remove_file(const std::string &path) {
    return ::unlink(path.c_str()) == 0;
}

enum class Move { Done, Exists, Failed };

// A plain rename would silently replace a file that appeared while the wave
// was written; file systems without the no-replace flag get a hard link, and
// those without links (FAT) the check just before.
Move move_no_replace(const std::string &from, const std::string &to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return Move::Done;
    }
    if (errno == EEXIST) {
        return Move::Exists;
    }
    if (::link(from.c_str(), to.c_str()) == 0) {
        return remove_file(from) ? Move::Done : Move::Failed;
    }
    if (errno == EEXIST || name_taken(to)) {
        return Move::Exists;
    }
    return std::rename(from.c_str(), to.c_str()) == 0 ? Move::Done : Move::Failed;
}

#endif

void put32(std::uint8_t *at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

} // namespace

#ifdef _WIN32

std::wstring widen(const std::string &utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int wide =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (wide <= 0) {
        return {};
    }
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, out.data(), wide);
    return out;
}

File open_for_reading(const std::string &path) {
    // The sharing a C library's fopen grants, so other readers are not shut out.
    HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return nullptr;
    }
    return file_from_handle(h, _O_RDONLY, "rb");
}

namespace {

// Names in the device namespace (\\.\pipe\..., \\.\COM1, also written with
// slashes) are never opened: opening a pipe would connect to it.
bool is_device_name(const std::string &path) {
    auto slash = [](char c) { return c == '\\' || c == '/'; };
    return path.size() >= 4 && slash(path[0]) && slash(path[1]) && path[2] == '.' && slash(path[3]);
}

} // namespace

bool is_regular_file(const std::string &path) {
    if (is_device_name(path)) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    HANDLE h = open_for_query(path);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool disk = GetFileType(h) == FILE_TYPE_DISK;
    CloseHandle(h);
    return disk;
}

bool name_taken(const std::string &path) {
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool same_file_utf8(const std::string &a, const std::string &b) {
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    for (auto [path, info] : {std::pair{&a, &ia}, std::pair{&b, &ib}}) {
        HANDLE h = open_for_query(*path);
        if (h == INVALID_HANDLE_VALUE) {
            return false;
        }
        const bool ok = GetFileInformationByHandle(h, info) != 0;
        CloseHandle(h);
        if (!ok) {
            return false;
        }
    }
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

#else

File open_for_reading(const std::string &path) {
    return File{open_regular_for_reading(path.c_str())};
}

bool is_regular_file(const std::string &path) {
    return path_kind(path.c_str()) == PathKind::Regular;
}

bool name_taken(const std::string &path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool same_file_utf8(const std::string &a, const std::string &b) {
    return same_file(a.c_str(), b.c_str());
}

#endif

std::vector<std::uint8_t> canonical_header(std::uint32_t data_bytes) {
    std::vector<std::uint8_t> h(44, 0);
    const std::array<std::pair<std::size_t, const char *>, 4> tags = {
        {{0, "RIFF"}, {8, "WAVE"}, {12, "fmt "}, {36, "data"}}};
    for (const auto &[at, tag] : tags) {
        for (int i = 0; i < 4; ++i) {
            h[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(tag[i]);
        }
    }
    put32(&h[4], 36 + data_bytes);
    put32(&h[16], 16);
    put32(&h[20], 1 | (2u << 16)); // PCM, 2 channels
    put32(&h[24], 44100);
    put32(&h[28], 44100 * 4);
    put32(&h[32], 4 | (16u << 16)); // block align 4, 16 bits
    put32(&h[40], data_bytes);
    return h;
}

WaveOut::~WaveOut() {
    discard();
}

void WaveOut::discard() noexcept {
    if (file_) {
        file_.reset();
        remove_file(temporary_);
    }
}

WaveOpen WaveOut::open(const std::string &target) {
    if (name_taken(target)) {
        return WaveOpen::TargetExists;
    }
    target_ = target;
    // What a run cut short (a crash, the program ended, a stick pulled) left
    // under the name this run wants can only be a preparation's own: it goes,
    // rather than every later run moving on to the next name. A file that a
    // second run beside this one holds open is refused by Windows and stays.
    if (const std::string leftover = target + ".partial"; is_regular_file(leftover)) {
        remove_file(leftover);
    }
    // A name of its own per run, so a leftover that cannot go or a second run
    // beside this one never gets in the way.
    for (int n = 0; n < 100 && !file_; ++n) {
        temporary_ = target + ".partial" + (n ? std::to_string(n) : "");
        if (!name_taken(temporary_)) {
            file_ = create_new(temporary_);
        }
    }
    if (!file_) {
        return WaveOpen::NotCreated;
    }
    const auto header = canonical_header(0);
    return std::fwrite(header.data(), 1, header.size(), file_.get()) == header.size()
               ? WaveOpen::Opened
               : (discard(), WaveOpen::NotCreated);
}

bool WaveOut::write(const std::uint8_t *bytes, std::size_t size) {
    if (data_ + size > kMaxDataBytes) {
        too_long_ = true;
        return false;
    }
    data_ += size;
    return size == 0 || std::fwrite(bytes, 1, size, file_.get()) == size;
}

WaveCommit WaveOut::commit() {
    const auto header = canonical_header(static_cast<std::uint32_t>(data_));
    std::FILE *f = file_.get();
    const bool written = seek_to(f, 0) &&
                         std::fwrite(header.data(), 1, header.size(), f) == header.size() &&
                         std::fflush(f) == 0 && !std::ferror(f);
    const bool closed = std::fclose(file_.release()) == 0;
    if (!written || !closed) {
        remove_file(temporary_);
        return WaveCommit::WriteFailed;
    }
    const Move moved = move_no_replace(temporary_, target_);
    if (moved != Move::Done) {
        remove_file(temporary_);
    }
    return moved == Move::Done     ? WaveCommit::Done
           : moved == Move::Exists ? WaveCommit::TargetExists
                                   : WaveCommit::WriteFailed;
}

} // namespace tf::audio
