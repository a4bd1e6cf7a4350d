// Streaming writer of a project file from a wave file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace tf {

// The values the exported entry point returns; −4 is success.
enum class Result : std::int32_t {
    SourceNotOpened = -1,
    TargetNotCreated = -2,
    SourceCloseFailed = -3, // the project file is complete nevertheless
    Done = -4,
    IoError = -5, // read or write failure midway; the incomplete target is removed
};

// What the writer takes from the source's header; the stream itself is left
// standing at the first audio byte.
struct SourceLayout {
    std::uint32_t riff_size = 0;               // bytes 4 to 7; missing bytes count as 0
    std::optional<std::uint64_t> audio_length; // none: up to the end of the file
    std::uint64_t expected = 0; // audio bytes to convert, as far as the file's size tells
};

// Called after every block with the source audio bytes converted so far and the
// number expected in all.
using Progress = std::function<void(std::uint64_t converted, std::uint64_t expected)>;

// Reads the header and, for a RIFF/WAVE file, walks its chunks to `data` so that
// metadata chunks around the audio are not played as noise. Without a `data`
// chunk the audio is everything behind the first 44 bytes. A `data` size that
// cannot be the truth (0, 0xFFFFFFFF, past the end, or a size wrapped at 4 GiB
// behind which no chunks follow) lets the audio run to the end of the file.
// Leaves `src` at the audio. None on a read or seek failure.
std::optional<SourceLayout> read_source_layout(std::FILE *src);

// What one call did, for a caller that tells a user.
struct ConversionReport {
    std::string written_path;    // the file really written: the target with its links followed
    bool target_regular = false; // false for a device or pipe given as target
    bool removed = false;        // after a failure, the incomplete file was removed
    std::uint64_t bytes_written = 0;
    std::uint64_t audio_converted = 0; // source audio bytes
};

// Writes header, lead-in, audio and tail to `dst`. `name` holds the 30 bytes
// after the name rule, `code` 4 bytes. `buffer` is the working block (even size,
// at least 2 bytes); nothing else is allocated. Returns Done or IoError.
Result write_project(std::FILE *src, const SourceLayout &layout, std::FILE *dst, const char *name,
                     const char *code, std::span<std::uint8_t> buffer, const Progress &progress,
                     ConversionReport *report = nullptr);

// Closes both streams and settles the result: a failed write or close of the
// target gives IoError and, when `may_remove`, deletes `target`; a failed close
// of the source alone gives SourceCloseFailed. Returns whether it removed.
Result finish_files(std::FILE *src, std::FILE *dst, Result written, const char *target,
                    bool may_remove, bool *removed = nullptr);

// The whole conversion behind the exported function. Only a regular file is
// read. A target reached through symbolic links is written, and after a failure
// removed, where the links lead; the links stay. Never throws.
Result create_project_file(const char *source, const char *target, char *name, const char *code,
                           const Progress &progress = {},
                           ConversionReport *report = nullptr) noexcept;

} // namespace tf
