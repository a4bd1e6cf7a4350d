#pragma once
// The flags both programs show on their language options.

#include "platform/ui/picture.h"

namespace tf::pictures {

const ui::Picture &GermanFlag();
const ui::Picture &BritishFlag();

} // namespace tf::pictures
