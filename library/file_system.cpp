#include "library/file_system.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <climits>
#include <vector>

namespace tf {

#ifdef _WIN32

namespace {

UINT path_code_page = CP_ACP;

// Empty (which opens nothing) when the bytes are not in the paths' encoding,
// so that no other file is reached by a replaced character.
std::wstring wide_path(const char *path) {
    const DWORD strict = path_code_page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int n = MultiByteToWideChar(path_code_page, strict, path, -1, nullptr, 0);
    if (n <= 1) {
        return {};
    }
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(path_code_page, strict, path, -1, out.data(), n);
    out.pop_back();
    return out;
}

// Empty when the name has a character the paths' encoding lacks.
std::string narrow_path(const std::wstring &path) {
    BOOL lossy = FALSE;
    BOOL *lossy_at = path_code_page == CP_UTF8 ? nullptr : &lossy;
    const int n =
        WideCharToMultiByte(path_code_page, 0, path.c_str(), -1, nullptr, 0, nullptr, lossy_at);
    if (n <= 1 || lossy) {
        return {};
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(path_code_page, 0, path.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.pop_back();
    return out;
}

struct FileIdentity {
    DWORD volume = 0;
    DWORD index_high = 0;
    DWORD index_low = 0;
};

// Backup semantics lets this open folders too; no access rights are asked for,
// so an open source or a locked target does not get in the way.
HANDLE open_for_query(const char *path) {
    return CreateFileW(wide_path(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool identity_of(const char *path, FileIdentity &out) {
    HANDLE h = open_for_query(path);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (ok) {
        out = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    }
    return ok;
}

PathKind kind_of_handle(HANDLE h) {
    switch (GetFileType(h)) {
    case FILE_TYPE_DISK:
        return PathKind::Regular;
    case FILE_TYPE_PIPE:
        return PathKind::Pipe;
    default:
        return PathKind::Device;
    }
}

bool is_pipe_name(const char *path) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, 9, "\\\\.\\pipe\\", 9) ==
           CSTR_EQUAL;
}

} // namespace

void use_utf8_paths() {
    path_code_page = CP_UTF8;
}

std::FILE *open_path(const char *path, const char *mode) {
    const std::wstring name = wide_path(path);
    std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return name.empty() ? nullptr : _wfopen(name.c_str(), wide_mode.c_str());
}

bool remove_path(const char *path) {
    const std::wstring name = wide_path(path);
    return !name.empty() && _wremove(name.c_str()) == 0;
}

PathKind path_kind(const char *path) {
    // Opening a pipe by name would connect to it; its name alone tells.
    if (is_pipe_name(path)) {
        return PathKind::Pipe;
    }
    const DWORD attributes = GetFileAttributesW(wide_path(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return PathKind::Folder;
    }
    HANDLE h = open_for_query(path);
    if (h == INVALID_HANDLE_VALUE) {
        return PathKind::Missing;
    }
    const PathKind kind = kind_of_handle(h);
    CloseHandle(h);
    return kind;
}

PathKind stream_kind(std::FILE *f) {
    return kind_of_handle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f))));
}

std::FILE *open_regular_for_reading(const char *path) {
    if (is_pipe_name(path)) {
        return nullptr;
    }
    // The sharing a C library's fopen grants, so other readers are not shut out.
    HANDLE h =
        CreateFileW(wide_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    if (kind_of_handle(h) != PathKind::Regular) {
        CloseHandle(h);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    std::FILE *f = _fdopen(fd, "rb");
    if (!f) {
        _close(fd);
    }
    return f;
}

bool same_file(const char *a, const char *b) {
    FileIdentity ia, ib;
    return identity_of(a, ia) && identity_of(b, ib) && ia.volume == ib.volume &&
           ia.index_high == ib.index_high && ia.index_low == ib.index_low;
}

bool same_file_as(const char *path, std::FILE *stream) {
    FileIdentity ip;
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return identity_of(path, ip) && GetFileInformationByHandle(h, &info) != 0 &&
           ip.volume == info.dwVolumeSerialNumber && ip.index_high == info.nFileIndexHigh &&
           ip.index_low == info.nFileIndexLow;
}

std::string resolve_links(const char *path) {
    const DWORD attributes = GetFileAttributesW(wide_path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    HANDLE h = open_for_query(path);
    if (h == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::vector<wchar_t> buffer(MAX_PATH * 4);
    const DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    const std::string final_path =
        n == 0 || n >= buffer.size() ? std::string() : narrow_path(std::wstring(buffer.data(), n));
    if (final_path.empty()) {
        return path;
    }
    if (final_path.rfind("\\\\?\\UNC\\", 0) == 0) {
        return "\\\\" + final_path.substr(8);
    }
    return final_path.rfind("\\\\?\\", 0) == 0 ? final_path.substr(4) : final_path;
}

bool seek_to(std::FILE *f, std::uint64_t offset) {
    return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET) == 0;
}

std::optional<std::uint64_t> stream_position(std::FILE *f) {
    const __int64 at = _ftelli64(f);
    return at < 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(at));
}

namespace {
bool seek_end(std::FILE *f) {
    return _fseeki64(f, 0, SEEK_END) == 0;
}
} // namespace

#else

namespace {

PathKind kind_of_mode(mode_t mode) {
    if (S_ISREG(mode)) {
        return PathKind::Regular;
    }
    if (S_ISDIR(mode)) {
        return PathKind::Folder;
    }
    if (S_ISFIFO(mode)) {
        return PathKind::Pipe;
    }
    return S_ISSOCK(mode) ? PathKind::Socket : PathKind::Device;
}

} // namespace

void use_utf8_paths() {}

std::FILE *open_path(const char *path, const char *mode) {
    return std::fopen(path, mode);
}

bool remove_path(const char *path) {
    return std::remove(path) == 0;
}

PathKind path_kind(const char *path) {
    struct stat st {};
    return stat(path, &st) == 0 ? kind_of_mode(st.st_mode) : PathKind::Missing;
}

PathKind stream_kind(std::FILE *f) {
    struct stat st {};
    return fstat(fileno(f), &st) == 0 ? kind_of_mode(st.st_mode) : PathKind::Missing;
}

std::FILE *open_regular_for_reading(const char *path) {
    // The kind is asked first so that a device is never opened at all; the
    // second look at the open descriptor closes the gap between the two.
    if (path_kind(path) != PathKind::Regular) {
        return nullptr;
    }
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    std::FILE *f = fdopen(fd, "rb");
    if (!f) {
        close(fd);
    }
    return f;
}

bool same_file(const char *a, const char *b) {
    struct stat sa {
    }, sb{};
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool same_file_as(const char *path, std::FILE *stream) {
    struct stat sp {
    }, ss{};
    return stat(path, &sp) == 0 && fstat(fileno(stream), &ss) == 0 && sp.st_dev == ss.st_dev &&
           sp.st_ino == ss.st_ino;
}

std::string resolve_links(const char *path) {
    const PathKind kind = path_kind(path);
    if (kind != PathKind::Regular && kind != PathKind::Missing) {
        return path;
    }
    // The kernel gives up after 40 links; so does this, leaving the open to fail.
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return at;
        }
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = readlink(at.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) {
            return path;
        }
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        const auto slash = at.find_last_of('/');
        at = link.front() == '/' || slash == std::string::npos ? link
                                                               : at.substr(0, slash + 1) + link;
    }
    return path;
}

bool seek_to(std::FILE *f, std::uint64_t offset) {
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::optional<std::uint64_t> stream_position(std::FILE *f) {
    const off_t at = ftello(f);
    return at < 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(at));
}

namespace {
bool seek_end(std::FILE *f) {
    return fseeko(f, 0, SEEK_END) == 0;
}
} // namespace

#endif

std::optional<std::uint64_t> stream_size(std::FILE *f) {
    const auto at = stream_position(f);
    if (!at || !seek_end(f)) {
        return std::nullopt;
    }
    const auto end = stream_position(f);
    return seek_to(f, *at) ? end : std::nullopt;
}

std::optional<std::uint64_t> file_size(const char *path) {
    std::FILE *f = open_regular_for_reading(path);
    if (!f) {
        return std::nullopt;
    }
    const auto size = stream_size(f);
    std::fclose(f);
    return size;
}

bool seek_forward(std::FILE *f, std::uint64_t distance) {
    // Relative steps that fit a `long` work on every C library.
    constexpr std::uint64_t kStep = 1ULL << 30;
    while (distance > 0) {
        const std::uint64_t step = distance < kStep ? distance : kStep;
        if (std::fseek(f, static_cast<long>(step), SEEK_CUR) != 0) {
            return false;
        }
        distance -= step;
    }
    return true;
}

} // namespace tf
