#pragma once
// Files held by a scanner: on Windows a virus scanner or the indexer opens a
// file as soon as it has been written, and for that moment a rename or delete
// of it fails with ERROR_SHARING_VIOLATION or ERROR_ACCESS_DENIED. Wine has
// no such guests. Under this rule every file this program opens for writing
// through CreateFileW is held: the first `refusals` attempts to move,
// replace or delete it (MoveFileExW, MoveFileW, ReplaceFileW, DeleteFileW)
// fail, alternating those two errors, and the next one goes through.

namespace tf::testing::strict {

// Switches the rule on for the rest of the program; true when every function
// it needs was found in the program's import table.
bool EnforceHeldFiles(int refusals = 3);

// Attempts the rule has refused so far.
int RefusedWhileHeld();

} // namespace tf::testing::strict
