#include "library/wave_header.h"

#include "library/file_system.h"

#include <cstdio>

namespace tf {

namespace {

std::uint32_t field(const WaveHeaderBytes &h, std::size_t offset, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = value << 8 | h[offset + i];
    }
    return value;
}

} // namespace

WaveCheck check_wave_header(const WaveHeaderBytes &header) {
    if (field(header, 20, 2) != 1) {
        return WaveCheck::InvalidFormat;
    }
    if (field(header, 22, 2) != 2) {
        return WaveCheck::NotStereo;
    }
    if (field(header, 24, 4) != 44100) {
        return WaveCheck::Not44100Hz;
    }
    if (field(header, 34, 2) != 16) {
        return WaveCheck::Not16Bit;
    }
    return WaveCheck::Accepted;
}

WaveHeaderRead read_wave_header(const char *path) {
    WaveHeaderRead result;
    std::FILE *f = path ? open_regular_for_reading(path) : nullptr;
    if (f) {
        result.opened = true;
        // A short or failing read leaves the rest at 0 on purpose.
        (void)std::fread(result.bytes.data(), 1, result.bytes.size(), f);
        std::fclose(f);
    }
    return result;
}

} // namespace tf
