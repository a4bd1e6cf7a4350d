#pragma once
// A window of the program: a caption, a client area in twips, its controls,
// and the life-cycle handlers. The window system shows it; in tests a double
// does, and calls the handlers in the order the real one would.

#include "platform/ui/controls.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tf::ui {

class Form;

// Mirrors the form's own properties into its real window.
class FormPeer {
  public:
    virtual ~FormPeer() = default;
    virtual void CaptionChanged() = 0;
};

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    // Creates the real window if needed, runs Form_Load the first time, shows
    // it, and runs Form_Activate when it becomes the program's active window.
    virtual void Show(Form &form) = 0;
    // Modal: returns when the form has been unloaded. The owner's
    // Form_Activate runs again once it is active again.
    virtual void ShowModal(Form &form, Form &owner) = 0;
    // Closes the window; runs Form_Unload.
    virtual void Unload(Form &form) = 0;
    // Ends the program at once: no further handler runs.
    virtual void EndProgram(int exit_code) = 0;
    // The native window handle of a shown form, 0 when it has none. It is
    // still there while the form's Form_Unload runs.
    virtual std::uintptr_t Handle(Form &form) = 0;
    // Throws away the clicks and key presses that wait to be handled, so that
    // input given while the program was busy does not act afterwards.
    virtual void DropPendingInput() = 0;
};

class Form {
  public:
    explicit Form(std::string name) : name_(std::move(name)) {}
    virtual ~Form() = default;
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    const std::string &name() const { return name_; }
    const std::string &caption() const { return caption_; }
    void set_caption(const std::string &c) {
        caption_ = c;
        if (peer_)
            peer_->CaptionChanged();
    }
    int client_width = 0;  // twips
    int client_height = 0; // twips
    bool centered = false;
    bool has_title_bar = true;
    const Picture *icon = nullptr; // none: the system's default icon
    // Files dragged from the desktop or Explorer may be dropped on the window;
    // they arrive at Form_OLEDragDrop as full paths.
    bool accepts_dropped_files = false;
    // Enter presses the default button and Escape the cancel button, wherever
    // the focus is; the default button has the focus when the window opens.
    Button *default_button = nullptr;
    Button *cancel_button = nullptr;

    // Controls in creation order (the order the window draws and tabs them).
    const std::vector<Control *> &controls() const { return controls_; }

    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Unload() {}
    // Asked before the user's close (the close box, Alt+F4, the taskbar) unloads
    // the window; false keeps it open. A program's own Unload does not ask.
    virtual bool Form_QueryUnload() { return true; }
    // What a log-off or shutdown now would cut short, in the user's words
    // (Windows shows it beside the program's name); empty when nothing would be.
    virtual std::string Form_SessionBlocker() { return {}; }
    virtual void Form_OLEDragDrop(const std::vector<std::string> & /*files*/) {}
    // The command line of a later start of the program, handed to this window.
    virtual void Form_CommandLine(const std::vector<std::string> & /*arguments*/) {}
    // The Escape key.
    virtual void Form_Escape() {}

    // Set by the window system while the form has a real window.
    FormPeer *peer_ = nullptr;

  protected:
    template <class C> C &Add(C &control) {
        controls_.push_back(&control);
        return control;
    }

  private:
    std::string name_;
    std::string caption_;
    std::vector<Control *> controls_;
};

} // namespace tf::ui
