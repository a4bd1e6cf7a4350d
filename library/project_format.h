// Layout of a project file (.kpf) and the pure byte rules behind it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tf {

inline constexpr std::size_t kHeaderSize = 7680;
inline constexpr std::size_t kNameSize = 30;
inline constexpr std::size_t kCodeSize = 4;
inline constexpr std::size_t kCountOffset = 41;
inline constexpr std::size_t kNameOffset = 11;
inline constexpr std::size_t kCodeOffset = 7;
inline constexpr std::array<char, 7> kMagic{'K', 'O', 'R', 'V', 'A', 'N', 'T'};

inline constexpr std::uint64_t kLeadInSamples = 255744;
inline constexpr std::uint64_t kTailSamples = 441510;
inline constexpr std::uint64_t kLeadInBytes = kLeadInSamples * 2;
inline constexpr std::uint64_t kTailBytes = kTailSamples * 2;
inline constexpr std::uint64_t kAudioOffset = kHeaderSize + kLeadInBytes; // 519168
inline constexpr std::uint64_t kFixedBytes = kAudioOffset + kTailBytes;   // 1402188
inline constexpr std::size_t kSourceHeaderSize = 44;

// One count unit is 176604 source bytes, not the 176400 of a second of audio:
// the device's count has always been computed that way, and files must match.
inline constexpr std::uint64_t kBytesPerCountUnit = 176604;

// Offset-binary silence: the signed value 0 stored as 0x8000, low byte first.
inline constexpr std::uint8_t kSilenceLow = 0x00;
inline constexpr std::uint8_t kSilenceHigh = 0x80;

// The 16-bit length count from the source's RIFF size field S. S is taken as
// unsigned so that sources of 2 GiB and more still get a growing count; below
// 2^31 this equals the signed formula with truncation toward zero.
constexpr std::uint16_t length_count(std::uint32_t riff_size) {
    if (riff_size < kSourceHeaderSize) {
        return 1;
    }
    const std::uint64_t count =
        (std::uint64_t{riff_size} - kSourceHeaderSize) / kBytesPerCountUnit + 1;
    return static_cast<std::uint16_t>(count & 0xFFFF);
}

// The device's display only knows printable ASCII and its own codes for the
// German umlauts; everything else would show garbage, so it becomes a blank.
constexpr std::uint8_t name_byte(std::uint8_t in) {
    switch (in) {
    case 0xFC:
    case 0xDC:
        return 0xF5;
    case 0xF6:
    case 0xD6:
        return 0xEF;
    case 0xE4:
    case 0xC4:
        return 0xE1;
    default:
        return (in >= 0x20 && in <= 0x7E) ? in : 0x20;
    }
}

// Rewrites exactly 30 bytes in place; no terminator is looked for.
void apply_name_rule(char *name);

// Signed little-endian samples to offset-binary: the low byte passes, the high
// byte's top bit flips. `bytes` must be even; works in place.
void convert_samples(std::uint8_t *data, std::size_t bytes);

// The complete 7680-byte header.
std::array<std::uint8_t, kHeaderSize> make_header(const char *code, const char *name,
                                                  std::uint16_t count);

} // namespace tf
