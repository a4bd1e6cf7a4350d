// The preview player's command strings and the three preview buttons.

#include "platform/fake/fake_file_system.h"
#include "support/main_window_fixture.h"

#include <string>
#include <utility>
#include <vector>

namespace tf::testing {
namespace {

using Commands = std::vector<std::string>;

class MmediaTest : public ::testing::Test {
  protected:
    MmediaTest() { clock.SetTime(14, 7, 30); }
    fake::RecordingMci mci;
    fake::FakeClock clock;
    Mmedia player{mci, clock};
};

TEST_F(MmediaTest, OpenBuildsAliasFromEndingAndMinute) {
    player.mmOpen("c:\\Musik\\Show.wav");
    EXPECT_EQ(mci.Commands(), Commands{"Open c:\\Musik\\Show.wav ALIAS wav7 TYPE Waveaudio wait"});
    EXPECT_EQ(mci.calls[0].reply_length, 0u);
    EXPECT_EQ(player.alias(), "wav7");
    EXPECT_EQ(player.Filename(), "c:\\Musik\\Show.wav");

    clock.SetTime(9, 42, 0);
    player.mmOpen("c:\\Musik\\Show.wav");
    EXPECT_EQ(mci.Commands().at(1), "Close wav7"); // the open file is closed first
    EXPECT_EQ(mci.Commands().at(2), "Open c:\\Musik\\Show.wav ALIAS wav42 TYPE Waveaudio wait");
}

TEST_F(MmediaTest, PathWithBlankIsQuoted) {
    clock.SetTime(0, 0, 0);
    player.mmOpen("c:\\Eigene Dateien\\Lied.wav");
    EXPECT_EQ(mci.Commands(),
              Commands{"Open \"c:\\Eigene Dateien\\Lied.wav\" ALIAS wav0 TYPE Waveaudio wait"});
    EXPECT_EQ(player.Filename(), "c:\\Eigene Dateien\\Lied.wav"); // stored unquoted
}

// The name as the multimedia devices can open it, like the conversion library
// gets it; alias and file name keep the path as chosen.
TEST_F(MmediaTest, PathOutsideTheCodePageGoesOutByItsShortForm) {
    fake::FakeFileSystem fs;
    fs.AddDrive("c:", kDriveFixed);
    Mmedia with_fs{mci, clock, &fs};
    const std::string greek = "c:\\Waves\\Ελληνικά.wav";
    fs.WriteFile(greek, "RIFF");
    fs.SetShortPathName(greek, "c:\\Waves\\ELLENI~1.WAV");
    with_fs.mmOpen(greek);
    with_fs.mmOpen("c:\\Eigene Dateien\\Lied für dich.wav"); // the code page spells it
    fs.SetShortPathName(greek, "");                          // a volume without short names
    with_fs.mmOpen(greek);
    EXPECT_EQ(
        mci.Commands(),
        (Commands{"Open c:\\Waves\\ELLENI~1.WAV ALIAS wav7 TYPE Waveaudio wait", "Close wav7",
                  "Open \"c:\\Eigene Dateien\\Lied für dich.wav\" ALIAS wav7 TYPE Waveaudio wait",
                  "Close wav7", "Open " + greek + " ALIAS wav7 TYPE Waveaudio wait"}));
    EXPECT_EQ(with_fs.Filename(), greek);
}

TEST_F(MmediaTest, EndingsAreComparedInUpperCaseButTheAliasKeepsTheirCase) {
    const std::pair<const char *, const char *> cases[] = {
        {"a.Wav", "Open a.Wav ALIAS Wav7 TYPE Waveaudio wait"},
        {"b.avi", "Open b.avi ALIAS avi7 TYPE AviVideo wait"},
        {"c.MID", "Open c.MID ALIAS MID7 TYPE Sequencer wait"},
    };
    for (auto [path, open] : cases) {
        mci.calls.clear();
        player.mmClose();
        mci.calls.clear();
        player.mmOpen(path);
        EXPECT_EQ(mci.Commands(), Commands{open}) << path;
    }
}

TEST_F(MmediaTest, UnknownOrShortEndingLeavesNothingOpen) {
    player.mmOpen("a.wav");
    for (const char *path : {"c:\\x.mp3", "wa", ""}) {
        mci.calls.clear();
        player.mmOpen(path);
        EXPECT_EQ(player.alias(), "") << path;
        EXPECT_EQ(player.Filename(), "") << path;
    }
    // Only the first of them had something to close.
    player.mmOpen("a.wav");
    mci.calls.clear();
    player.mmOpen("a.txt");
    EXPECT_EQ(mci.Commands(), Commands{"Close wav7"});
}

TEST_F(MmediaTest, CommandsWithoutAnOpenFileSendNothingExceptSeek) {
    player.mmClose();
    player.mmPause();
    player.mmPlay();
    player.mmStop();
    EXPECT_TRUE(mci.calls.empty());
    player.mmSeek(12.5f);
    player.Position(3.0f);
    EXPECT_EQ(mci.Commands(), (Commands{"Seek  to 12.5", "Seek  to 3"}));
}

TEST_F(MmediaTest, CommandsOnAnOpenFile) {
    player.mmOpen("x.wav");
    player.mmPlay();
    player.Wait(true);
    player.mmPlay();
    player.mmPause();
    player.mmSeek(0.25f);
    player.mmStop();
    player.mmClose();
    player.mmClose();
    EXPECT_EQ(mci.Commands(),
              (Commands{"Open x.wav ALIAS wav7 TYPE Waveaudio wait", "Play wav7", "Play wav7 wait",
                        "Pause wav7", "Seek wav7 to 0.25", "Stop wav7", "Close wav7"}));
    EXPECT_EQ(player.Filename(), "");
}

TEST_F(MmediaTest, StatusQueriesNeedAnOpenFile) {
    EXPECT_EQ(player.Length(), 0.0f);
    EXPECT_EQ(player.Position(), 0.0f);
    EXPECT_EQ(player.Status(), "");
    EXPECT_TRUE(mci.calls.empty());
}

TEST_F(MmediaTest, StatusRepliesAreCutAtNulAndParsedByTheirLeadingNumber) {
    std::string length_reply, position_reply, mode_reply;
    mci.responder = [&](const std::string &command) -> std::pair<std::uint32_t, std::string> {
        if (command.ends_with("length"))
            return {0, length_reply};
        if (command.ends_with("position"))
            return {0, position_reply};
        return {0, mode_reply};
    };
    player.mmOpen("x.wav");
    mci.calls.clear();

    length_reply = std::string("183500\0garbage", 14);
    position_reply = " 1.5e3 ms";
    mode_reply = std::string("playing\0xx", 10);
    EXPECT_EQ(player.Length(), 183500.0f);
    EXPECT_EQ(player.Position(), 1500.0f);
    EXPECT_EQ(player.Status(), "playing");
    EXPECT_EQ(mci.Commands(),
              (Commands{"Status wav7 length", "Status wav7 position", "Status wav7 mode"}));
    for (const auto &call : mci.calls)
        EXPECT_EQ(call.reply_length, 255u);

    length_reply = "";
    position_reply = "stopped";
    EXPECT_EQ(player.Length(), 0.0f);
    EXPECT_EQ(player.Position(), 0.0f);
    position_reply = "-12.75e";
    EXPECT_EQ(player.Position(), -12.75f);
}

using PreviewButtons = ShellTest;

TEST_F(PreviewButtons, PlayPausePlayStartsAgainFromTheBeginning) {
    W().Quell_Wave_txt.set_text("c:\\Musik\\Show.wav");
    W().Play_Button.Click();
    W().Pause_Button.Click();
    clock.SetTime(14, 8, 0);
    W().Play_Button.Click();
    W().Stop_Button.Click();
    EXPECT_EQ(mci.Commands(), (Commands{"Open c:\\Musik\\Show.wav ALIAS wav7 TYPE Waveaudio wait",
                                        "Play wav7", "Pause wav7", "Close wav7",
                                        "Open c:\\Musik\\Show.wav ALIAS wav8 TYPE Waveaudio wait",
                                        "Play wav8", "Stop wav8"}));
}

TEST_F(PreviewButtons, PlayNeverWaitsForTheEnd) {
    W().player.Wait(true);
    W().Quell_Wave_txt.set_text("a b.wav");
    W().Play_Button.Click();
    EXPECT_EQ(mci.Commands(),
              (Commands{"Open \"a b.wav\" ALIAS wav7 TYPE Waveaudio wait", "Play wav7"}));
}

TEST_F(PreviewButtons, PlayWithEmptyPathSilencesThePreviewAndPlaysNothing) {
    W().Quell_Wave_txt.set_text("c:\\a.wav");
    W().Play_Button.Click();
    mci.calls.clear();
    W().Quell_Wave_txt.set_text("");
    W().Play_Button.Click();
    EXPECT_EQ(mci.Commands(), Commands{"Close wav7"});
}

TEST_F(PreviewButtons, PauseAndStopBeforeAnyPlaySendNothing) {
    W().Pause_Button.Click();
    W().Stop_Button.Click();
    EXPECT_TRUE(mci.calls.empty());
}

} // namespace
} // namespace tf::testing
