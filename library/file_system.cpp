#include "library/file_system.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <climits>

namespace tf {

#ifdef _WIN32

namespace {

struct FileIdentity {
    DWORD volume = 0;
    DWORD index_high = 0;
    DWORD index_low = 0;
};

bool identity_of(const char *path, FileIdentity &out) {
    // Backup semantics lets this open folders too; no access rights are asked
    // for, so an open source or a locked target does not get in the way.
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

} // namespace

PathKind path_kind(const char *path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return PathKind::Missing;
    }
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) ? PathKind::Other
                                                                             : PathKind::Regular;
}

bool same_file(const char *a, const char *b) {
    FileIdentity ia, ib;
    return identity_of(a, ia) && identity_of(b, ib) && ia.volume == ib.volume &&
           ia.index_high == ib.index_high && ia.index_low == ib.index_low;
}

bool seek_to(std::FILE *f, std::uint64_t offset) {
    return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET) == 0;
}

namespace {
std::int64_t end_offset(std::FILE *f) {
    return _fseeki64(f, 0, SEEK_END) == 0 ? _ftelli64(f) : -1;
}
} // namespace

#else

PathKind path_kind(const char *path) {
    struct stat st {};
    if (stat(path, &st) != 0) {
        return PathKind::Missing;
    }
    return S_ISREG(st.st_mode) ? PathKind::Regular : PathKind::Other;
}

bool same_file(const char *a, const char *b) {
    struct stat sa {
    }, sb{};
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool seek_to(std::FILE *f, std::uint64_t offset) {
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
}

namespace {
std::int64_t end_offset(std::FILE *f) {
    return fseeko(f, 0, SEEK_END) == 0 ? static_cast<std::int64_t>(ftello(f)) : -1;
}
} // namespace

#endif

std::optional<std::uint64_t> file_size(const char *path) {
    std::FILE *f = std::fopen(path, "rb");
    if (!f) {
        return std::nullopt;
    }
    const std::int64_t end = end_offset(f);
    std::fclose(f);
    return end < 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(end));
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
