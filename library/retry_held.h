// Renaming or deleting a file just written, on Windows: a virus scanner or
// the indexer opens such a file for a moment, and meanwhile the system refuses
// the step with a sharing violation or "access denied". Both programs and the
// preparation retry such refusals for about two seconds before they count.
#pragma once

#ifdef _WIN32

#include <windows.h>

namespace tf {

inline constexpr DWORD kHeldFileRetryMs = 2000;

// Runs `step` (a Win32 call giving nonzero on success) until it succeeds,
// fails otherwise than by a held file, or the time is up; the last error is
// the step's own.
template <class Step> bool retry_while_held(Step step) {
    const ULONGLONG start = GetTickCount64();
    DWORD pause = 10;
    for (;;) {
        if (step()) {
            return true;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
            GetTickCount64() - start >= kHeldFileRetryMs) {
            SetLastError(error);
            return false;
        }
        Sleep(pause);
        pause = pause < 160 ? pause * 2 : 200;
    }
}

} // namespace tf

#endif
