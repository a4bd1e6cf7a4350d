// trackforge-convert as a user runs it: output, exit status and files written.
#include "library/project_format.h"
#include "library_test_support.h"
#include "wave_verdicts.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>

namespace tf::test {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string output; // stdout and stderr together
};

const std::string kExe = TF_CONVERT_EXE;

// Runs a shell command line; its standard error is caught too unless it is
// sent elsewhere.
CliRun run_shell(const std::string &command_line) {
    const std::string command = "{ " + command_line + "; } 2>&1";
    std::FILE *p = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), p)) > 0;) {
        out.append(buf.data(), n);
    }
    const int raw = pclose(p);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

CliRun run(const std::string &args) {
    return run_shell(kExe + " " + args);
}

bool has(const CliRun &r, const std::string &text) {
    return r.output.find(text) != std::string::npos;
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

// The rule is the library's; the converter applies it to what is given, an
// empty name too.
TEST_F(Cli, NameIsPreparedLikeTheDesktopProgram) {
    ASSERT_EQ(convert_named("Grüße").status, 0);
    EXPECT_EQ(name_in(target), "Gr  e" + std::string(25, ' '));
    ASSERT_EQ(convert_named("").status, 0);
    EXPECT_EQ(name_in(target), std::string(30, ' '));
}

TEST_F(Cli, DefaultNameIsTheWaveFileName) {
    ASSERT_EQ(run("convert " + wave + " " + target).status, 0);
    EXPECT_EQ(name_in(target), "in" + std::string(28, ' '));
}

TEST_F(Cli, RefusesWhatTheHeaderCheckRefuses) {
    for (const WaveVerdict &v : WaveVerdicts()) {
        write_bytes(wave, WaveOf(v, Bytes(100, 0)));
        fs::remove(target);
        const CliRun r = run("convert " + wave + " " + target);
        EXPECT_EQ(r.status, v.converter_status) << v.what << ": " << r.output;
        EXPECT_EQ(fs::exists(target), v.converter_status == 0) << v.what;
        if (v.english) {
            EXPECT_TRUE(has(r, v.english)) << v.what << ": " << r.output;
        }
    }
}

TEST_F(Cli, EachFailureHasItsOwnStatus) {
    EXPECT_EQ(run("convert " + dir.file("missing.wav") + " " + target).status, 3);
    const CliRun no_folder = run("convert " + wave + " " + dir.file("nope/out.kpf"));
    EXPECT_EQ(no_folder.status, 4);
    EXPECT_NE(no_folder.output.find("could not be created"), std::string::npos);
    EXPECT_EQ(run("convert " + wave + " " + wave).status, 4);
    const CliRun short_code = run("convert " + wave + " " + target + " --code 12");
    EXPECT_EQ(short_code.status, 2);
    EXPECT_TRUE(has(short_code, "exactly 4 bytes")) << short_code.output;
    // A short option is never taken for a file name.
    const CliRun short_option = run("convert -n X " + wave + " " + target);
    EXPECT_EQ(short_option.status, 2);
    EXPECT_TRUE(has(short_option, "unknown option -n")) << short_option.output;
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(run("convert " + wave).status, 2);
    EXPECT_EQ(run("frobnicate").status, 2);
}

TEST_F(Cli, BatchIntoAFolder) {
    write_bytes(dir.file("b.wav"), make_wave(Bytes(8, 0)));
    // Failing with 11, 3 and 12 in that order: the first decides, not the
    // last, the lowest or the highest.
    for (const auto &[name, fmt] : {std::pair{"mono.wav", fmt_body(1, 1, 44100, 16)},
                                    std::pair{"fast.wav", fmt_body(1, 2, 48000, 16)}}) {
        Bytes w = make_wave(Bytes(8, 0));
        std::copy(fmt.begin(), fmt.end(), w.begin() + 20);
        write_bytes(dir.file(name), w);
    }
    fs::create_directory(dir.file("out"));
    const CliRun r =
        run("convert " + wave + " " + dir.file("b.wav") + " " + dir.file("mono.wav") + " " +
            dir.file("missing.wav") + " " + dir.file("fast.wav") + " " + dir.file("out"));
    EXPECT_EQ(r.status, 11) << "the first failure decides: " << r.output;
    EXPECT_TRUE(has(r, "Only waves with 44.1 kHz")) << "the batch goes on: " << r.output;
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

TEST_F(Cli, InputThatIsNoFileIsRefusedBeforeItIsRead) {
    const CliRun piped = run_shell("cat " + wave + " | " + kExe + " convert /dev/stdin " + target);
    EXPECT_EQ(piped.status, 3);
    EXPECT_TRUE(has(piped, "/dev/stdin: cannot be opened: is a pipe, not a file")) << piped.output;
    const std::string fifo = dir.file("fifo.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const CliRun named = run_shell("timeout 20 " + kExe + " convert " + fifo + " " + target);
    EXPECT_EQ(named.status, 3) << "124 means it blocked: " << named.output;
    EXPECT_TRUE(has(named, "is a pipe, not a file")) << named.output;
    const CliRun folder = run("convert " + dir.path().string() + " " + target);
    EXPECT_EQ(folder.status, 3);
    EXPECT_TRUE(has(folder, "is a folder, not a wave file")) << folder.output;
    const CliRun info = run("info " + dir.path().string());
    EXPECT_EQ(info.status, 3);
    EXPECT_TRUE(has(info, "is a folder, not a project file")) << info.output;
    EXPECT_FALSE(fs::exists(target));
}

// `convert *.wav` with two matches makes the second wave file the target.
TEST_F(Cli, AnExistingWaveFileIsNeverOverwritten) {
    const std::string second = dir.file("Song.wav");
    const Bytes bytes = make_wave(pattern(400, 9));
    write_bytes(second, bytes);
    const CliRun r = run("convert " + wave + " " + second);
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(has(r, second + " is a wave file")) << r.output;
    EXPECT_EQ(read_bytes(second), bytes);
}

TEST_F(Cli, StatusStaysOutOfTheDataWrittenToStandardOutput) {
    const Bytes expected =
        reference_project(make_wave(pattern(4000, 1)), "in" + std::string(28, ' '), "0120");
    for (const std::string &into : {" > " + target, " | cat > " + target}) {
        const CliRun r = run_shell(kExe + " convert " + wave + " /dev/stdout" + into);
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_TRUE(has(r, "wrote ")) << "said on standard error: " << r.output;
        EXPECT_EQ(read_bytes(target), expected) << into;
    }
}

TEST_F(Cli, ControlCharactersInNamesAreShownEscaped) {
    // A title-setting escape sequence in a file name.
    const std::string odd = dir.file("x\x1B]0;owned\x07.wav");
    write_bytes(odd, make_wave(Bytes(8, 0)));
    const CliRun c = run("convert " + quoted(odd) + " " + dir.file("none/out.kpf"));
    EXPECT_EQ(c.status, 4);
    EXPECT_TRUE(has(c, dir.file("x\\x1B]0;owned\\x07.wav"))) << c.output;
    const CliRun r = run("convert " + quoted("-\x1B") + " " + wave + " " + target);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r, "unknown option -\\x1B")) << r.output;
    for (const CliRun &run : {c, r}) {
        EXPECT_EQ(run.output.find('\x1B'), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find('\x07'), std::string::npos) << run.output;
    }
}

// A failed write through a link: the message says what the library removed
// and what it left (a real 1 MB tmpfs that fills).
TEST_F(Cli, FailedWriteThroughALinkSaysWhatItRemoved) {
    TmpfsMount small(dir.file("small"), "1m");
    if (!small.mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << small.error();
    }
    const std::string link = dir.file("link.kpf");
    fs::create_symlink(dir.file("small/real.kpf"), link);
    const CliRun r = run("convert " + wave + " " + link);
    EXPECT_EQ(r.status, 6);
    EXPECT_TRUE(has(r, "the incomplete project file " + dir.file("small/real.kpf") +
                           ", where the link " + link +
                           " leads, was removed; the link itself was left"))
        << r.output;
}

// Recorders leave all ones, or the true size wrapped at 2^32, in the sizes of
// a wave past 4 GiB. Every byte is converted, in memory that does not grow.
// The project file goes to a pipe whose end is checked, and once to /dev/null:
// 10 GB written to a disk would take a minute and prove nothing more.
TEST_F(Cli, FiveGibibyteWavesAreConvertedWholeInFlatMemory) {
    constexpr std::uint64_t kTotal = 5ULL << 30;
    constexpr std::uint64_t kAudio = kTotal - 44;
    const std::string big = dir.file("big.wav");
    const std::string last = dir.file("last.bin");
    const std::string peak = dir.file("peak.txt");
    const std::string to_pipe =
        " /dev/stdout | tail -c " + std::to_string(kTailBytes + 4) + " | head -c 4 > " + last;
    for (const BigSizes sizes : {BigSizes::Unset, BigSizes::Wrapped}) {
        if (!make_big_wave(big, kTotal, sizes)) {
            GTEST_SKIP() << "cannot make a 5 GiB sparse file here";
        }
        const bool piped = sizes == BigSizes::Unset;
        // GNU time measures the converter alone. A child of this process
        // would not do: Linux keeps in a child's peak the memory it had as a
        // copy of its parent before the exec, and this test program is large.
        const CliRun r = run_shell("/usr/bin/time -f %M -o " + peak + " " + kExe + " convert " +
                                   big + (piped ? to_pipe : " /dev/null"));
        fs::remove(big);
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_TRUE(has(r, ": " + std::to_string(kFixedBytes + kAudio) + " bytes")) << r.output;
        EXPECT_TRUE(has(r, "audio " + std::to_string(kAudio) + " bytes")) << r.output;
        const Bytes kb = read_bytes(peak);
        EXPECT_LT(std::stol(std::string(kb.begin(), kb.end())), 16 * 1024)
            << "peak resident memory of the converter, kB";
        if (piped) {
            EXPECT_EQ(read_bytes(last), (Bytes{0x01, 0x82, 0x03, 0x84})) << "the last samples";
        }
    }
}

Bytes wave_at(std::uint32_t rate, std::uint16_t channels, const Bytes &audio) {
    Bytes w;
    put_id(w, "RIFF");
    put32(w, static_cast<std::uint32_t>(36 + audio.size()));
    put_id(w, "WAVE");
    put_chunk(w, "fmt ", fmt_body(1, channels, rate, 16));
    put_chunk(w, "data", audio);
    return w;
}

TEST_F(Cli, PrepareWritesADeviceReadyWaveAndTellsEachRefusal) {
    const std::string in48 = dir.file("in48.wav"), three = dir.file("three.wav");
    const std::string text = dir.file("notes.txt"), out = dir.file("ready.wav");
    write_bytes(in48, wave_at(48000, 2, pattern(4 * 4800, 3)));
    write_bytes(three, wave_at(44100, 3, pattern(6 * 100, 4)));
    write_bytes(text, Bytes{'h', 'i', '\n'});
    const Bytes whole = wave_at(48000, 2, pattern(4 * 48000 * 3, 6));
    write_bytes(dir.file("cut.wav"), Bytes(whole.begin(), whole.begin() + 44 + 4 * 48000));
    write_bytes(dir.file("1hz.wav"), wave_at(1, 2, pattern(4 * 100, 7)));
    const CliRun r = run("prepare " + in48 + " " + out);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r, "wrote " + out + ": 4410 sample frames")) << r.output;
    EXPECT_TRUE(has(r, "dithered, ")) << r.output;
    EXPECT_TRUE(has(r, " samples clipped")) << "full-scale noise overshoots: " << r.output;
    const Bytes prepared = read_bytes(out);
    EXPECT_EQ(prepared, make_wave(Bytes(prepared.begin() + 44, prepared.end())));
    struct Case {
        std::string args;
        int status;
    };
    for (const Case &c :
         {Case{"prepare " + in48 + " " + out, 22}, Case{"prepare " + text + " x.wav", 20},
          Case{"prepare " + three + " x.wav", 21}, Case{"prepare " + in48 + " " + in48, 23},
          Case{"prepare " + dir.file("missing.wav") + " x.wav", 3}, Case{"prepare " + in48, 2},
          Case{"prepare " + dir.file("1hz.wav") + " x.wav", 28},
          Case{"convert " + in48 + " x.kpf --headroom", 2}}) {
        EXPECT_EQ(run(c.args).status, c.status) << c.args;
    }
    EXPECT_EQ(read_bytes(out), prepared) << "never replaced";
    const CliRun cut = run("prepare " + dir.file("cut.wav") + " " + dir.file("x.wav"));
    EXPECT_EQ(cut.status, 27);
    EXPECT_TRUE(has(cut, "the file ends after 0:01 of the 0:03 its header gives; it seems damaged"))
        << cut.output;
    EXPECT_FALSE(fs::exists(dir.file("x.wav")));
    const CliRun lowered = run("prepare " + in48 + " " + dir.file("lowered.wav") + " --headroom");
    EXPECT_EQ(lowered.status, 0) << lowered.output;
    EXPECT_TRUE(has(lowered, " 0 samples clipped, level lowered by ")) << lowered.output;
}

// The wave made on the way is the one `prepare` writes, and it is gone
// afterwards, whether the conversion succeeds or not.
TEST_F(Cli, ConvertWithPrepareLeavesNoWaveBehind) {
    const std::string in48 = dir.file("in48.wav"), three = dir.file("three.wav");
    write_bytes(in48, wave_at(48000, 2, pattern(4 * 4800, 3)));
    write_bytes(three, wave_at(44100, 3, pattern(6 * 100, 4)));
    const CliRun refused = run("convert " + in48 + " " + target);
    EXPECT_EQ(refused.status, 12) << "refused as before";
    EXPECT_TRUE(has(refused, "--prepare converts it")) << refused.output;
    const CliRun r = run("convert " + in48 + " " + target + " --prepare");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r, "prepared " + in48 + ": ")) << r.output;
    ASSERT_EQ(run("prepare " + in48 + " " + dir.file("p.wav")).status, 0);
    EXPECT_EQ(read_bytes(target), reference_project(read_bytes(dir.file("p.wav")),
                                                    "in48" + std::string(26, ' '), "0120"));
    EXPECT_EQ(run("convert " + three + " " + dir.file("t.kpf") + " --prepare").status, 21);
    EXPECT_EQ(run("convert " + in48 + " " + dir.file("no/t.kpf") + " --prepare").status, 4);
    EXPECT_EQ(run("convert " + three + " " + three + " --prepare").status, 4);
    // Files under every name the temporary wave could take are someone's own.
    std::set<std::string> expected{"in.wav", "in48.wav", "three.wav", "out.kpf", "p.wav"};
    for (int n = 0; n < 100; ++n) {
        const std::string name = "u.kpf.prepare" + (n ? std::to_string(n) : "") + ".wav";
        write_bytes(dir.file(name), pattern(8, 5));
        expected.insert(name);
    }
    EXPECT_EQ(run("convert " + in48 + " " + dir.file("u.kpf") + " --prepare").status, 4);
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir.path())) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, expected);
}

TEST_F(Cli, HelpExplainsTheCommands) {
    const CliRun r = run("--help");
    EXPECT_EQ(r.status, 0);
    for (const char *expected :
         {"convert IN.wav OUT.kpf", "info FILE.kpf", "--name", "--code", "Exit status",
          "prepare IN OUT.wav", "--prepare", "--headroom", "27 the audio file is damaged"}) {
        EXPECT_NE(r.output.find(expected), std::string::npos) << expected;
    }
}

} // namespace
} // namespace tf::test
