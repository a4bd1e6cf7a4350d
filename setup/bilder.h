#pragma once
// The installer's pictures: its icon and the picture of the install button.

#include "platform/ui/picture.h"

namespace tf::setup::bilder {

const ui::Picture &SetupIcon();
const ui::Picture &SetupPackage();

} // namespace tf::setup::bilder
