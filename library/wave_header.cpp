#include "library/wave_header.h"

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
    std::FILE *f = path ? std::fopen(path, "rb") : nullptr;
    if (f) {
        result.opened = true;
        // A short or failing read leaves the rest at 0 on purpose.
        (void)std::fread(result.bytes.data(), 1, result.bytes.size(), f);
        std::fclose(f);
    }
    return result;
}

std::string_view wave_check_message(WaveCheck check, Language language) {
    const bool german = language == Language::German;
    switch (check) {
    case WaveCheck::Accepted:
        return {};
    case WaveCheck::InvalidFormat:
        return german ? "Kein gültiges WAVE-Format" : "Invalid wave format";
    case WaveCheck::NotStereo:
        return german ? "Mono-Waves können nicht verarbeitet werden."
                      : "Mono waves cannot be used.";
    case WaveCheck::Not44100Hz:
        return german ? "Nur Waves mit 44.1 kHz können verwendet werden."
                      : "Only waves with 44.1 kHz can be used.";
    case WaveCheck::Not16Bit:
        return german ? "Nur Waves mit 16 Bit können verwendet werden."
                      : "Only waves with 16 Bit can be used.";
    }
    return {};
}

} // namespace tf
