#pragma once
// The trace's sink on Windows: each line goes to the debugger output and,
// with a time stamp and the writing program, to a small per-user log file,
// %LOCALAPPDATA%\Trackforge\Trackforge.log. Installed by the entry points.

#include <cstdint>
#include <string>
#include <string_view>

namespace tf::win32 {

// When a line would take the file past this size, the file becomes
// "Trackforge.log.1" (replacing an older one) and a fresh file starts.
inline constexpr std::uint64_t kTraceLogLimit = 1024 * 1024;

// Installs the sink; `program` names the writer in every line ("Setup").
// The log's folder is looked up here, once.
void InstallTraceSink(std::string_view program) noexcept;

// The file the installed sink appends to; empty before the sink is installed
// or when the per-user folder is unknown.
std::wstring TraceLogPath();

// The first line of each start: the program and `version`, the Windows
// version and build as the system itself has them (GetVersionEx answers 6.2
// to a program without a compatibility manifest), the ANSI code page, the
// DPI and every drive with its type, so that a user's log is enough to start
// from. Call it right after InstallTraceSink.
void TraceStart(std::string_view version) noexcept;

// A failure swallowed at the Win32 edge, traced with the system's text for
// its error code.
void SwallowedError(std::string_view where, std::string_view detail, unsigned long code) noexcept;

} // namespace tf::win32
