#pragma once
// The two failure styles of the programs' procedures, written out once so each
// procedure shows which one it follows. Either way the failure is swallowed on
// purpose, so it goes to the trace under the caller's `where` label: a user's
// "it did nothing" can then be followed to the step that failed.

#include "platform/trace_log.h"

#include <exception>
#include <string_view>
#include <utility>

namespace tf::steps {

// Runs one step of a procedure whose failing steps are skipped: the caller goes
// on with its next step. True when the step ran through.
template <class F> bool Skippable(std::string_view where, F &&step) noexcept {
    try {
        step();
        return true;
    } catch (const std::exception &e) {
        trace::Swallowed(where, e.what());
        return false;
    }
}

// Runs a sequence whose first failure ends it; the caller runs its fixed
// fallback when this returns false. Same mechanics, different intent at the call site.
template <class F> bool UntilFailure(std::string_view where, F &&sequence) noexcept {
    return Skippable(where, std::forward<F>(sequence));
}

} // namespace tf::steps
