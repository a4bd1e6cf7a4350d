// The four fields that decide whether a wave file is accepted, and their texts.
#include "library/wave_header.h"
#include "library_test_support.h"
#include "wave_verdicts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tf::test {
namespace {

WaveHeaderBytes header(const WaveVerdict &v) {
    const Bytes wave = WaveOf(v, Bytes(4, 0));
    WaveHeaderBytes h{};
    std::copy_n(wave.begin(), h.size(), h.begin());
    return h;
}

TEST(WaveHeader, ChecksInOrder) {
    for (const WaveVerdict &v : WaveVerdicts())
        EXPECT_EQ(check_wave_header(header(v)), v.check) << v.what;
}

TEST(WaveHeader, OnlyTheFourFieldsDecide) {
    WaveHeaderBytes h = header(WaveVerdicts().front());
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
