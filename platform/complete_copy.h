#pragma once
// Replacing a file only by a complete copy of another.

#include "platform/filesystem.h"

#include <string>

namespace tf {

// Copies `source` to `temp` (a free name beside `target`, on the same volume),
// flushed to the medium, reads it back against the source and only then puts
// it in place of `target` in one step. On any failure `target` stays as it
// was, `temp` is removed and FsError is thrown. A `temp` left by an earlier,
// cut-off run is replaced.
void ReplaceWithCompleteCopy(FileSystem &fs, const std::string &source, const std::string &temp,
                             const std::string &target);

} // namespace tf
