#pragma once
// Reading real windows back through Win32, and pumping messages until a
// condition holds, for the window tests.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tf::test {

std::string WindowText(std::uintptr_t hwnd);
bool IsVisible(std::uintptr_t hwnd);
bool IsEnabled(std::uintptr_t hwnd);
struct PixelRect {
    int left, top, right, bottom;
};
// The window's rectangle in its parent's client coordinates.
PixelRect RectInParent(std::uintptr_t hwnd);
PixelRect ClientRect(std::uintptr_t hwnd);
// Texts of the direct child windows, in z-order.
std::vector<std::string> ChildTexts(std::uintptr_t hwnd);
std::uintptr_t ChildWithText(std::uintptr_t parent, const std::string &text);
// A top-level window of this process with that caption, 0 when none.
std::uintptr_t FindTopLevel(const std::string &caption);
// What a user's click does: BM_CLICK sent to the button.
void Click(std::uintptr_t button);
void PostClick(std::uintptr_t button);
void Close(std::uintptr_t window); // the close box: WM_CLOSE
void PostClose(std::uintptr_t window);
// Types the text into the window as WM_CHAR messages.
void Type(std::uintptr_t hwnd, const std::string &text);
// Pumps messages until `done` or the timeout; true when done.
bool PumpUntil(const std::function<bool()> &done, int timeout_ms = 5000);
// Runs `action` once from the message loop after `delay_ms` (while a modal
// loop owns the thread).
void Later(int delay_ms, std::function<void()> action);
unsigned WindowDpi(std::uintptr_t hwnd);

} // namespace tf::test
