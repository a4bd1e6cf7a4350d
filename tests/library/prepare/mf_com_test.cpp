// The Windows backend on a caller's thread: it works whatever COM state the
// thread is in (the desktop program's is apartment threaded for its shell
// links) and leaves that state exactly as it found it. Paths are UTF-8.
#include "library/library_test_support.h"
#include "library/prepare/audio_backend.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

namespace {

using tf::test::TempDir;

// A wave whose name no ANSI code page holds, so only a UTF-8 path finds it.
std::string make_tone(const TempDir &dir) {
    const std::filesystem::path path = dir.path() / std::filesystem::path(u8"Übung ♪.wav");
    const tf::test::Bytes wave = tf::test::make_wave(tf::test::pattern(4410 * 4));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(wave.data()),
               static_cast<std::streamsize>(wave.size()));
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// Decodes the whole file and converts a block of it, as the preparation does.
void use_backend(const std::string &path) {
    auto opened = tf::audio::open_decoder(path);
    ASSERT_EQ(opened.failure, tf::audio::OpenFailure::None) << opened.detail;
    EXPECT_EQ(opened.decoder->format().kind, tf::audio::SampleKind::Pcm16);
    std::vector<float> frames(8192 * 2);
    EXPECT_EQ(opened.decoder->read(frames.data(), 8192), 4410u);
    EXPECT_FALSE(opened.decoder->failed());
    auto resampler = tf::audio::make_resampler(44100, 48000, 2);
    ASSERT_TRUE(resampler);
    std::vector<float> out;
    EXPECT_TRUE(resampler->process(frames.data(), 4410, out));
    EXPECT_TRUE(resampler->finish(out));
    EXPECT_EQ(out.size(), 4800u * 2);
}

TEST(MediaFoundationBackend, ThreadWithoutComIsLeftWithout) {
    TempDir dir;
    const std::string path = make_tone(dir);
    std::thread([&] {
        use_backend(path);
        // Still free to choose its apartment: nothing was left initialised.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        CoUninitialize();
    }).join();
}

TEST(MediaFoundationBackend, ApartmentThreadKeepsItsApartment) {
    TempDir dir;
    const std::string path = make_tone(dir);
    std::thread([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        use_backend(path);
        // Still the caller's apartment, with the caller's one initialisation.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    }).join();
}

} // namespace
