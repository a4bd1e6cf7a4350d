#pragma once
// The real window system: every ui::Form becomes a top-level window, every
// control a child window whose peer mirrors the control's properties and
// turns user events into the control's handlers.
//
// Free of <windows.h> on purpose: handles cross as uintptr_t.

#include "platform/ui/form.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tf::win32 {

struct WindowSystemOptions {
    // Ends the process; the tests replace it to stay alive.
    std::function<void(int)> exit_process;
    // Shows the sentence of `handler_error_text` when a handler lets an error
    // escape; the program keeps running. Default: a message box titled
    // `error_title` with the error icon.
    std::function<void(const std::string &)> show_handler_error;
    // The program's plain sentence for an error that escaped a handler, in the
    // language in force. The error's own text goes only to the trace.
    std::function<std::string()> handler_error_text;
    // The class of the program's windows, by which automation finds them.
    std::string window_class = "TfForm";
    std::string error_title;
};

class Win32WindowSystem : public ui::WindowSystem {
  public:
    explicit Win32WindowSystem(WindowSystemOptions options = {});
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem &) = delete;
    Win32WindowSystem &operator=(const Win32WindowSystem &) = delete;

    void Show(ui::Form &form) override;
    void ShowModal(ui::Form &form, ui::Form &owner) override;
    void Unload(ui::Form &form) override;
    void EndProgram(int exit_code) override;
    std::uintptr_t Handle(ui::Form &form) override;

    // Runs the message loop until no window of the program is open any more.
    // Returns the exit code given to EndProgram, else 0.
    int Run();
    // Processes the messages already waiting, then returns (tests, waits).
    void PumpPending();
    void DropPendingInput() override;
    // The child window of a control of an open form, 0 when it has none
    // (lines are drawn by their form and have no window of their own).
    std::uintptr_t ControlHandle(const ui::Control &control) const;
    // The control behind a child window, nullptr when unknown.
    ui::Control *ControlOf(std::uintptr_t hwnd) const;
    // How many forms currently have a window.
    int OpenForms() const;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

// The window the program's message boxes and file dialogs belong to: the
// foremost open form that takes input (a modal form rather than its disabled
// owner), 0 while no form is open. Not the active window: that is null while
// the user works in another program, and an unowned box can then hide behind
// other windows while the program's window stays clickable.
std::uintptr_t DialogOwner();

} // namespace tf::win32
