// The wave gate as all three of its users see it: which of the four deciding
// fields refuses a header first (the library), in what words the window says
// it, and with what exit status and words the converter ends. One row a
// header, so a verdict added or renamed shows in every user at once.
#pragma once

#include "library/wave_header.h"
#include "library_test_support.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tf::test {

struct WaveVerdict {
    const char *what;
    std::uint16_t format, channels;
    std::uint32_t rate;
    std::uint16_t bits;
    WaveCheck check;
    int converter_status;         // 0: converted
    const char *german, *english; // nullptr: accepted without a word
};

inline const std::vector<WaveVerdict> &WaveVerdicts() {
    static const char *const invalid[] = {"Kein gültiges WAVE-Format", "Invalid wave format"};
    static const char *const mono[] = {"Mono-Waves können nicht verarbeitet werden.",
                                       "Mono waves cannot be used."};
    static const char *const rate[] = {"Nur Waves mit 44.1 kHz können verwendet werden.",
                                       "Only waves with 44.1 kHz can be used."};
    static const char *const bits[] = {"Nur Waves mit 16 Bit können verwendet werden.",
                                       "Only waves with 16 Bit can be used."};
    static const std::vector<WaveVerdict> rows{
        // the accepted header first
        {"accepted", 1, 2, 44100, 16, WaveCheck::Accepted, 0, nullptr, nullptr},
        {"48000 Hz", 1, 2, 48000, 16, WaveCheck::Not44100Hz, 12, rate[0], rate[1]},
        {"mono at 22050 Hz: channels first", 1, 1, 22050, 16, WaveCheck::NotStereo, 11, mono[0],
         mono[1]},
        {"four channels", 1, 4, 44100, 16, WaveCheck::NotStereo, 11, mono[0], mono[1]},
        {"8 bit", 1, 2, 44100, 8, WaveCheck::Not16Bit, 13, bits[0], bits[1]},
        {"float, tag 3", 3, 2, 44100, 32, WaveCheck::InvalidFormat, 10, invalid[0], invalid[1]},
        {"extensible tag, mono: the tag first", 0xFFFE, 1, 44100, 16, WaveCheck::InvalidFormat, 10,
         invalid[0], invalid[1]},
        {"48000 Hz at 8 bit: the rate before the bits", 1, 2, 48000, 8, WaveCheck::Not44100Hz, 12,
         rate[0], rate[1]},
        // The low 16 bits equal 44100, the whole 32-bit field does not.
        {"109636 Hz", 1, 2, 109636, 16, WaveCheck::Not44100Hz, 12, rate[0], rate[1]},
    };
    return rows;
}

inline const WaveVerdict &FirstWith(WaveCheck check) {
    for (const WaveVerdict &v : WaveVerdicts())
        if (v.check == check)
            return v;
    throw std::logic_error("no row for this verdict");
}

// A canonical wave of `audio` whose fmt chunk carries the row's fields.
inline Bytes WaveOf(const WaveVerdict &v, const Bytes &audio = Bytes(400, 0)) {
    Bytes wave = make_wave(audio);
    const Bytes fmt = fmt_body(v.format, v.channels, v.rate, v.bits);
    std::copy(fmt.begin(), fmt.end(), wave.begin() + 20);
    return wave;
}

} // namespace tf::test
