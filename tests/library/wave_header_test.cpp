// The four fields that decide whether a wave file is accepted, and their texts.
#include "library/wave_header.h"
#include "library_test_support.h"

#include <gtest/gtest.h>

namespace tf::test {
namespace {

WaveHeaderBytes header(std::uint16_t format, std::uint16_t channels, std::uint32_t rate,
                       std::uint16_t bits) {
    Bytes wave = make_wave(Bytes(4, 0));
    const Bytes fmt = fmt_body(format, channels, rate, bits);
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        wave[20 + i] = fmt[i];
    }
    WaveHeaderBytes h{};
    for (std::size_t i = 0; i < h.size(); ++i) {
        h[i] = wave[i];
    }
    return h;
}

TEST(WaveHeader, ChecksInOrder) {
    EXPECT_EQ(check_wave_header(header(1, 2, 44100, 16)), WaveCheck::Accepted);
    EXPECT_EQ(check_wave_header(header(1, 2, 48000, 16)), WaveCheck::Not44100Hz);
    EXPECT_EQ(check_wave_header(header(1, 1, 22050, 16)), WaveCheck::NotStereo);
    EXPECT_EQ(check_wave_header(header(1, 4, 44100, 16)), WaveCheck::NotStereo);
    EXPECT_EQ(check_wave_header(header(1, 2, 44100, 8)), WaveCheck::Not16Bit);
    EXPECT_EQ(check_wave_header(header(3, 2, 44100, 32)), WaveCheck::InvalidFormat);
    EXPECT_EQ(check_wave_header(header(0xFFFE, 2, 44100, 16)), WaveCheck::InvalidFormat);
    // Low 16 bits equal 44100, the whole 32-bit field does not.
    EXPECT_EQ(check_wave_header(header(1, 2, 109636, 16)), WaveCheck::Not44100Hz);
    EXPECT_EQ(check_wave_header(WaveHeaderBytes{}), WaveCheck::InvalidFormat);
}

TEST(WaveHeader, OnlyTheFourFieldsDecide) {
    WaveHeaderBytes h = header(1, 2, 44100, 16);
    for (std::size_t i : {0, 1, 4, 8, 12, 16, 28, 32, 36, 40, 43}) {
        h[i] = 0xA5;
    }
    EXPECT_EQ(check_wave_header(h), WaveCheck::Accepted);
}

TEST(WaveHeader, ReadsFirst44BytesAndZeroFillsShortFiles) {
    TempDir dir;
    Bytes wave = make_wave(Bytes(100, 1));
    write_bytes(dir.file("ok.wav"), wave);
    const auto ok = read_wave_header(dir.file("ok.wav").c_str());
    EXPECT_TRUE(ok.opened);
    EXPECT_TRUE(std::equal(ok.bytes.begin(), ok.bytes.end(), wave.begin()));
    EXPECT_EQ(check_wave_header(ok.bytes), WaveCheck::Accepted);

    // Cut inside the bits field: byte 34 stays, 35 onwards read as 0.
    wave[34] = 16;
    wave.resize(35);
    write_bytes(dir.file("short.wav"), wave);
    const auto cut = read_wave_header(dir.file("short.wav").c_str());
    EXPECT_EQ(cut.bytes[34], 16);
    EXPECT_EQ(cut.bytes[35], 0);
    EXPECT_EQ(check_wave_header(cut.bytes), WaveCheck::Accepted);

    write_bytes(dir.file("empty.wav"), {});
    EXPECT_EQ(check_wave_header(read_wave_header(dir.file("empty.wav").c_str()).bytes),
              WaveCheck::InvalidFormat);
    const auto missing = read_wave_header(dir.file("missing.wav").c_str());
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(check_wave_header(missing.bytes), WaveCheck::InvalidFormat);
}

} // namespace
} // namespace tf::test
