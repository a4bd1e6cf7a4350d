#pragma once
// What the strict rules about files are run on: the card write of the main
// window and the installer's complete copy, both over the real Win32 file
// system on the Wine test drives (r: a 100 MiB card, s: a fixed disk).

#include "platform/complete_copy.h"
#include "support/main_window_fixture.h"

#include "win32_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tf::testing {

// Bytes whose every position differs from its neighbours, so a block read
// twice or skipped cannot compare equal.
inline std::string Pattern(std::size_t n, unsigned seed = 1) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 131 + seed * 7 + (i >> 12)) & 0xff);
    return bytes;
}

// The main window in German over a given file system, its other services
// doubled; every wait passes at once.
struct WindowOver : FileSystemFirst<fake::FakeFileSystem>, WindowDoubles {
    explicit WindowOver(FileSystem &real) : WindowDoubles(fs), w{Over(real)} {
        w.Deutsch.set_value(true);
    }
    Projekt w;
};

class StrictFilesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { Win32Harness::SetUpDrives(); }
    static void TearDownTestSuite() { Win32Harness::TearDownDrives(); }
    void SetUp() override {
        if (const std::string why = h.Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        Clean();
        fs.CreateFolder("s:\\strict");
    }
    void TearDown() override {
        if (h.Unavailable().empty())
            Clean();
    }
    // On the host, past every rule. Its removal may outlast the harness's wait
    // for it on a busy machine, and must not strike after the test began.
    void Clean() {
        const char *const paths[] = {"s:\\strict", "r:\\show.kpf", "r:\\~Trackforge-Kopie.tmp"};
        // A removal started for nothing could still be on its way when the
        // next case has made its files.
        for (const char *path : paths)
            if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
                h.RemoveOnHost(path);
        for (int waited = 0; waited < 60000; waited += 20) {
            bool gone = true;
            for (const char *path : paths)
                gone = gone && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
            if (gone)
                return;
            Sleep(20);
        }
    }
    // Raw bytes, past the file system under test; UTF-8 paths.
    static void Write(const std::string &path, const std::string &bytes) {
        std::ofstream(std::filesystem::u8path(path), std::ios::binary) << bytes;
    }
    static std::string Read(const std::string &path) {
        std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The card write as the user starts it, from s:\strict\show.kpf onto the
    // card r:; gives the status it ends with. Waits pass at once.
    std::string WriteCard(const std::string &bytes) {
        Write("s:\\strict\\show.kpf", bytes);
        WindowOver window(fs);
        Projekt &w = window.w;
        w.CF_Laufwerk = "r:";
        w.Ziel_Projekt_txt_2.set_text("s:\\strict\\show.kpf");
        w.Karte_schreiben_Click();
        messages.clear();
        for (const auto &call : window.msg.calls)
            messages += call.text + "\n";
        return w.Status2_txt.text();
    }
    std::string messages; // the boxes the last card write showed

    Win32Harness h;
    FileSystem &fs = h.fs();
};

} // namespace tf::testing
