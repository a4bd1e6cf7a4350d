// The few file facts the writer needs that C stdio cannot tell: what kind of
// file a path or stream is, whether two paths name the same file, where a
// chain of links ends, and 64-bit positions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace tf {

enum class PathKind { Missing, Regular, Folder, Pipe, Socket, Device };

// On Windows the paths below are in the ANSI code page, which is what callers
// of the DLL hand over. A program that has its names from the wide command
// line says once, before anything else, that its paths are UTF-8 instead, so
// that a name outside the code page reaches the file. Elsewhere paths are the
// bytes the system takes, and this changes nothing.
void use_utf8_paths();

// fopen and remove for the paths of this interface.
std::FILE *open_path(const char *path, const char *mode);
bool remove_path(const char *path);

// What is at `path` now (following links). Never opens a pipe or device.
PathKind path_kind(const char *path);

// What an open stream reads from or writes to.
PathKind stream_kind(std::FILE *f);

// Opens `path` for binary reading only when it is a regular file, and without
// blocking: a named pipe with no writer would otherwise hang the caller, and
// a pipe or device would be read as a file whose size and start are wrong.
std::FILE *open_regular_for_reading(const char *path);

// True when both paths reach the same file: the same path spelled differently,
// a link or a hard link. Compares the files' identity, never the strings.
bool same_file(const char *a, const char *b);

// True when `path` is the file that `stream` is open on.
bool same_file_as(const char *path, std::FILE *stream);

// The file that writing to `path` really writes: the end of its chain of
// symbolic links (which may not exist yet), or `path` itself when it is none.
// A link to a pipe or device stays as it is: such links (/dev/stdout) may lead
// to names that only the kernel knows, and nothing is ever removed there.
std::string resolve_links(const char *path);

// Size of the file at `path`, none when it cannot be opened.
std::optional<std::uint64_t> file_size(const char *path);

// The stream's size; its position is kept. None when it cannot seek.
std::optional<std::uint64_t> stream_size(std::FILE *f);
std::optional<std::uint64_t> stream_position(std::FILE *f);

// Seeks forward by `distance` bytes from the current position, also past 2 GiB
// where `long` is 32 bits (Windows).
bool seek_forward(std::FILE *f, std::uint64_t distance);
bool seek_to(std::FILE *f, std::uint64_t offset);

} // namespace tf
