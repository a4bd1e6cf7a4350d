#pragma once
// The two failure styles of the window's procedures, written out once so each
// procedure shows which one it follows.

#include <exception>

namespace tf::steps {

// Runs one step of a procedure whose failing steps are skipped: the failure is
// swallowed and the caller goes on with its next step. True when the step ran through.
template <class F> bool Skippable(F &&step) noexcept {
    try {
        step();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

// Runs a sequence whose first failure ends it; the caller runs its fixed
// fallback when this returns false. Same mechanics, different intent at the call site.
template <class F> bool UntilFailure(F &&sequence) noexcept {
    try {
        sequence();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace tf::steps
