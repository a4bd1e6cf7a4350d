#pragma once
// Unbuffered I/O as Windows checks it: on a handle opened with
// FILE_FLAG_NO_BUFFERING, every ReadFile and WriteFile must start at a file
// offset, ask for a length and use a buffer address that are multiples of the
// sector size, else the call fails with ERROR_INVALID_PARAMETER ("File
// Buffering" in the Win32 file I/O documentation), and SetFilePointer(Ex)
// fails the same way for a position off a sector boundary, leaving the
// pointer where it was. Wine does not check. The
// layer takes 4096, which covers 512-byte and 4Kn media alike.

#include <cstddef>

namespace tf::testing::strict {

inline constexpr std::size_t kStrictSectorBytes = 4096;

// Switches the rule on for the rest of the program; true when every function
// it needs was found in the program's import table.
bool EnforceUnbufferedAlignment();

// Unbuffered calls the rule has refused so far, so a test can tell that the
// rule was met at all.
int RefusedUnbufferedCalls();

} // namespace tf::testing::strict
