// The check that decides whether a wave file can be converted: the writer
// itself takes any bytes as 16-bit stereo at 44.1 kHz, so this is the only gate.
#pragma once

#include <array>
#include <cstdint>

namespace tf {

inline constexpr std::size_t kWaveHeaderSize = 44;
using WaveHeaderBytes = std::array<std::uint8_t, kWaveHeaderSize>;

// The first failing field, in the order the fields are checked. The library
// only decides; each program says the refusal in its own words.
enum class WaveCheck { Accepted, InvalidFormat, NotStereo, Not44100Hz, Not16Bit };

// Format tag 1, channels 2, 44100 samples per second, 16 bits per sample (bytes
// 20 to 35); identifiers and chunk sizes are deliberately not looked at.
WaveCheck check_wave_header(const WaveHeaderBytes &header);

// The first 44 bytes of the file; bytes the file does not have (or a file that
// cannot be opened) stay 0, which the check refuses as an invalid format. Only
// a regular file is opened, so a pipe or device never blocks the read.
struct WaveHeaderRead {
    WaveHeaderBytes bytes{};
    bool opened = false;
};
WaveHeaderRead read_wave_header(const char *path);

} // namespace tf
