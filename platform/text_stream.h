#pragma once
// A text reader over the bytes of a file already read whole (the text files
// the programs read are a few lines long; nothing stays open between events).

#include "platform/filesystem.h"

#include <memory>
#include <string>

namespace tf {

std::unique_ptr<TextReader> MakeTextReader(std::string bytes);

} // namespace tf
