#include "library/project_writer.h"

#include "library/file_system.h"
#include "library/project_format.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace tf {

namespace {

// Large enough that per-call costs vanish, small enough that a block read,
// converted and written stays in the CPU cache. Measured on a 500 MB file:
// 128 KiB was the fastest; 256 KiB and above were slower and erratic.
constexpr std::size_t kBlockSize = 128 * 1024;

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t le32(const std::uint8_t *p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

bool is_riff_wave(const std::array<std::uint8_t, kSourceHeaderSize> &h) {
    return std::memcmp(h.data(), "RIFF", 4) == 0 && std::memcmp(h.data() + 8, "WAVE", 4) == 0;
}

// Reads up to `size` bytes; a short read is fine at the end of the file but not
// on an error.
bool read_some(std::FILE *f, std::uint8_t *out, std::size_t size, std::size_t &got) {
    got = std::fread(out, 1, size, f);
    return got == size || !std::ferror(f);
}

// Sizes a `data` chunk can state without being the truth: 0 and all ones are
// what recorders leave when they never came back (or could not count past 32
// bits); a file of 4 GiB or more may carry its true size wrapped at 2^32.
constexpr std::uint32_t kSizeUnset = 0xFFFFFFFF;
constexpr std::uint64_t kWrapSize = 1ULL << 32;

bool printable_id(const std::uint8_t *id) {
    return std::all_of(id, id + 4, [](std::uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// True when the bytes from `at` to `end` are whole chunks: each with four
// printable id bytes and a size that fits. Audio bytes almost never pass.
bool chunks_fill(std::FILE *src, std::uint64_t at, std::uint64_t end) {
    while (at < end) {
        std::uint8_t chunk[8];
        if (end - at < sizeof chunk || !seek_to(src, at) ||
            std::fread(chunk, 1, sizeof chunk, src) != sizeof chunk || !printable_id(chunk)) {
            return false;
        }
        const std::uint64_t size = le32(chunk + 4);
        if (at + sizeof chunk + size > end) {
            return false;
        }
        at += sizeof chunk + size + (size & 1); // the last pad byte may be missing
    }
    return true;
}

// The audio length of a `data` chunk that starts at `start`; none: to the end.
std::optional<std::uint64_t> data_length(std::FILE *src, std::uint64_t start,
                                         std::uint32_t declared, std::optional<std::uint64_t> end) {
    if (declared == 0 || declared == kSizeUnset) {
        return std::nullopt;
    }
    if (!end) {
        return declared;
    }
    if (start + declared >= *end) {
        return std::nullopt;
    }
    if (*end >= kWrapSize && !chunks_fill(src, start + declared + (declared & 1), *end)) {
        return std::nullopt;
    }
    return declared;
}

enum class Walk { Found, NotFound, Failed };

// Looks for the `data` chunk from offset 12 on; when found, fills `layout`
// and leaves the stream at the chunk's first byte.
Walk walk_chunks(std::FILE *src, std::optional<std::uint64_t> end, SourceLayout &layout) {
    if (!seek_to(src, 12)) {
        return Walk::Failed;
    }
    for (;;) {
        std::uint8_t chunk[8];
        std::size_t got = 0;
        if (!read_some(src, chunk, sizeof chunk, got)) {
            return Walk::Failed;
        }
        if (got < sizeof chunk) {
            return Walk::NotFound;
        }
        const std::uint32_t size = le32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            const auto start = stream_position(src);
            if (!start) {
                return Walk::Failed;
            }
            layout.audio_length = data_length(src, *start, size, end);
            return seek_to(src, *start) ? Walk::Found : Walk::Failed;
        }
        if (!seek_forward(src, std::uint64_t{size} + (size & 1))) {
            return Walk::Failed;
        }
    }
}

// How many audio bytes the conversion will meet, for its progress.
void settle_expected(std::FILE *src, std::optional<std::uint64_t> end, SourceLayout &layout) {
    const auto start = stream_position(src);
    if (!start || !end) {
        layout.expected = layout.audio_length.value_or(0) & ~std::uint64_t{1};
        return;
    }
    const std::uint64_t available = *end > *start ? *end - *start : 0;
    layout.expected =
        std::min(available, layout.audio_length.value_or(available)) & ~std::uint64_t{1};
}

// The target and how far it is written. Writes end on block edges of the file
// wherever they can: the page cache then takes whole pages, instead of a split
// page at both ends of every write.
class Sink {
  public:
    Sink(std::FILE *file, std::size_t block) : file_(file), block_(block) {}

    bool write(const void *data, std::size_t size) {
        pos_ += size;
        return std::fwrite(data, 1, size, file_) == size;
    }
    // Bytes up to the next block edge; even, since every write is.
    std::size_t room() const { return block_ - static_cast<std::size_t>(pos_ % block_); }
    std::uint64_t written() const { return pos_; }

  private:
    std::FILE *file_;
    std::size_t block_;
    std::uint64_t pos_ = 0;
};

bool write_silence(Sink &dst, std::uint64_t bytes, std::span<std::uint8_t> buffer) {
    for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
        buffer[i] = kSilenceLow;
        buffer[i + 1] = kSilenceHigh;
    }
    while (bytes > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, dst.room()));
        if (!dst.write(buffer.data(), n)) {
            return false;
        }
        bytes -= n;
    }
    return true;
}

// Converts the audio block by block. fread comes back short only at the end of
// the file or on an error, so an odd byte count can only be the last block: its
// lone last byte is dropped.
Result convert_audio(std::FILE *src, const SourceLayout &layout, Sink &dst,
                     std::span<std::uint8_t> buffer, const Progress &progress,
                     std::uint64_t &converted) {
    std::uint64_t remaining = layout.audio_length.value_or(UINT64_MAX);
    while (remaining > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(dst.room(), remaining));
        const std::size_t got = std::fread(buffer.data(), 1, want, src);
        const std::size_t pairs = got & ~std::size_t{1};
        convert_samples(buffer.data(), pairs);
        if (!dst.write(buffer.data(), pairs)) {
            return Result::IoError;
        }
        converted += pairs;
        if (progress) {
            progress(converted, layout.expected);
        }
        if (got < want) {
            break;
        }
        remaining -= got;
    }
    return std::ferror(src) ? Result::IoError : Result::Done;
}

} // namespace

std::optional<SourceLayout> read_source_layout(std::FILE *src) {
    std::array<std::uint8_t, kSourceHeaderSize> header{};
    std::size_t got = 0;
    if (!read_some(src, header.data(), header.size(), got)) {
        return std::nullopt;
    }
    const auto end = stream_size(src);
    SourceLayout fallback{le32(header.data() + 4), std::nullopt};
    SourceLayout found = fallback;
    const Walk walk = got < header.size() || !is_riff_wave(header) ? Walk::NotFound
                                                                   : walk_chunks(src, end, found);
    if (walk == Walk::Failed) {
        return std::nullopt;
    }
    if (walk == Walk::Found) {
        settle_expected(src, end, found);
        return found;
    }
    // Without a `data` chunk the audio is everything behind the first 44 bytes.
    if (!seek_to(src, std::min<std::uint64_t>(got, kSourceHeaderSize))) {
        return std::nullopt;
    }
    settle_expected(src, end, fallback);
    return fallback;
}

Result write_project(std::FILE *src, const SourceLayout &layout, std::FILE *dst, const char *name,
                     const char *code, std::span<std::uint8_t> buffer, const Progress &progress,
                     ConversionReport *report) {
    Sink sink(dst, buffer.size());
    std::uint64_t converted = 0;
    const auto header = make_header(code, name, length_count(layout.riff_size));
    bool ok = sink.write(header.data(), header.size()) &&
              write_silence(sink, kLeadInBytes, buffer) &&
              convert_audio(src, layout, sink, buffer, progress, converted) == Result::Done &&
              write_silence(sink, kTailBytes, buffer);
    if (report) {
        report->bytes_written = sink.written();
        report->audio_converted = converted;
    }
    return ok ? Result::Done : Result::IoError;
}

Result finish_files(std::FILE *src, std::FILE *dst, Result written, const char *target,
                    bool may_remove, bool *removed) {
    const bool source_closed = std::fclose(src) == 0;
    const bool target_closed = std::fclose(dst) == 0;
    if (written != Result::Done || !target_closed) {
        const bool gone = may_remove && remove_path(target);
        if (removed) {
            *removed = gone;
        }
        return Result::IoError;
    }
    return source_closed ? Result::Done : Result::SourceCloseFailed;
}

namespace {

Result convert_files(const char *source, const char *target, char *name, const char *code,
                     const Progress &progress, ConversionReport &report) {
    std::vector<std::uint8_t> buffer(kBlockSize);
    FilePtr src{open_regular_for_reading(source)};
    if (!src) {
        return Result::SourceNotOpened;
    }
    // The audio is read in whole blocks straight into `buffer`; with a stdio
    // buffer every block would also take a second, partial read.
    std::setvbuf(src.get(), nullptr, _IONBF, 0);
    // Opening the target truncates it, so the source must be ruled out first.
    if (same_file(source, target)) {
        return Result::TargetNotCreated;
    }
    const auto layout = read_source_layout(src.get());
    if (!layout) {
        return Result::SourceNotOpened;
    }
    // Writing through a link writes the file it leads to; that file, never the
    // link, is what a failure must remove.
    report.written_path = resolve_links(target);
    FilePtr dst{open_path(report.written_path.c_str(), "wb")};
    if (!dst) {
        return Result::TargetNotCreated;
    }
    // Every write is a whole block from `buffer`, which is the buffering; a
    // stdio buffer on top would only copy each byte once more.
    std::setvbuf(dst.get(), nullptr, _IONBF, 0);
    // Only a regular file (created or truncated here) may be deleted after a
    // failure; a device or pipe given as target is left alone.
    report.target_regular = stream_kind(dst.get()) == PathKind::Regular;
    apply_name_rule(name);
    Result written = Result::IoError;
    try {
        written =
            write_project(src.get(), *layout, dst.get(), name, code, buffer, progress, &report);
    } catch (...) {
        written = Result::IoError; // e.g. a progress callback that threw
    }
    return finish_files(src.release(), dst.release(), written, report.written_path.c_str(),
                        report.target_regular, &report.removed);
}

} // namespace

Result create_project_file(const char *source, const char *target, char *name, const char *code,
                           const Progress &progress, ConversionReport *report) noexcept {
    if (source == nullptr) {
        return Result::SourceNotOpened;
    }
    if (target == nullptr || name == nullptr || code == nullptr) {
        return Result::TargetNotCreated;
    }
    try {
        ConversionReport local;
        ConversionReport &told = report ? *report : local;
        told = ConversionReport{};
        return convert_files(source, target, name, code, progress, told);
    } catch (...) {
        return Result::IoError;
    }
}

} // namespace tf
