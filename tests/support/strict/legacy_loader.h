#pragma once
// Windows 7 SP1 without update KB2533623: kernel32 has no AddDllDirectory
// (nor SetDefaultDllDirectories, RemoveDllDirectory), and LoadLibraryExW
// refuses the LOAD_LIBRARY_SEARCH_* flags with ERROR_INVALID_PARAMETER.
// Wine has the update's functions built in.

namespace tf::testing::strict {

// Switches the rule on for the rest of the program; true when every function
// it needs was found in the program's import table.
bool EnforceLoaderWithoutSearchFlags();

} // namespace tf::testing::strict
