#pragma once
// Boxes and dialogs shown while another program is in front: the user has
// switched away during a long step. The program's thread then has no active
// window (GetActiveWindow is null, under Wine 8 as on Windows), and a box
// given no owner can open behind other windows while the program's own
// window stays clickable. Under this rule every MessageBoxW,
// GetOpenFileNameW and GetSaveFileNameW returns at once (IDOK, or a
// cancelled dialog) and records the owner window it was handed, so a test
// can ask for them without a user to answer.

#include <cstdint>
#include <vector>

namespace tf::testing::strict {

// Switches the rule on for the rest of the program; true when every function
// it needs was found in the program's import table.
bool EnforceDialogOwners();

// The owners handed to the boxes and dialogs so far, oldest first; cleared on request.
std::vector<std::uintptr_t> &DialogOwnersSeen();

// A window of another thread made the foreground window, as another program
// is when the user switches to it; gone with this object.
class ForeignForeground {
  public:
    ForeignForeground();
    ~ForeignForeground();
    ForeignForeground(const ForeignForeground &) = delete;
    ForeignForeground &operator=(const ForeignForeground &) = delete;
    std::uintptr_t window() const { return window_; }

  private:
    void *thread_ = nullptr;
    unsigned long thread_id_ = 0;
    std::uintptr_t window_ = 0;
};

} // namespace tf::testing::strict
