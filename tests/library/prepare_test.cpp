// The preparation on real files: decoded by the platform's backend, resampled,
// dithered and clipped by the shared code, written beside the target.
#include "library/prepare/prepare.h"
#include "library_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

namespace tf::test {
namespace {

namespace fs = std::filesystem;
using audio::Damage;
using audio::prepare_wave;
using audio::PrepareReport;
using audio::PrepareResult;

enum class Encoding { Pcm16, Pcm24, Float };

// A wave holding interleaved `samples` (full scale ±1.0) as the encoding says.
Bytes audio_wave(Encoding encoding, std::uint16_t channels, std::uint32_t rate,
                 const std::vector<double> &samples) {
    const std::uint16_t bits = encoding == Encoding::Pcm16   ? 16
                               : encoding == Encoding::Pcm24 ? 24
                                                             : 32;
    Bytes data;
    for (const double s : samples) {
        if (encoding == Encoding::Float) {
            const float f = static_cast<float>(s);
            std::uint32_t u;
            std::memcpy(&u, &f, 4);
            put32(data, u);
            continue;
        }
        const double scale = encoding == Encoding::Pcm16 ? 32768.0 : 8388608.0;
        const auto v = static_cast<std::int32_t>(std::clamp(
            std::lround(s * scale), -static_cast<long>(scale), static_cast<long>(scale) - 1));
        for (int b = 0; b < bits / 8; ++b) {
            data.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * b)));
        }
    }
    Bytes w;
    put_id(w, "RIFF");
    put32(w, static_cast<std::uint32_t>(36 + data.size()));
    put_id(w, "WAVE");
    put_chunk(w, "fmt ", fmt_body(encoding == Encoding::Float ? 3 : 1, channels, rate, bits));
    put_chunk(w, "data", data);
    return w;
}

// A sine of `hz` at `level` in every channel.
std::vector<double> sine(std::uint32_t rate, std::size_t frames, int channels, double hz = 1000,
                         double level = 0.891) {
    std::vector<double> s;
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            s.push_back(level *
                        std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate));
        }
    }
    return s;
}

struct Prepared {
    PrepareResult result;
    PrepareReport report;
    std::vector<std::int16_t> left, right;
};

Prepared prepare(const std::string &in, const std::string &out,
                 const audio::PrepareSettings &settings = {}) {
    Prepared p{};
    p.result = prepare_wave(in, out, {}, &p.report, settings);
    const Bytes wave = read_bytes(out);
    for (std::size_t at = 44; at + 4 <= wave.size(); at += 4) {
        p.left.push_back(static_cast<std::int16_t>(wave[at] | wave[at + 1] << 8));
        p.right.push_back(static_cast<std::int16_t>(wave[at + 2] | wave[at + 3] << 8));
    }
    return p;
}

// Everything that is not the best-fitting 1 kHz sine is noise. 441 samples
// hold exactly ten periods at 44.1 kHz, so sine and cosine fit independently.
double snr_db_of_1khz(const std::vector<std::int16_t> &y, std::size_t skip) {
    const std::size_t n = (y.size() - 2 * skip) / 441 * 441;
    const double w = 2 * std::numbers::pi * 1000 / 44100;
    double a = 0, b = 0, c = 0;
    for (std::size_t i = 0; i < n; ++i) {
        a += y[skip + i] * std::sin(w * i) * 2 / n;
        b += y[skip + i] * std::cos(w * i) * 2 / n;
        c += y[skip + i] / static_cast<double>(n);
    }
    double noise = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double e = y[skip + i] - (a * std::sin(w * i) + b * std::cos(w * i) + c);
        noise += e * e;
    }
    return 10 * std::log10((a * a + b * b) / 2 / (noise / n));
}

std::set<std::string> names_in(const fs::path &folder) {
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class Prepare : public ::testing::Test {
  protected:
    TempDir dir;
    const std::string out = dir.file("out.wav");
};

TEST_F(Prepare, TwentyFourBit48kHzKeepsTheToneAndTheLength) {
    const std::string in = dir.file("in.wav");
    write_bytes(in, audio_wave(Encoding::Pcm24, 2, 48000, sine(48000, 96000, 2)));
    std::uint64_t last_done = 0, last_expected = 0;
    PrepareReport report;
    ASSERT_EQ(prepare_wave(
                  in, out,
                  [&](std::uint64_t done, std::uint64_t expected) {
                      last_done = done;
                      last_expected = expected;
                  },
                  &report),
              PrepareResult::Done);
    EXPECT_EQ(last_done, 96000u);
    EXPECT_EQ(last_expected, 96000u);
    EXPECT_TRUE(report.resampled && report.dithered && !report.copied_unchanged);
    const Prepared p = prepare(in, dir.file("again.wav"));
    EXPECT_NEAR(static_cast<double>(p.left.size()), 88200.0, 1.0);
    EXPECT_EQ(read_bytes(out), read_bytes(dir.file("again.wav"))) << "the dither is repeatable";
    EXPECT_GT(snr_db_of_1khz(p.left, 2000), 85.0);
    EXPECT_GT(snr_db_of_1khz(p.right, 2000), 85.0);
    EXPECT_EQ(p.report.clipped, 0u);
}

// The resampler's filter holds frames back; finishing must give them all out,
// and no more, at every common rate.
TEST_F(Prepare, LengthFollowsTheRateRatioWithinOneFrame) {
    for (const std::uint32_t rate : {8000u, 11025u, 22050u, 32000u, 48000u, 88200u, 96000u}) {
        const std::string in = dir.file(std::to_string(rate) + ".wav");
        const std::string to = dir.file(std::to_string(rate) + "-out.wav");
        write_bytes(in, audio_wave(Encoding::Pcm16, 1, rate, sine(rate, 10007, 1, 440, 0.5)));
        const Prepared p = prepare(in, to);
        ASSERT_EQ(p.result, PrepareResult::Done) << rate;
        EXPECT_NEAR(static_cast<double>(p.left.size()), std::round(10007.0 * 44100 / rate), 1.0)
            << rate;
        EXPECT_EQ(p.report.frames_written, p.left.size());
    }
}

TEST_F(Prepare, MonoGoesToBothChannelsAnd16BitIsConvertedExactly) {
    const std::string slow = dir.file("m22.wav");
    write_bytes(slow, audio_wave(Encoding::Pcm16, 1, 22050, sine(22050, 22050, 1, 1000, 0.5)));
    const Prepared resampled = prepare(slow, out);
    ASSERT_EQ(resampled.result, PrepareResult::Done);
    EXPECT_EQ(resampled.left.size(), 44100u);
    EXPECT_EQ(resampled.left, resampled.right) << "one dithered value for both channels";
    EXPECT_GT(snr_db_of_1khz(resampled.left, 2000), 80.0);

    // At the device's rate, 16-bit samples need no dither and come out as they are.
    std::vector<double> samples;
    const Bytes noise = pattern(2 * 5000, 7);
    for (std::size_t i = 0; i < noise.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(noise[i] | noise[i + 1] << 8) / 32768.0);
    }
    const std::string exact = dir.file("m44.wav");
    write_bytes(exact, audio_wave(Encoding::Pcm16, 1, 44100, samples));
    const Prepared p = prepare(exact, dir.file("exact.wav"));
    ASSERT_EQ(p.result, PrepareResult::Done);
    EXPECT_FALSE(p.report.dithered || p.report.resampled);
    ASSERT_EQ(p.left.size(), samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(p.left[i], std::lround(samples[i] * 32768)) << i;
        ASSERT_EQ(p.right[i], p.left[i]) << i;
    }
}

// Only samples beyond full scale count; +1.0 itself is clamped quietly.
TEST_F(Prepare, FloatBeyondFullScaleIsClippedAndCounted) {
    std::vector<double> samples;
    for (int i = 0; i < 1000; ++i) {
        samples.push_back(i % 10 == 0 ? 1.5 : 0.25);
        samples.push_back(i % 25 == 0 ? -1.5 : i == 1 ? 1.0 : -0.25);
    }
    const std::string in = dir.file("float.wav");
    write_bytes(in, audio_wave(Encoding::Float, 2, 44100, samples));
    const Prepared p = prepare(in, out);
    ASSERT_EQ(p.result, PrepareResult::Done);
    EXPECT_EQ(p.report.clipped, 100u + 40u);
    EXPECT_TRUE(p.report.dithered);
    EXPECT_EQ(p.left[10], 32767);
    EXPECT_EQ(p.right[25], -32768);
    EXPECT_EQ(p.right[1], 32767);
    EXPECT_NEAR(p.left[3], 8192, 1) << "dither moves a sample by one step at most";
}

// Metadata around the audio and a half frame at its end are not audio: the
// copy holds exactly what the converter would read.
TEST_F(Prepare, DeviceReadyAudioIsCopiedByteForByte) {
    const Bytes audio = pattern(4 * 3000 + 3, 5);
    Bytes w;
    put_id(w, "RIFF");
    put32(w, 0);
    put_id(w, "WAVE");
    put_chunk(w, "fmt ", fmt_body());
    put_chunk(w, "LIST", pattern(37, 2));
    put_chunk(w, "data", audio);
    put_chunk(w, "JUNK", pattern(20, 3));
    const std::string in = dir.file("ready.wav");
    write_bytes(in, w);
    const Prepared p = prepare(in, out);
    ASSERT_EQ(p.result, PrepareResult::Done);
    EXPECT_TRUE(p.report.copied_unchanged);
    EXPECT_EQ(read_bytes(out), make_wave(Bytes(audio.begin(), audio.end() - 3)));
}

// A run cut short leaves its temporary file under the name the next run of
// the same target wants; that run takes the name back instead of moving on.
TEST_F(Prepare, ALeftoverOfARunCutShortGoesFirst) {
    const std::string in = dir.file("show.wav");
    write_bytes(in, audio_wave(Encoding::Pcm24, 2, 48000, sine(48000, 1000, 1)));
    write_bytes(out + ".partial", pattern(1000, 9));
    const auto before = names_in(dir.path());
    ASSERT_EQ(prepare(in, out).result, PrepareResult::Done);
    auto after = names_in(dir.path());
    EXPECT_EQ(after.size(), before.size()) << "the leftover stayed beside the new wave";
    EXPECT_FALSE(fs::exists(out + ".partial"));
}

TEST_F(Prepare, RefusalsLeaveNoFileBehind) {
    const std::string three = dir.file("three.wav"), text = dir.file("text.wav");
    const std::string keep = dir.file("keep.wav"), link = dir.file("link.wav");
    write_bytes(three, audio_wave(Encoding::Pcm16, 3, 44100, sine(44100, 1000, 3)));
    write_bytes(text, Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    write_bytes(keep, audio_wave(Encoding::Pcm24, 2, 48000, sine(48000, 1000, 2)));
    fs::create_symlink(keep, link);
    const Bytes kept = read_bytes(keep);
    const auto before = names_in(dir.path());
    EXPECT_EQ(prepare_wave(three, out), PrepareResult::TooManyChannels);
    EXPECT_EQ(prepare_wave(text, out), PrepareResult::NotDecodable);
    EXPECT_EQ(prepare_wave(dir.file("missing.wav"), out), PrepareResult::SourceNotOpened);
    EXPECT_EQ(prepare_wave(dir.path().string(), out), PrepareResult::SourceNotOpened);
    EXPECT_EQ(prepare_wave(three, keep), PrepareResult::TargetExists);
    EXPECT_EQ(prepare_wave(keep, keep), PrepareResult::SameFile);
    EXPECT_EQ(prepare_wave(keep, link), PrepareResult::SameFile);
    EXPECT_EQ(prepare_wave(keep, dir.file("no/such/folder.wav")), PrepareResult::TargetNotCreated);
    EXPECT_EQ(names_in(dir.path()), before);
    EXPECT_EQ(read_bytes(keep), kept);
}

TEST_F(Prepare, MoreThanAWaveCanHoldIsRefused) {
    const std::string big = dir.file("big.wav");
    if (!make_big_wave(big, 5ULL << 30, BigSizes::Unset)) {
        GTEST_SKIP() << "cannot make a 5 GiB sparse file here";
    }
    EXPECT_EQ(prepare_wave(big, out), PrepareResult::TooLong);
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(Prepare, FullDiskLeavesNothingBehind) {
    const std::string point = std::string(TF_BINARY_DIR) + "/prepare-full-disk";
    const TmpfsMount disk(point, "256k");
    if (!disk.mounted()) {
        GTEST_SKIP() << "no tmpfs: " << disk.error();
    }
    const std::string decoded = dir.file("decoded.wav"), ready = dir.file("ready.wav");
    write_bytes(decoded, audio_wave(Encoding::Pcm24, 2, 48000, sine(48000, 96000, 2)));
    write_bytes(ready, make_wave(pattern(4 * 100000)));
    for (const std::string &in : {decoded, ready}) {
        EXPECT_EQ(prepare_wave(in, point + "/out.wav"), PrepareResult::WriteError) << in;
        EXPECT_TRUE(names_in(point).empty()) << in;
    }
}

TEST_F(Prepare, FlacIsDecoded) {
    const std::string wave = dir.file("in.wav"), flac = dir.file("in.flac");
    write_bytes(wave, audio_wave(Encoding::Pcm24, 2, 48000, sine(48000, 48000, 2)));
    ASSERT_EQ(std::system(("sox '" + wave + "' '" + flac + "'").c_str()), 0)
        << "sox makes the FLAC";
    const Prepared p = prepare(flac, out);
    ASSERT_EQ(p.result, PrepareResult::Done);
    EXPECT_EQ(p.report.source.kind, audio::SampleKind::Pcm24);
    EXPECT_NEAR(static_cast<double>(p.left.size()), 44100.0, 1.0);
    EXPECT_GT(snr_db_of_1khz(p.left, 2000), 85.0);
}

Bytes head_of(const Bytes &b, std::size_t n) {
    return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
}

// A file that cannot give all it declares is refused whole, so the end of a
// show is never missing without a word, and nothing is left behind.
TEST_F(Prepare, DamagedFilesFailAndLeaveNothing) {
    const Bytes wave = audio_wave(Encoding::Pcm24, 2, 48000, sine(48000, 3 * 48000, 2));
    const Bytes ready = make_wave(pattern(4 * 44100 * 2));
    write_bytes(dir.file("cut.wav"), head_of(wave, 44 + (wave.size() - 44) / 3));
    write_bytes(dir.file("cut-ready.wav"), head_of(ready, ready.size() * 3 / 4));
    write_bytes(dir.file("empty.wav"), audio_wave(Encoding::Pcm24, 2, 48000, {}));
    const std::string flac = dir.file("in.flac");
    write_bytes(dir.file("in.wav"), wave);
    ASSERT_EQ(std::system(("sox '" + dir.file("in.wav") + "' '" + flac + "'").c_str()), 0);
    const Bytes coded = read_bytes(flac);
    write_bytes(dir.file("cut.flac"), head_of(coded, coded.size() / 2));
    Bytes wrong_sum = coded; // STREAMINFO's MD5 starts at byte 26
    wrong_sum[26] ^= 0x40;
    write_bytes(dir.file("sum.flac"), wrong_sum);
    const auto before = names_in(dir.path());

    struct Case {
        const char *file;
        Damage damage;
        const char *ends_after, *of;
    };
    for (const Case &c : {Case{"cut.wav", Damage::EndsEarly, "0:01", "0:03"},
                          Case{"cut-ready.wav", Damage::EndsEarly, "0:01", "0:02"},
                          Case{"empty.wav", Damage::NoAudio, "0:00", "0:00"},
                          Case{"cut.flac", Damage::EndsEarly, "0:01", "0:03"},
                          Case{"sum.flac", Damage::Checksum, "0:03", "0:03"}}) {
        const Prepared p = prepare(dir.file(c.file), out);
        EXPECT_EQ(p.result, PrepareResult::Damaged) << c.file;
        EXPECT_EQ(p.report.damage, c.damage) << c.file;
        const std::uint32_t rate = p.report.source.rate;
        EXPECT_EQ(audio::clock_time(p.report.frames_decoded, rate), c.ends_after) << c.file;
        EXPECT_EQ(audio::clock_time(p.report.frames_declared, rate), c.of) << c.file;
        audio::LevelReport level;
        EXPECT_EQ(audio::measure_level(dir.file(c.file), level), PrepareResult::Damaged) << c.file;
    }
    EXPECT_EQ(names_in(dir.path()), before);
    EXPECT_EQ(prepare_wave(flac, out), PrepareResult::Done) << "the stored digest holds";
}

// A header's rate is checked before anything is made: 1 Hz once made memory
// grow without bound, 10^9 Hz "succeeded" with no audio at all.
TEST_F(Prepare, RatesNoAudioHasAreRefusedBeforeAnythingIsWritten) {
    for (const std::uint32_t rate : {1u, 999u, 1536001u, 1000000000u}) {
        const std::string in = dir.file(std::to_string(rate) + ".wav");
        write_bytes(in, audio_wave(Encoding::Pcm16, 1, rate, sine(8000, 4000, 1)));
        EXPECT_EQ(prepare_wave(in, out), PrepareResult::RateUnsupported) << rate;
        EXPECT_FALSE(fs::exists(out)) << rate;
    }
    const std::string lowest = dir.file("1000.wav");
    write_bytes(lowest, audio_wave(Encoding::Pcm16, 1, 1000, sine(1000, 1000, 1, 100, 0.5)));
    const Prepared p = prepare(lowest, out);
    ASSERT_EQ(p.result, PrepareResult::Done);
    EXPECT_NEAR(static_cast<double>(p.left.size()), 44100.0, 1.0);
}

// A loud 48 kHz master overshoots full scale between its samples once
// resampled. The measure says how many samples would clip and by how much to
// lower; lowered by that, nothing clips and the peak stays within 0.1 dB of
// full scale.
TEST_F(Prepare, HeadroomLowersTheLevelJustEnoughThatNothingClips) {
    std::vector<double> square;
    for (int i = 0; i < 48000; ++i) {
        const double v = (i / 24) % 2 ? -0.99 : 0.99;
        square.insert(square.end(), {v, v});
    }
    const std::string loud = dir.file("loud.wav");
    write_bytes(loud, audio_wave(Encoding::Pcm16, 2, 48000, square));
    audio::LevelReport level;
    ASSERT_EQ(audio::measure_level(loud, level), PrepareResult::Done);
    EXPECT_GT(level.over, 1000u);
    EXPECT_GT(level.lower_db, 0.5);
    EXPECT_LT(level.lower_db, 3.0);

    const Prepared as_today = prepare(loud, out);
    ASSERT_EQ(as_today.result, PrepareResult::Done);
    EXPECT_EQ(as_today.report.clipped, level.over) << "the count asked about is the count made";
    audio::PrepareSettings settings;
    settings.headroom = true;
    const Prepared lowered = prepare(loud, dir.file("lowered.wav"), settings);
    ASSERT_EQ(lowered.result, PrepareResult::Done);
    EXPECT_EQ(lowered.report.clipped, 0u);
    EXPECT_DOUBLE_EQ(lowered.report.lowered_db, level.lower_db);
    int peak = 0;
    for (const auto *channel : {&lowered.left, &lowered.right}) {
        for (const std::int16_t v : *channel) {
            peak = std::max(peak, std::abs(int{v}));
        }
    }
    EXPECT_GT(peak, 32767 * std::pow(10.0, -0.1 / 20) - 2) << "lowered no more than needed";

    // Where nothing would clip, nothing is lowered.
    const std::string quiet = dir.file("quiet.wav");
    write_bytes(quiet, audio_wave(Encoding::Pcm16, 2, 48000, sine(48000, 4800, 2)));
    ASSERT_EQ(audio::measure_level(quiet, level), PrepareResult::Done);
    EXPECT_EQ(level.over, 0u);
    EXPECT_EQ(level.lower_db, 0.0);
    ASSERT_EQ(prepare(quiet, dir.file("q1.wav"), settings).result, PrepareResult::Done);
    ASSERT_EQ(prepare(quiet, dir.file("q2.wav")).result, PrepareResult::Done);
    EXPECT_EQ(read_bytes(dir.file("q1.wav")), read_bytes(dir.file("q2.wav")));
}

} // namespace
} // namespace tf::test
