#include "app/conversion/wave_verdict.h"

#include "library/wave_header.h"

namespace tf {

std::optional<Msg> WaveRefusal(const std::array<std::uint8_t, 44> &header) {
    switch (check_wave_header(header)) {
    case WaveCheck::Accepted:
        return std::nullopt;
    case WaveCheck::InvalidFormat:
        return Msg::WaveInvalidFormat;
    case WaveCheck::NotStereo:
        return Msg::WaveNotStereo;
    case WaveCheck::Not44100Hz:
        return Msg::WaveNot44100Hz;
    case WaveCheck::Not16Bit:
        return Msg::WaveNot16Bit;
    }
    return Msg::WaveInvalidFormat;
}

} // namespace tf
