// trackforge-convert as a user runs it: output, exit status and files written.
#include "library_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace tf::test {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string output; // stdout and stderr together
};

CliRun run(const std::string &args) {
    const std::string command = std::string(TF_CONVERT_EXE) + " " + args + " 2>&1";
    std::FILE *p = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), p)) > 0;) {
        out.append(buf.data(), n);
    }
    const int raw = pclose(p);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

std::string quoted(const std::string &s) {
    return "'" + s + "'";
}

class Cli : public ::testing::Test {
  protected:
    std::string name_in(const std::string &kpf) {
        const Bytes b = read_bytes(kpf);
        return std::string(b.begin() + 11, b.begin() + 41);
    }
    CliRun convert_named(const std::string &name) {
        return run("convert " + wave + " " + target + " --name " + quoted(name));
    }
    TempDir dir;
    const std::string wave = dir.file("in.wav");
    const std::string target = dir.file("out.kpf");
    void SetUp() override { write_bytes(wave, make_wave(pattern(4000, 1))); }
};

TEST_F(Cli, ConvertWritesTheProjectFileAndSaysSo) {
    const CliRun r = run("convert " + wave + " " + target + " --name Demo --code 0999");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("wrote " + target), std::string::npos) << r.output;
    const std::string name = "Demo" + std::string(26, ' ');
    EXPECT_EQ(read_bytes(target), reference_project(make_wave(pattern(4000, 1)), name, "0999"));
}

TEST_F(Cli, NameIsPreparedLikeTheDesktopProgram) {
    struct Case {
        std::string typed, expected;
    };
    for (const Case &c :
         {Case{"Show 2003!", "Show 2003"}, Case{"Grüße", "Gr  e"}, Case{"a~b\"c}d", "a b\"c}d"},
          Case{std::string(35, 'x'), std::string(30, 'x')}, Case{"", ""}}) {
        const CliRun r = convert_named(c.typed);
        ASSERT_EQ(r.status, 0) << r.output;
        EXPECT_EQ(name_in(target), c.expected + std::string(30 - c.expected.size(), ' '))
            << c.typed;
    }
}

TEST_F(Cli, DefaultNameIsTheWaveFileName) {
    ASSERT_EQ(run("convert " + wave + " " + target).status, 0);
    EXPECT_EQ(name_in(target), "in" + std::string(28, ' '));
}

TEST_F(Cli, RefusesWhatTheHeaderCheckRefuses) {
    struct Case {
        Bytes fmt;
        int status;
        std::string message;
    };
    for (const Case &c :
         {Case{fmt_body(3, 2, 44100, 32), 10, "Invalid wave format"},
          Case{fmt_body(1, 1, 22050, 16), 11, "Mono waves cannot be used."},
          Case{fmt_body(1, 2, 48000, 16), 12, "Only waves with 44.1 kHz can be used."},
          Case{fmt_body(1, 2, 44100, 8), 13, "Only waves with 16 Bit can be used."}}) {
        Bytes w = make_wave(Bytes(100, 0));
        std::copy(c.fmt.begin(), c.fmt.end(), w.begin() + 20);
        write_bytes(wave, w);
        const CliRun r = run("convert " + wave + " " + target);
        EXPECT_EQ(r.status, c.status) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        EXPECT_FALSE(fs::exists(target));
    }
}

TEST_F(Cli, EachFailureHasItsOwnStatus) {
    EXPECT_EQ(run("convert " + dir.file("missing.wav") + " " + target).status, 3);
    const CliRun no_folder = run("convert " + wave + " " + dir.file("nope/out.kpf"));
    EXPECT_EQ(no_folder.status, 4);
    EXPECT_NE(no_folder.output.find("could not be created"), std::string::npos);
    EXPECT_EQ(run("convert " + wave + " " + wave).status, 4);
    EXPECT_EQ(run("convert " + wave + " " + target + " --code 12").status, 2);
    EXPECT_EQ(run("convert " + wave).status, 2);
    EXPECT_EQ(run("frobnicate").status, 2);
}

TEST_F(Cli, BatchIntoAFolder) {
    write_bytes(dir.file("b.wav"), make_wave(Bytes(8, 0)));
    fs::create_directory(dir.file("out"));
    const CliRun r = run("convert " + wave + " " + dir.file("b.wav") + " " +
                         dir.file("missing.wav") + " " + dir.file("out"));
    EXPECT_EQ(r.status, 3) << "the first failure decides: " << r.output;
    EXPECT_EQ(fs::file_size(dir.file("out/in.kpf")), 1402188u + 4000u);
    EXPECT_EQ(fs::file_size(dir.file("out/b.kpf")), 1402188u + 8u);
    EXPECT_EQ(name_in(dir.file("out/b.kpf")), "b" + std::string(29, ' '));
    EXPECT_EQ(run("convert " + wave + " " + dir.file("b.wav") + " " + target).status, 2)
        << "several inputs need a folder";
}

// Two waves of the same name from different folders would both become
// out/<name>.kpf, the second silently replacing the first.
TEST_F(Cli, BatchRefusesTwoInputsThatWouldWriteTheSameProjectFile) {
    fs::create_directory(dir.file("a"));
    fs::create_directory(dir.file("b"));
    fs::create_directory(dir.file("out"));
    write_bytes(dir.file("a/song.wav"), make_wave(Bytes(8, 0)));
    write_bytes(dir.file("b/SONG.wav"), make_wave(Bytes(16, 0)));
    const CliRun r = run("convert " + wave + " " + dir.file("a/song.wav") + " " +
                         dir.file("b/SONG.wav") + " " + dir.file("out"));
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("SONG.kpf"), std::string::npos) << r.output;
    EXPECT_TRUE(fs::is_empty(dir.file("out"))) << "refused before anything is written";
}

TEST_F(Cli, InfoReadsAProjectFileBack) {
    ASSERT_EQ(run("convert " + wave + " " + target + " --name Demo").status, 0);
    const CliRun ok = run("info " + target);
    EXPECT_EQ(ok.status, 0) << ok.output;
    for (const char *expected :
         {"KORVANT", "0120", "\"Demo        ", "Length count:  1", "4000 bytes", "holds"}) {
        EXPECT_NE(ok.output.find(expected), std::string::npos) << expected << "\n" << ok.output;
    }
    // One byte of the tail changed.
    Bytes b = read_bytes(target);
    b[b.size() - 3] = 0x7F;
    write_bytes(target, b);
    const CliRun broken = run("info " + target);
    EXPECT_EQ(broken.status, 7);
    EXPECT_NE(broken.output.find("tail is not silence"), std::string::npos) << broken.output;
    b.pop_back();
    write_bytes(target, b);
    EXPECT_NE(run("info " + target).output.find("size is not"), std::string::npos);
    EXPECT_EQ(run("info " + dir.file("missing.kpf")).status, 3);
}

TEST_F(Cli, HelpExplainsTheCommands) {
    const CliRun r = run("--help");
    EXPECT_EQ(r.status, 0);
    for (const char *expected :
         {"convert IN.wav OUT.kpf", "info FILE.kpf", "--name", "--code", "Exit status"}) {
        EXPECT_NE(r.output.find(expected), std::string::npos) << expected;
    }
}

} // namespace
} // namespace tf::test
