#pragma once
// How drive names and paths are read, once for every FileSystem: the Win32
// one and the test double must agree on what names a drive.

#include <string>

namespace tf {

// "e", "e:", "e:\" or "e:/" name drive e; the result is the lower-case
// letter. Anything else throws FsError.
char DriveLetterOf(const std::string &name);

// "e:" for a path that starts with a drive, as written; "" when none.
std::string DriveNameOf(const std::string &path);

// True when both absolute paths name the same place: "\" or "/", a "\\?\"
// prefix and case make no difference, as on Windows' file systems.
bool SamePath(const std::string &a, const std::string &b);

} // namespace tf
