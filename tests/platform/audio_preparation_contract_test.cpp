// The window's preparation service: one set of promises, held by the real one
// over the library (real files in a temporary folder) and by the double the
// window tests use (a FakeFileSystem drive). Where they differ the double is wrong.
#include "library/library_test_support.h"
#include "platform/audio_preparation.h"
#include "platform/fake/fake_audio_preparation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace tf {
namespace {

using test::Bytes;
namespace stdfs = std::filesystem;

// A wave of `frames` frames of a quiet pattern in the given format.
Bytes WaveOf(std::uint32_t rate, std::uint16_t channels, std::uint32_t frames) {
    Bytes audio = test::pattern(std::size_t{frames} * channels * 2);
    for (std::size_t i = 1; i < audio.size(); i += 2)
        audio[i] = static_cast<std::uint8_t>(audio[i] & 0x0F); // well below full scale
    Bytes w;
    test::put_id(w, "RIFF");
    test::put32(w, static_cast<std::uint32_t>(36 + audio.size()));
    test::put_id(w, "WAVE");
    test::put_chunk(w, "fmt ", test::fmt_body(1, channels, rate, 16));
    test::put_chunk(w, "data", audio);
    return w;
}

std::string Text(const Bytes &b) {
    return std::string(b.begin(), b.end());
}

struct World {
    std::function<std::string(const std::string &)> path; // a name in the test folder
    std::function<void(const std::string &, const Bytes &)> write;
    std::function<bool(const std::string &)> exists;
    std::function<std::string(const std::string &)> read;
    AudioPreparation *audio = nullptr;
    std::shared_ptr<void> keep;
};

World RealWorld() {
    struct Own {
        stdfs::path dir;
        std::unique_ptr<AudioPreparation> audio = MakeAudioPreparation();
        ~Own() {
            std::error_code ec;
            stdfs::remove_all(dir, ec);
        }
    };
    auto own = std::make_shared<Own>();
    own->dir =
        stdfs::temp_directory_path() /
        ("tf_prep_contract_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    stdfs::remove_all(own->dir);
    stdfs::create_directories(own->dir);
    World w;
    w.path = [d = own->dir](const std::string &n) { return (d / n).string(); };
    w.write = [](const std::string &p, const Bytes &b) { test::write_bytes(p, b); };
    w.exists = [](const std::string &p) { return stdfs::exists(p); };
    w.read = [](const std::string &p) { return Text(test::read_bytes(p)); };
    w.audio = own->audio.get();
    w.keep = own;
    return w;
}

World FakeWorld() {
    struct Own {
        fake::FakeFileSystem fs;
        fake::FakeAudioPreparation audio{fs};
    };
    auto own = std::make_shared<Own>();
    own->fs.AddDrive("c:", kDriveFixed);
    own->fs.MakeFolders("c:\\Musik");
    World w;
    w.path = [](const std::string &n) { return "c:\\Musik\\" + n; };
    w.write = [o = own.get()](const std::string &p, const Bytes &b) {
        o->fs.WriteFile(p, Text(b));
    };
    w.exists = [o = own.get()](const std::string &p) { return o->fs.FileExists(p); };
    w.read = [o = own.get()](const std::string &p) { return o->fs.ReadFile(p); };
    w.audio = &own->audio;
    w.keep = own;
    return w;
}

class AudioPreparationContract : public ::testing::TestWithParam<World (*)()> {
  protected:
    World w = GetParam()();
    AudioPreparation &audio() { return *w.audio; }
};

TEST_P(AudioPreparationContract, AnotherRateBecomesADeviceReadyWaveOfTheRightLength) {
    const std::string source = w.path("show48.wav"), target = w.path("show48 copy.wav");
    w.write(source, WaveOf(48000, 1, 4800));
    EXPECT_EQ(audio().Probe(source), AudioPreparation::Verdict::Decodable);
    const auto outcome = audio().Prepare(source, target, 0);
    ASSERT_EQ(outcome.result, AudioPreparation::Result::Done);
    EXPECT_EQ(outcome.clipped, 0u);
    const std::string out = w.read(target);
    ASSERT_GE(out.size(), 44u);
    const Bytes canonical = test::fmt_body();
    EXPECT_EQ(out.substr(20, 16), Text(canonical));
    const std::size_t frames = (out.size() - 44) / 4;
    EXPECT_NEAR(static_cast<double>(frames), 4410.0, 1.0);
}

TEST_P(AudioPreparationContract, DeviceReadyAudioIsCopiedUnchanged) {
    const std::string source = w.path("ready.wav"), target = w.path("ready copy.wav");
    const Bytes wave = WaveOf(44100, 2, 1000);
    w.write(source, wave);
    ASSERT_EQ(audio().Prepare(source, target, 0).result, AudioPreparation::Result::Done);
    EXPECT_EQ(w.read(target).substr(44), Text(wave).substr(44));
}

TEST_P(AudioPreparationContract, RefusalsMakeNothing) {
    const std::string surround = w.path("surround.wav"), text = w.path("notes.wav");
    w.write(surround, WaveOf(48000, 6, 480));
    w.write(text, Bytes(300, 'x'));
    EXPECT_EQ(audio().Probe(surround), AudioPreparation::Verdict::TooManyChannels);
    EXPECT_EQ(audio().Prepare(surround, w.path("a.wav"), 0).result,
              AudioPreparation::Result::TooManyChannels);
    EXPECT_EQ(audio().Probe(text), AudioPreparation::Verdict::NotDecodable);
    EXPECT_EQ(audio().Probe(w.path("gone.wav")), AudioPreparation::Verdict::NotDecodable);
    EXPECT_EQ(audio().Prepare(text, w.path("b.wav"), 0).result,
              AudioPreparation::Result::NotDecodable);
    EXPECT_FALSE(w.exists(w.path("a.wav")));
    EXPECT_FALSE(w.exists(w.path("b.wav")));
}

TEST_P(AudioPreparationContract, AnExistingFileStaysAndAMissingFolderMakesNothing) {
    const std::string source = w.path("show48.wav"), target = w.path("mine.wav");
    w.write(source, WaveOf(48000, 2, 480));
    w.write(target, Bytes(10, 'm'));
    EXPECT_EQ(audio().Prepare(source, target, 0).result, AudioPreparation::Result::TargetExists);
    EXPECT_EQ(w.read(target), std::string(10, 'm'));
    const std::string nowhere = w.path("no such folder") + "/x.wav";
    EXPECT_EQ(audio().Prepare(source, nowhere, 0).result,
              AudioPreparation::Result::TargetNotCreated);
    EXPECT_FALSE(w.exists(nowhere));
}

// A wave cut off in transfer, and a header whose rate no audio has: told
// apart from a full disk, with the times the window shows, and nothing made.
TEST_P(AudioPreparationContract, DamagedFilesAndImpossibleRatesMakeNothing) {
    const std::string cut = w.path("cut.wav"), slow = w.path("1hz.wav"), ok = w.path("ok.wav");
    const Bytes whole = WaveOf(48000, 2, 48000 * 3);
    w.write(cut, Bytes(whole.begin(), whole.begin() + 44 + 4 * 48000 * 2 + 6));
    w.write(slow, WaveOf(1, 2, 100));
    w.write(ok, WaveOf(48000, 2, 4800));
    using Result = AudioPreparation::Result;
    for (const auto &outcome :
         {audio().Prepare(cut, w.path("a.wav"), 0), audio().Measure(cut).outcome}) {
        EXPECT_EQ(outcome.result, Result::Damaged);
        EXPECT_TRUE(outcome.ends_early);
        EXPECT_EQ(outcome.seconds_held, 2u);
        EXPECT_EQ(outcome.seconds_declared, 3u);
    }
    for (const auto &outcome :
         {audio().Prepare(slow, w.path("b.wav"), 0), audio().Measure(slow).outcome}) {
        EXPECT_EQ(outcome.result, Result::RateUnsupported);
        EXPECT_EQ(outcome.rate, 1u);
    }
    EXPECT_FALSE(w.exists(w.path("a.wav")));
    EXPECT_FALSE(w.exists(w.path("b.wav")));
    const auto level = audio().Measure(ok);
    EXPECT_EQ(level.outcome.result, Result::Done);
    EXPECT_EQ(level.over, 0u);
}

INSTANTIATE_TEST_SUITE_P(RealAndDouble, AudioPreparationContract,
                         ::testing::Values(&RealWorld, &FakeWorld),
                         [](const auto &info) { return info.index == 0 ? "Real" : "Double"; });

} // namespace
} // namespace tf
