#pragma once
// The trace of failures the programs swallow on purpose (a skipped step, a
// handler that ends silently, the error guard). It is for tracing a user's
// "it did nothing", never shown to the user; writing it never throws and a
// failing trace changes nothing the program does.

#include <string_view>

namespace tf::trace {

// Receives one finished line. Installed once by a program's entry point; the
// Win32 sink appends to a small per-user log file and to the debugger output.
using Sink = void (*)(std::string_view line) noexcept;

// Installs the sink (nullptr: lines are dropped). Returns the previous one.
Sink SetSink(Sink sink) noexcept;

// Writes "<where>: <detail>" to the sink, if any.
void Swallowed(std::string_view where, std::string_view detail) noexcept;

} // namespace tf::trace
