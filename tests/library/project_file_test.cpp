// What a project file holds: sizes, header fields, sample bytes, the audio range.
#include "library/project_format.h"
#include "library/project_writer.h"
#include "library_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tf::test {
namespace {

const std::string kName = "Probe                         ";

class ProjectFile : public ::testing::Test {
  protected:
    // Converts `wave` through the file-level entry and returns the project file.
    Bytes convert(const Bytes &wave, std::string name = kName, std::string code = "0120") {
        write_bytes(dir.file("in.wav"), wave);
        const Result r = create_project_file(dir.file("in.wav").c_str(),
                                             dir.file("out.kpf").c_str(), name.data(), code.data());
        EXPECT_EQ(r, Result::Done);
        return read_bytes(dir.file("out.kpf"));
    }
    Bytes audio_of(const Bytes &project) {
        return Bytes(project.begin() + kAudioOffset, project.end() - kTailBytes);
    }
    TempDir dir;
};

TEST_F(ProjectFile, WorkedSizesAndCounts) {
    struct Row {
        std::size_t frames;
        std::size_t size;
        std::uint16_t count;
    };
    for (const Row row : {Row{0, 1402188, 1}, Row{44100, 1578588, 1}, Row{2646000, 11986188, 60}}) {
        const Bytes project = convert(make_wave(Bytes(row.frames * 4, 0x11)));
        ASSERT_EQ(project.size(), row.size) << row.frames;
        EXPECT_EQ(project[41], row.count & 0xFF);
        EXPECT_EQ(project[42], row.count >> 8);
    }
}

TEST_F(ProjectFile, HeaderLayout) {
    std::string name = "Konzert 2024 - Teil 1         ";
    const Bytes project = convert(make_wave(Bytes(400, 0)), name, "0120");
    EXPECT_EQ(std::string(project.begin(), project.begin() + 7), "KORVANT");
    EXPECT_EQ(std::string(project.begin() + 7, project.begin() + 11), "0120");
    EXPECT_EQ(std::string(project.begin() + 11, project.begin() + 41), name);
    for (std::size_t i = 43; i < kHeaderSize; ++i) {
        ASSERT_EQ(project[i], 0) << "header byte " << i;
    }
}

TEST_F(ProjectFile, CodeFieldIsCopiedUnchanged) {
    const Bytes project = convert(make_wave({}), kName, std::string("\x01\xFFZ\x00", 4));
    EXPECT_EQ(project[7], 0x01);
    EXPECT_EQ(project[8], 0xFF);
    EXPECT_EQ(project[9], 'Z');
    EXPECT_EQ(project[10], 0x00);
}

TEST_F(ProjectFile, LeadInAndTailAreSilence) {
    const Bytes project = convert(make_wave(Bytes(1000, 0xAB)));
    for (std::size_t i = kHeaderSize; i < kAudioOffset; i += 2) {
        ASSERT_EQ(project[i], 0x00);
        ASSERT_EQ(project[i + 1], 0x80);
    }
    for (std::size_t i = project.size() - kTailBytes; i < project.size(); i += 2) {
        ASSERT_EQ(project[i], 0x00);
        ASSERT_EQ(project[i + 1], 0x80);
    }
}

TEST_F(ProjectFile, SampleConversion) {
    const Bytes in = {0x00, 0x00, 0xFF, 0x7F, 0x00, 0x80, 0x01, 0x80, 0xFF, 0xFF, 0x34, 0x12};
    const Bytes expected = {0x00, 0x80, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00, 0xFF, 0x7F, 0x34, 0x92};
    EXPECT_EQ(audio_of(convert(make_wave(in))), expected);
}

TEST_F(ProjectFile, EveryPossibleSampleMatchesTheArithmeticRule) {
    Bytes in;
    for (unsigned u = 0; u < 65536; ++u) {
        put16(in, u);
    }
    const Bytes out = audio_of(convert(make_wave(in)));
    ASSERT_EQ(out.size(), in.size());
    for (unsigned u = 0; u < 65536; ++u) {
        const unsigned expected = (u <= 32768 ? u + 32768 : u - 32768) & 0xFFFF;
        ASSERT_EQ(out[2 * u] | out[2 * u + 1] << 8, expected) << u;
    }
}

TEST_F(ProjectFile, OddLastByteIsDropped) {
    Bytes wave = make_wave(pattern(100));
    const Bytes even = convert(wave);
    // No data chunk size limit here: a zero size means "up to the end".
    wave[40] = wave[41] = wave[42] = wave[43] = 0;
    wave.push_back(0x77);
    EXPECT_EQ(convert(wave), even);
}

TEST_F(ProjectFile, CountBoundaries) {
    struct Case {
        std::uint32_t s;
        unsigned count;
    };
    for (const Case c : {Case{0, 1}, Case{43, 1}, Case{44, 1}, Case{176647, 1}, Case{176648, 2},
                         Case{176648 + 176604, 3}, Case{44 + 255 * 176604, 256},
                         Case{0x7FFFFFFF, (0x7FFFFFFFu - 44) / 176604 + 1},
                         // Sizes of 2 GiB and more keep counting instead of going negative.
                         Case{0x80000000u, (0x80000000u - 44) / 176604 + 1},
                         Case{0xFFFFFFFFu, ((0xFFFFFFFFu - 44) / 176604 + 1) & 0xFFFF}}) {
        Bytes wave = make_wave(Bytes(8, 0));
        wave[4] = static_cast<std::uint8_t>(c.s);
        wave[5] = static_cast<std::uint8_t>(c.s >> 8);
        wave[6] = static_cast<std::uint8_t>(c.s >> 16);
        wave[7] = static_cast<std::uint8_t>(c.s >> 24);
        const Bytes project = convert(wave);
        EXPECT_EQ(project[41], c.count & 0xFF) << "S=" << c.s;
        EXPECT_EQ(project[42], (c.count >> 8) & 0xFF) << "S=" << c.s;
        EXPECT_EQ(project.size(), kFixedBytes + 8) << "the count must not change the audio";
    }
}

TEST_F(ProjectFile, NameRuleInFileAndInCallersBuffer) {
    std::string name(30, ' ');
    const std::string in = "A\t\r\x7F\xFC\xDC\xF6\xD6\xE4\xC4\xDF\x80~ z";
    name.replace(0, in.size(), in);
    const std::string expected_start = "A   \xF5\xF5\xEF\xEF\xE1\xE1  ~ z";
    const std::string expected = expected_start + std::string(30 - expected_start.size(), ' ');
    const Bytes project = convert(make_wave({}), name);
    EXPECT_EQ(std::string(project.begin() + 11, project.begin() + 41), expected);
    // The caller's buffer holds the bytes that went into the file.
    write_bytes(dir.file("in.wav"), make_wave({}));
    std::string code = "0120";
    ASSERT_EQ(create_project_file(dir.file("in.wav").c_str(), dir.file("out.kpf").c_str(),
                                  name.data(), code.data()),
              Result::Done);
    EXPECT_EQ(name, expected);
}

TEST_F(ProjectFile, OnlyThirtyNameBytesAreRead) {
    // Bytes past 30 (here the rest of a longer string) must not reach the file.
    std::string name = kName + "XYZ";
    const Bytes project = convert(make_wave({}), name);
    EXPECT_EQ(std::string(project.begin() + 11, project.begin() + 41), kName);
    EXPECT_EQ(project[41], 1);
}

TEST_F(ProjectFile, ChunksAroundTheAudioAreNotConverted) {
    const Bytes audio = pattern(2000, 7);
    Bytes list;
    put_chunk(list, "LIST",
              Bytes{'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 3, 0, 0, 0, 'a', 'b', 'c'});
    const Bytes plain = convert(make_wave(audio));

    // Trailing LIST chunk after the audio.
    Bytes with_list = convert(make_wave(audio, list));
    EXPECT_EQ(audio_of(with_list), audio_of(plain));

    // bext (odd size, padded) and JUNK before the audio.
    Bytes w;
    put_id(w, "RIFF");
    put32(w, 0);
    put_id(w, "WAVE");
    put_chunk(w, "bext", Bytes(13, 'b'));
    put_chunk(w, "fmt ", fmt_body());
    put_chunk(w, "JUNK", Bytes(28, 0));
    put_chunk(w, "data", audio);
    append(w, list.begin(), list.end());
    EXPECT_EQ(audio_of(convert(w)), audio_of(plain));
}

TEST_F(ProjectFile, ChunkWalkSeeksPastFourGibibytes) {
    // A 4 GiB chunk (odd size, so with its pad byte) before the audio: the walk
    // must seek beyond what a 32-bit `long` holds. The file is sparse, so cheap.
    Bytes head;
    put_id(head, "RIFF");
    put32(head, 0xFFFFFFFF);
    put_id(head, "WAVE");
    put_id(head, "JUNK");
    put32(head, 0xFFFFFFFF);
    const std::string path = dir.file("huge.wav");
    write_bytes(path, head);
    std::error_code ec;
    std::filesystem::resize_file(path, head.size() + 0x100000000ULL, ec);
    if (ec) {
        GTEST_SKIP() << "cannot make a 4 GiB sparse file here: " << ec.message();
    }
    const Bytes audio = pattern(1000, 8);
    Bytes tail;
    put_chunk(tail, "fmt ", fmt_body());
    put_chunk(tail, "data", audio);
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out.write(reinterpret_cast<const char *>(tail.data()),
                  static_cast<std::streamsize>(tail.size()));
    }
    std::string name = kName, code = "0120";
    ASSERT_EQ(
        create_project_file(path.c_str(), dir.file("out.kpf").c_str(), name.data(), code.data()),
        Result::Done);
    const Bytes project = read_bytes(dir.file("out.kpf"));
    std::filesystem::remove(path);
    EXPECT_EQ(audio_of(project), audio_of(convert(make_wave(audio))));
    EXPECT_EQ(project[41] | project[42] << 8, ((0xFFFFFFFFu - 44) / 176604 + 1) & 0xFFFF);
}

// Past 4 GiB a data size cannot be stated: all ones or the true size wrapped
// at 2^32 must not cut the audio, while well-formed chunks behind a true size
// are still skipped. The files are sparse; only their layout is read here.
TEST_F(ProjectFile, AtFourGibibytesTheDataSizeIsOnlyBelievedWhenChunksFollow) {
    constexpr std::uint64_t kTotal = 5ULL << 30;
    const std::string path = dir.file("big.wav");
    auto layout_of = [&](const std::string &file) {
        std::FILE *f = std::fopen(file.c_str(), "rb");
        const auto layout = read_source_layout(f);
        std::fclose(f);
        return layout.value_or(SourceLayout{});
    };
    for (const BigSizes sizes : {BigSizes::Unset, BigSizes::Wrapped}) {
        if (!make_big_wave(path, kTotal, sizes)) {
            GTEST_SKIP() << "cannot make a 5 GiB sparse file here";
        }
        const SourceLayout layout = layout_of(path);
        EXPECT_EQ(layout.audio_length, std::nullopt) << static_cast<int>(sizes);
        EXPECT_EQ(layout.expected, kTotal - 44) << static_cast<int>(sizes);
    }
    // A true size of 1 GiB, then a 3.75 GiB JUNK chunk and a LIST chunk up to the end.
    make_big_wave(path, kTotal, BigSizes::Wrapped);
    Bytes trailer;
    put_id(trailer, "JUNK");
    put32(trailer, 0xF0000000);
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(40);
        f.write("\x00\x00\x00\x40", 4); // data size 0x40000000
        f.seekp(44 + 0x40000000);
        f.write(reinterpret_cast<const char *>(trailer.data()), 8);
        const std::uint64_t list_at = 44 + 0x40000000ULL + 8 + 0xF0000000ULL;
        Bytes list;
        put_id(list, "LIST");
        put32(list, static_cast<std::uint32_t>(kTotal - list_at - 8));
        f.seekp(static_cast<std::streamoff>(list_at));
        f.write(reinterpret_cast<const char *>(list.data()), 8);
    }
    const SourceLayout believed = layout_of(path);
    EXPECT_EQ(believed.audio_length, 0x40000000u);
    EXPECT_EQ(believed.expected, 0x40000000u);
    std::filesystem::remove(path);
}

TEST_F(ProjectFile, DataSizeZeroOrTooLargeRunsToTheEnd) {
    const Bytes audio = pattern(1000, 3);
    const Bytes expected = audio_of(convert(make_wave(audio)));
    Bytes zero = make_wave(audio);
    zero[40] = zero[41] = zero[42] = zero[43] = 0;
    EXPECT_EQ(audio_of(convert(zero)), expected);
    Bytes large = make_wave(audio);
    large[42] = 0x7F;
    EXPECT_EQ(audio_of(convert(large)), expected);
}

TEST_F(ProjectFile, OddDataSizeDropsTheLastByte) {
    Bytes wave = make_wave(pattern(101, 4), Bytes{0x55}); // pad byte after the odd chunk
    EXPECT_EQ(audio_of(convert(wave)).size(), 100u);
}

TEST_F(ProjectFile, WithoutDataChunkEverythingBehind44IsAudio) {
    const Bytes tail = pattern(300, 5);
    // A RIFF/WAVE file whose walk finds no data chunk.
    Bytes riff;
    put_id(riff, "RIFF");
    put32(riff, 0);
    put_id(riff, "WAVE");
    put_chunk(riff, "fmt ", fmt_body());
    put_id(riff, "dat_");
    put32(riff, 300);
    append(riff, tail.begin(), tail.end());
    EXPECT_EQ(convert(riff), reference_project(riff, kName, "0120"));
    // Not RIFF at all: still every byte behind the first 44.
    Bytes raw = pattern(44 + 300, 6);
    const Bytes project = convert(raw);
    EXPECT_EQ(project, reference_project(raw, kName, "0120"));
    EXPECT_EQ(project.size(), kFixedBytes + 300);
}

TEST_F(ProjectFile, ShortSourcesCountMissingBytesAsZero) {
    EXPECT_EQ(convert({}).size(), kFixedBytes);
    const Bytes six = {1, 2, 3, 4, 0x30, 0xB1}; // S = 0xB130 = 45360 -> count 1
    EXPECT_EQ(convert(six)[41], 1);
    const Bytes seven = {0, 0, 0, 0, 0x00, 0x00, 0x20}; // S = 0x200000 -> 12
    const Bytes project = convert(seven);
    EXPECT_EQ(project[41], (0x200000 - 44) / 176604 + 1);
    EXPECT_EQ(project.size(), kFixedBytes);
}

TEST_F(ProjectFile, LargeSourceMatchesTheReference) {
    // Several blocks long and not a multiple of the block size.
    const Bytes wave = make_wave(pattern(3 * 256 * 1024 + 1234, 9), Bytes(12, 'L'));
    EXPECT_EQ(convert(wave), reference_project(wave, kName, "0120"));
}

TEST_F(ProjectFile, OverwritingALargerFileLeavesNoRest) {
    write_bytes(dir.file("out.kpf"), Bytes(3'000'000, 0xEE));
    const Bytes project = convert(make_wave(Bytes(40, 0)));
    EXPECT_EQ(project.size(), kFixedBytes + 40);
}

} // namespace
} // namespace tf::test
