#pragma once
// The wave header check of the library, told as one of the program's messages.
// Apart from the window's headers: the library has a Language type of its own.

#include "app/shell/message_ids.h"

#include <array>
#include <cstdint>
#include <optional>

namespace tf {

// The refusal to show for these first 44 bytes of a wave file; none when accepted.
std::optional<Msg> WaveRefusal(const std::array<std::uint8_t, 44> &header);

} // namespace tf
