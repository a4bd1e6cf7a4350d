#pragma once
// The running copy as Windows sees it when it was started as administrator
// and this start as the user (Wine knows neither integrity levels nor UIPI):
// - CreateMutexW of a name that exists fails with ERROR_ACCESS_DENIED (the
//   higher copy's mutex may not be opened with all access);
// - SendMessageTimeoutW of WM_COPYDATA fails with ERROR_ACCESS_DENIED unless
//   the receiving window let the message through with
//   ChangeWindowMessageFilterEx(MSGFLT_ALLOW).

namespace tf::testing::strict {

// False when the program does not import the three functions.
bool EnforceElevatedCopy();
// The rule on or off (off: Wine's answers); callable from any thread.
void SetElevatedCopy(bool on);

} // namespace tf::testing::strict
