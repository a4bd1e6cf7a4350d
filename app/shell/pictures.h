#pragma once
// The main program's pictures: its icon, the picture buttons, the two
// decorations of the main window and the about window's backdrop.

#include "platform/ui/picture.h"

namespace tf::pictures {

const ui::Picture &AppIcon();
const ui::Picture &OpenWave();
const ui::Picture &SaveProject();
const ui::Picture &OpenProject();
const ui::Picture &CompactFlashCard();
const ui::Picture &Loudspeaker();
const ui::Picture &AboutBackground();

} // namespace tf::pictures
