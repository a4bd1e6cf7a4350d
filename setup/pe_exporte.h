#pragma once
// Reads a program file's export table without loading it: loading would run
// the library's own start-up code inside the installer, and a library built
// for the other processor width cannot be loaded at all.

#include <string>
#include <string_view>

namespace tf::setup {

// True when `image` (the bytes of a PE file, 32 or 64 bit) exports `name`.
// False for anything that is not a well-formed PE file.
bool Exportiert(std::string_view image, std::string_view name);

} // namespace tf::setup
