#include "support/strict/wall_clock.h"

#include "support/strict/import_patch.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace tf::testing::strict {
namespace {

decltype(&::GetLocalTime) real_local_time = nullptr;
std::atomic<std::int64_t> behind_100ns{0};

void WINAPI LocalTimeBehind(LPSYSTEMTIME out) {
    SYSTEMTIME now;
    real_local_time(&now);
    FILETIME file;
    if (!SystemTimeToFileTime(&now, &file)) {
        *out = now;
        return;
    }
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart -= static_cast<std::uint64_t>(behind_100ns.load());
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    if (!FileTimeToSystemTime(&file, out))
        *out = now;
}

} // namespace

bool SetWallClockBack(double seconds) {
    static const bool patched =
        Patch("KERNEL32.dll", "GetLocalTime", &LocalTimeBehind, real_local_time);
    behind_100ns = static_cast<std::int64_t>(seconds * 1e7);
    return patched;
}

} // namespace tf::testing::strict
