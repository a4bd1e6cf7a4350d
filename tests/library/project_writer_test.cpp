// Result codes and failure handling of the file-level conversion (Linux: uses
// glibc memory streams to inject read, write and close failures).
#include "library/project_format.h"
#include "library/project_writer.h"
#include "library_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tf::test {
namespace {

namespace fs = std::filesystem;

const std::string kName = "Probe                         ";

// A stream over memory that can fail: reads stop with an error after
// `fail_after` bytes, writes after `fail_after` bytes, close can report failure,
// and reads can come in short odd pieces the way pipes and networks deliver them.
struct FaultyStream {
    Bytes data;
    std::size_t pos = 0;
    std::size_t fail_after = SIZE_MAX;
    std::size_t piece = SIZE_MAX;
    int close_result = 0;

    static ssize_t read(void *c, char *buf, size_t size) {
        auto &s = *static_cast<FaultyStream *>(c);
        if (s.pos >= s.fail_after) {
            errno = EIO;
            return -1;
        }
        const std::size_t n = std::min(
            {size, s.piece, s.data.size() - std::min(s.pos, s.data.size()), s.fail_after - s.pos});
        std::memcpy(buf, s.data.data() + s.pos, n);
        s.pos += n;
        return static_cast<ssize_t>(n);
    }
    static ssize_t write(void *c, const char *buf, size_t size) {
        auto &s = *static_cast<FaultyStream *>(c);
        if (s.data.size() + size > s.fail_after) {
            errno = ENOSPC;
            return -1;
        }
        s.data.insert(s.data.end(), buf, buf + size);
        return static_cast<ssize_t>(size);
    }
    static int seek(void *c, off64_t *offset, int whence) {
        auto &s = *static_cast<FaultyStream *>(c);
        const off64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s.pos : s.data.size();
        s.pos = static_cast<std::size_t>(base + *offset);
        *offset = static_cast<off64_t>(s.pos);
        return 0;
    }
    static int close(void *c) { return static_cast<FaultyStream *>(c)->close_result; }

    std::FILE *open(const char *mode) {
        return fopencookie(this, mode, cookie_io_functions_t{read, write, seek, close});
    }
};

class ProjectWriter : public ::testing::Test {
  protected:
    Result convert_paths(const std::string &source, const std::string &target) {
        std::string name = kName;
        std::string code = "0120";
        return create_project_file(source.c_str(), target.c_str(), name.data(), code.data());
    }
    // Runs the stream writer on `src` into `dst`; the caller closes both.
    Result write_streams(std::FILE *src, std::FILE *dst) {
        const auto layout = read_source_layout(src);
        if (!layout) {
            return Result::SourceNotOpened;
        }
        Bytes buffer(64 * 1024);
        return write_project(src, *layout, dst, kName.data(), "0120", buffer, {});
    }
    TempDir dir;
    const std::string wave = dir.file("in.wav");
    const std::string target = dir.file("out.kpf");
    const Bytes source_bytes = make_wave(pattern(100'000, 2));
    void SetUp() override { write_bytes(wave, source_bytes); }
};

TEST_F(ProjectWriter, SourceMissingOrUnreadable) {
    EXPECT_EQ(convert_paths(dir.file("missing.wav"), target), Result::SourceNotOpened);
    EXPECT_FALSE(fs::exists(target));
    fs::create_directory(dir.file("folder.wav"));
    EXPECT_EQ(convert_paths(dir.file("folder.wav"), target), Result::SourceNotOpened);
    EXPECT_FALSE(fs::exists(target));
}

// A pipe would lose its first bytes to the header read and give a wrong count;
// a FIFO without a writer would block the caller for ever.
TEST_F(ProjectWriter, SourceThatIsNoFileIsRefusedUnreadAndWithoutBlocking) {
    const std::string fifo = dir.file("fifo.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(convert_paths(fifo, target), Result::SourceNotOpened);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], source_bytes.data(), 4096), 4096);
    EXPECT_EQ(convert_paths("/proc/self/fd/" + std::to_string(fds[0]), target),
              Result::SourceNotOpened);
    char buf[8192];
    EXPECT_EQ(read(fds[0], buf, sizeof buf), 4096) << "nothing was read from the pipe";
    close(fds[0]);
    close(fds[1]);
    EXPECT_EQ(convert_paths("/dev/zero", target), Result::SourceNotOpened);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ProjectWriter, TargetCannotBeCreated) {
    EXPECT_EQ(convert_paths(wave, dir.file("no/such/folder/out.kpf")), Result::TargetNotCreated);
    fs::create_directory(dir.file("folder.kpf"));
    EXPECT_EQ(convert_paths(wave, dir.file("folder.kpf")), Result::TargetNotCreated);
    EXPECT_TRUE(fs::is_directory(dir.file("folder.kpf")));
    // The source is closed again: it can be removed right away.
    EXPECT_TRUE(fs::remove(wave));
}

TEST_F(ProjectWriter, NullPointersAreRefused) {
    std::string name = kName;
    std::string code = "0120";
    EXPECT_EQ(create_project_file(nullptr, target.c_str(), name.data(), code.data()),
              Result::SourceNotOpened);
    EXPECT_EQ(create_project_file(wave.c_str(), nullptr, name.data(), code.data()),
              Result::TargetNotCreated);
    EXPECT_EQ(create_project_file(wave.c_str(), target.c_str(), nullptr, code.data()),
              Result::TargetNotCreated);
    EXPECT_EQ(create_project_file(wave.c_str(), target.c_str(), name.data(), nullptr),
              Result::TargetNotCreated);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ProjectWriter, TargetNamingTheSourceIsRefusedAndTheWaveSurvives) {
    fs::create_directory(dir.file("sub"));
    fs::create_hard_link(wave, dir.file("hard.kpf"));
    fs::create_symlink(wave, dir.file("soft.kpf"));
    for (const std::string &same : {wave, dir.file("./in.wav"), dir.file("sub/../in.wav"),
                                    dir.file("hard.kpf"), dir.file("soft.kpf")}) {
        EXPECT_EQ(convert_paths(wave, same), Result::TargetNotCreated) << same;
        ASSERT_EQ(read_bytes(wave), source_bytes) << same;
    }
    // A copy is another file and is overwritten as usual.
    fs::copy_file(wave, dir.file("copy.kpf"));
    EXPECT_EQ(convert_paths(wave, dir.file("copy.kpf")), Result::Done);
}

TEST_F(ProjectWriter, PiecewiseReadsGiveTheSameBytes) {
    FaultyStream in{source_bytes};
    in.piece = 7; // the stream delivers odd pieces, as pipes and networks do
    FaultyStream out;
    std::FILE *src = in.open("r");
    std::FILE *dst = out.open("w");
    std::setvbuf(src, nullptr, _IONBF, 0);
    EXPECT_EQ(write_streams(src, dst), Result::Done);
    std::fclose(src);
    std::fclose(dst);
    EXPECT_EQ(out.data, reference_project(source_bytes, kName, "0120"));
}

TEST_F(ProjectWriter, ReadErrorMidwayFailsAndRemovesTheTarget) {
    FaultyStream in{source_bytes};
    in.fail_after = 50'000;
    std::FILE *src = in.open("r");
    std::FILE *dst = std::fopen(target.c_str(), "wb");
    const Result written = write_streams(src, dst);
    EXPECT_EQ(written, Result::IoError);
    EXPECT_EQ(finish_files(src, dst, written, target.c_str(), true), Result::IoError);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ProjectWriter, WriteErrorFailsWhereverItHappens) {
    // In the header, the lead-in, the audio and the tail.
    for (std::size_t limit :
         {std::size_t{100}, std::size_t{300'000}, std::size_t{kAudioOffset + 50'000},
          std::size_t{kAudioOffset + 200'000}}) {
        FaultyStream in{source_bytes};
        FaultyStream out;
        out.fail_after = limit;
        std::FILE *src = in.open("r");
        std::FILE *dst = out.open("w");
        std::setvbuf(dst, nullptr, _IONBF, 0);
        EXPECT_EQ(write_streams(src, dst), Result::IoError) << limit;
        std::fclose(src);
        std::fclose(dst);
    }
}

TEST_F(ProjectWriter, FailingSourceCloseKeepsTheCompleteFile) {
    FaultyStream in{source_bytes};
    in.close_result = -1;
    std::FILE *src = in.open("r");
    std::FILE *dst = std::fopen(target.c_str(), "wb");
    const Result written = write_streams(src, dst);
    ASSERT_EQ(written, Result::Done);
    EXPECT_EQ(finish_files(src, dst, written, target.c_str(), true), Result::SourceCloseFailed);
    EXPECT_EQ(read_bytes(target), reference_project(source_bytes, kName, "0120"));
}

TEST_F(ProjectWriter, ThrowingProgressCallbackDoesNotEscape) {
    std::string name = kName;
    std::string code = "0120";
    const Result r = create_project_file(
        wave.c_str(), target.c_str(), name.data(), code.data(),
        [](std::uint64_t, std::uint64_t) { throw std::runtime_error("cancel"); });
    EXPECT_EQ(r, Result::IoError);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ProjectWriter, ProgressReachesTheAudioSize) {
    std::string name = kName;
    std::string code = "0120";
    std::uint64_t last = 0;
    int calls = 0;
    const Result r = create_project_file(wave.c_str(), target.c_str(), name.data(), code.data(),
                                         [&](std::uint64_t done, std::uint64_t expected) {
                                             EXPECT_EQ(expected, 100'000u);
                                             EXPECT_GE(done, last);
                                             last = done;
                                             ++calls;
                                         });
    EXPECT_EQ(r, Result::Done);
    EXPECT_EQ(last, 100'000u);
    EXPECT_GE(calls, 1);
}

TEST_F(ProjectWriter, BrokenPipeTargetIsNotRemoved) {
    // A FIFO is not a file this call created: after a failure it must stay.
    const std::string fifo = dir.file("pipe.kpf");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto old = std::signal(SIGPIPE, SIG_IGN);
    std::thread reader([&] {
        std::FILE *f = std::fopen(fifo.c_str(), "rb");
        char buf[1000];
        (void)std::fread(buf, 1, sizeof buf, f);
        std::fclose(f);
    });
    const Result r = convert_paths(wave, fifo);
    reader.join();
    std::signal(SIGPIPE, old);
    EXPECT_EQ(r, Result::IoError);
    struct stat st {};
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A real full disk: a small tmpfs.
class FullDisk : public ProjectWriter {
  protected:
    void SetUp() override {
        ProjectWriter::SetUp();
        if (!small.mounted()) {
            GTEST_SKIP() << "cannot mount a tmpfs here (" << small.error()
                         << "); the full-disk case is not tested";
        }
    }
    const std::string mount_point = dir.file("small");
    TmpfsMount small{mount_point, "1m"};
};

TEST_F(FullDisk, FailsAndRemovesTheIncompleteFile) {
    const std::string on_full = mount_point + "/out.kpf";
    EXPECT_EQ(convert_paths(wave, on_full), Result::IoError);
    EXPECT_FALSE(fs::exists(on_full));
    EXPECT_EQ(read_bytes(wave), source_bytes);
    // The space is free again: a small file fits afterwards.
    write_bytes(mount_point + "/small.bin", Bytes(500'000, 1));
    EXPECT_EQ(fs::file_size(mount_point + "/small.bin"), 500'000u);
}

// The file that filled the disk is the one to remove; the link is the user's.
TEST_F(FullDisk, ThroughARelativeLinkTheFileIsRemovedAndTheLinkStays) {
    const std::string link = dir.file("link.kpf");
    fs::create_symlink("small/real.kpf", link);
    std::string name = kName, code = "0120";
    ConversionReport report;
    EXPECT_EQ(
        create_project_file(wave.c_str(), link.c_str(), name.data(), code.data(), {}, &report),
        Result::IoError);
    EXPECT_EQ(report.written_path, dir.file("small/real.kpf"));
    EXPECT_TRUE(report.removed);
    EXPECT_FALSE(fs::exists(dir.file("small/real.kpf")));
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "small/real.kpf");
}

} // namespace
} // namespace tf::test
