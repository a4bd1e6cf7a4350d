#pragma once
// A text reader that pulls the file's bytes only as far as they are asked for,
// so reading the first bytes of a large file costs no more than those bytes.

#include "platform/filesystem.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace tf {

// Fills `buffer` with up to `size` further bytes; returns 0 at the end of the
// file and throws FsError when the file cannot be read.
using ByteSource = std::function<std::size_t(char *buffer, std::size_t size)>;

// `close` runs at Close() (and at destruction when Close() was not called).
std::unique_ptr<TextReader> MakeTextReader(ByteSource source, std::function<void()> close = {});
// A reader over bytes already in memory.
std::unique_ptr<TextReader> MakeTextReader(std::string bytes);

} // namespace tf
