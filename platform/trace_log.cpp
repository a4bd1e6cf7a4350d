#include "platform/trace_log.h"

#include <atomic>
#include <string>

namespace tf::trace {

namespace {
std::atomic<Sink> g_sink{nullptr};
}

Sink SetSink(Sink sink) noexcept {
    return g_sink.exchange(sink);
}

void Swallowed(std::string_view where, std::string_view detail) noexcept {
    Sink sink = g_sink.load();
    if (!sink)
        return;
    try {
        std::string line;
        line.reserve(where.size() + detail.size() + 2);
        line.append(where).append(": ").append(detail);
        sink(line);
    } catch (...) {
        // An allocation failure while tracing is itself not worth a failure.
    }
}

} // namespace tf::trace
