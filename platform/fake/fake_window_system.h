#pragma once
// A window system for tests: no real windows, the life-cycle handlers run in
// the order the real one runs them, and every step is recorded.
//
//   tf::fake::FakeWindowSystem windows;
//   windows.on_modal = [](tf::ui::Form& f) { /* e.g. press the form's OK button */ };
//   windows.Show(projekt);              // Form_Load (first time), Form_Activate
//   windows.ShowModal(about, projekt);  // about: Load, on_modal, Unload; projekt: Activate
//   windows.events == {"Show Projekt", "Load Projekt", "Activate Projekt", ...}
//
// As the real one, it guards the handlers it runs: a cancelled dialog ends a
// handler silently; any other error is traced with its detail and the
// program's sentence (`handler_error_text`) is what the user would see.

#include "platform/ui/form.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tf::fake {

class FakeWindowSystem : public ui::WindowSystem {
  public:
    // "Show X", "Load X", "Activate X", "ShowModal X", "Unload X", "EndProgram n",
    // "DropPendingInput".
    std::vector<std::string> events;
    // Runs while a modal form is up, between its Form_Activate and Form_Unload.
    std::function<void(ui::Form &)> on_modal;
    std::function<std::string()> handler_error_text;
    std::vector<std::string> shown_errors; // the sentences a user would have seen
    bool ended = false;
    int exit_code = 0;

    void Show(ui::Form &form) override;
    void ShowModal(ui::Form &form, ui::Form &owner) override;
    void Unload(ui::Form &form) override;
    // What the user's close box does: asks the form, then unloads it.
    void CloseBox(ui::Form &form);
    void EndProgram(int exit_code) override;
    std::uintptr_t Handle(ui::Form &form) override; // non-zero while loaded
    void DropPendingInput() override { events.push_back("DropPendingInput"); }

    bool IsLoaded(const ui::Form &form) const { return handles_.count(&form) > 0; }

  private:
    void LoadAndActivate(ui::Form &form);
    template <class F> void Guard(F &&handler);
    std::map<const ui::Form *, std::uintptr_t> handles_;
    std::map<const ui::Form *, bool> unloading_;
    std::uintptr_t next_handle_ = 0x1000;
};

} // namespace tf::fake
