// Streaming writer of a project file from a wave file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>

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
};

// Called after every block with the number of source audio bytes converted so far.
using Progress = std::function<void(std::uint64_t converted)>;

// Reads the header and, for a RIFF/WAVE file, walks its chunks to `data` so that
// metadata chunks around the audio are not played as noise. Without a `data`
// chunk the audio is everything behind the first 44 bytes. Leaves `src` at the
// audio. None on a read or seek failure.
std::optional<SourceLayout> read_source_layout(std::FILE *src);

// Writes header, lead-in, audio and tail to `dst`. `name` holds the 30 bytes
// after the name rule, `code` 4 bytes. `buffer` is the working block (even size,
// at least 2 bytes); nothing else is allocated. Returns Done or IoError.
Result write_project(std::FILE *src, const SourceLayout &layout, std::FILE *dst, const char *name,
                     const char *code, std::span<std::uint8_t> buffer, const Progress &progress);

// Closes both streams and settles the result: a failed write or close of the
// target gives IoError and, when `may_remove`, deletes `target`; a failed close
// of the source alone gives SourceCloseFailed.
Result finish_files(std::FILE *src, std::FILE *dst, Result written, const char *target,
                    bool may_remove);

// The whole conversion behind the exported function. Never throws.
Result create_project_file(const char *source, const char *target, char *name, const char *code,
                           const Progress &progress = {}) noexcept;

} // namespace tf
