#include "library/project_format.h"

#include <bit>
#include <cstring>

namespace tf {

void apply_name_rule(char *name) {
    for (std::size_t i = 0; i < kNameSize; ++i) {
        name[i] = static_cast<char>(name_byte(static_cast<std::uint8_t>(name[i])));
    }
}

void convert_samples(std::uint8_t *data, std::size_t bytes) {
    // Whole 64-bit words first: four samples per XOR keeps the conversion far
    // below the cost of the file I/O around it.
    static_assert(std::endian::native == std::endian::little,
                  "the word-wise flip assumes the high byte of each pair is the upper one");
    constexpr std::uint64_t kFlip = 0x8000800080008000ULL;
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        word ^= kFlip;
        std::memcpy(data + i, &word, 8);
    }
    for (; i + 1 < bytes; i += 2) {
        data[i + 1] ^= 0x80;
    }
}

std::array<std::uint8_t, kHeaderSize> make_header(const char *code, const char *name,
                                                  std::uint16_t count) {
    std::array<std::uint8_t, kHeaderSize> header{};
    std::memcpy(header.data(), kMagic.data(), kMagic.size());
    std::memcpy(header.data() + kCodeOffset, code, kCodeSize);
    std::memcpy(header.data() + kNameOffset, name, kNameSize);
    header[kCountOffset] = static_cast<std::uint8_t>(count & 0xFF);
    header[kCountOffset + 1] = static_cast<std::uint8_t>(count >> 8);
    return header;
}

} // namespace tf
