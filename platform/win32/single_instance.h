#pragma once
// One running copy per program folder. Copies in other folders keep their own
// settings and stay separate; a second start in the same folder hands its
// command line to the running copy and brings that window to the front.
//
// Free of <windows.h>: handles cross as uintptr_t.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tf::win32 {

class SingleInstance {
  public:
    // Claims `folder` (compared without regard to letter case) for this process.
    explicit SingleInstance(const std::string &folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when no other copy of this folder was running at the claim.
    bool first() const;
    // Marks `window` as this folder's running copy, for the next start to find.
    void Announce(std::uintptr_t window);
    // Hands `arguments` to the running copy's window and brings it to the
    // front; waits up to `timeout_ms` for a copy that is still starting.
    // False when no window of it turned up, or when it did not take the
    // arguments (the caller then runs a window of its own for them).
    bool HandOver(const std::vector<std::string> &arguments, int timeout_ms);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The tag of the WM_COPYDATA block that carries a command line, and its
// decoding (UTF-16 arguments, each ended by a NUL); empty for another tag.
// The class of the program's windows, by which a second start finds the first.
inline constexpr const char *kProgramWindowClass = "TrackforgeForm";
inline constexpr std::uintptr_t kArgumentsTag = 0x54464152; // "TFAR"
std::vector<std::string> DecodeArguments(const void *data, std::size_t bytes);

} // namespace tf::win32
