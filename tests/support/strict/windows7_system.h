#pragma once
// Windows 7 SP1 as installed, without optional updates. Its user32 has no
// per-window DPI functions (Windows 10 1607), there is no shcore.dll (8.1),
// and without update KB2533623 kernel32 has no AddDllDirectory (nor
// SetDefaultDllDirectories, RemoveDllDirectory) and LoadLibraryExW refuses
// the LOAD_LIBRARY_SEARCH_* flags with ERROR_INVALID_PARAMETER. Wine 8 has
// all of them. Under this rule GetProcAddress finds none of those functions
// (ERROR_PROC_NOT_FOUND), shcore.dll is not found, and the search flags are
// refused, so the run-time lookups take their Windows 7 paths.

namespace tf::testing::strict {

// Switches the rule on for the rest of the program (before the first window,
// as the program's lookups keep what they found); true when every function
// it needs was found in the program's import table.
bool EnforceWindows7System();

} // namespace tf::testing::strict
