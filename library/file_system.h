// The few file facts the writer needs that C stdio cannot tell: whether two
// paths name the same file, whether a path is a regular file, and 64-bit seeks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

namespace tf {

enum class PathKind { Missing, Regular, Other };

// What is at `path` now (following links).
PathKind path_kind(const char *path);

// True when both paths reach the same file: the same path spelled differently,
// a link or a hard link. Compares the files' identity, never the strings.
bool same_file(const char *a, const char *b);

// Seeks forward by `distance` bytes from the current position, also past 2 GiB
// where `long` is 32 bits (Windows).
// Size of the file at `path`, none when it cannot be opened.
std::optional<std::uint64_t> file_size(const char *path);

bool seek_forward(std::FILE *f, std::uint64_t distance);
bool seek_to(std::FILE *f, std::uint64_t offset);

} // namespace tf
