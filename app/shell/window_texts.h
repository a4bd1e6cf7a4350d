#pragma once
// The main window's language-dependent captions and tooltips, kept in one table
// in language.cpp.

#include "platform/ui/controls.h"

#include <span>

namespace tf {

class Projekt;

struct WindowText {
    enum class Kind { Caption, ToolTip, DefaultName };
    const char *control; // the control's name
    Kind kind;
    const char *german;
    const char *english;
};

// Every row, in the order the texts are set.
std::span<const WindowText> MainWindowTexts();

// Sets every row's text of one language, in the table's order.
void ApplyWindowTexts(Projekt &window, bool german);

} // namespace tf
