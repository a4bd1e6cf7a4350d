#pragma once
// The wall clock as a time sync, a change to or from summer time or a user
// sets it: GetLocalTime in this program runs behind the system's by the
// seconds given, from the call on, while the tick count runs on untouched, as
// on Windows.

namespace tf::testing::strict {

// False when the program does not import GetLocalTime. Callable from any thread.
bool SetWallClockBack(double seconds);

} // namespace tf::testing::strict
