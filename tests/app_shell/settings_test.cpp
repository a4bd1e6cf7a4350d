// The main window's life: load, activation with its settings file, the timer,
// and closing with the settings written back.

#include "support/main_window_fixture.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace tf::testing {
namespace {

using Activation = ShellTest;

TEST_F(Activation, FirstStartComesUpInGermanWithNothingRestored) {
    windows.Show(W());
    EXPECT_TRUE(W().Deutsch.value());
    EXPECT_FALSE(W().Englisch.value());
    EXPECT_EQ(W().Command3.caption(), "Schließen");
    EXPECT_EQ(W().Projektname_txt.text(), "Unbenannt");
    EXPECT_EQ(W().CF_Laufwerk, "");
    EXPECT_EQ(W().CommonDialog1.InitDir, "");
    EXPECT_EQ(W().CommonDialog2.InitDir, "");
    EXPECT_EQ(W().Drive1.list_index(), -1);
    EXPECT_TRUE(msg.calls.empty());
}

TEST_F(Activation, RestoresDriveDialogFoldersAndEnglish) {
    WriteSettings(ProgramSettings(), {"e:", "c:\\Musik\\Show.wav", "c:\\Projekte\\Show.kpf", "0"});
    windows.Show(W());
    EXPECT_TRUE(W().Englisch.value());
    EXPECT_FALSE(W().Deutsch.value());
    EXPECT_EQ(W().Command3.caption(), "Close");
    EXPECT_EQ(W().Quell_Wave_Pfad, "c:\\Musik\\Show.wav");
    EXPECT_EQ(W().Ziel_Projekt_Pfad, "c:\\Projekte\\Show.kpf");
    EXPECT_EQ(W().CommonDialog1.InitDir, "c:\\Musik\\Show.wav");
    EXPECT_EQ(W().CommonDialog2.InitDir, "c:\\Projekte\\Show.kpf");
    // The path boxes stay empty until the user chooses again.
    EXPECT_EQ(W().Quell_Wave_txt.text(), "");
    EXPECT_EQ(W().Ziel_Projekt_txt.text(), "");
    EXPECT_EQ(W().Drive1.drive().substr(0, 2), "e:");
    EXPECT_EQ(W().CF_Laufwerk, "e:"); // as the drive list reports it
    EXPECT_FALSE(W().CF_Größe_txt.text().empty());
    EXPECT_TRUE(msg.calls.empty());
}

TEST_F(Activation, ThreeLinesKeepTheFirstThreeAndFallBackToGerman) {
    W().Englisch.set_value(true);
    WriteSettings(ProgramSettings(), {"e:", "c:\\a.wav", "c:\\b.kpf"});
    windows.Show(W());
    EXPECT_EQ(W().CF_Laufwerk, "E:");
    EXPECT_EQ(W().Quell_Wave_Pfad, "c:\\a.wav");
    EXPECT_EQ(W().Ziel_Projekt_Pfad, "c:\\b.kpf");
    EXPECT_TRUE(W().Deutsch.value());
    EXPECT_EQ(W().Command3.caption(), "Schließen");
    EXPECT_EQ(W().CommonDialog1.InitDir, "");
    EXPECT_EQ(W().CommonDialog2.InitDir, "");
    EXPECT_EQ(W().Drive1.list_index(), -1);
}

TEST_F(Activation, LineFourThatIsNoBooleanFallsBackToGerman) {
    W().Englisch.set_value(true);
    WriteSettings(ProgramSettings(), {"e:", "c:\\a.wav", "c:\\b.kpf", "yes"});
    windows.Show(W());
    EXPECT_TRUE(W().Deutsch.value());
    EXPECT_EQ(W().Karte_löschen.caption(), "Compact Flash Karte löschen");
    EXPECT_EQ(W().Quell_Wave_Pfad, "c:\\a.wav");
    EXPECT_EQ(W().CommonDialog1.InitDir, "");
    EXPECT_EQ(W().Drive1.list_index(), -1);
}

TEST_F(Activation, LineFourAcceptsNumbersAndBooleanWordsInAnyCase) {
    const std::pair<const char *, bool> forms[] = {{"-1", true},   {"0", false},
                                                   {"True", true}, {"FALSE", false},
                                                   {"wahr", true}, {"Falsch", false}};
    for (auto [text, german] : forms) {
        // Start from the other language so each form has to switch it.
        (german ? W().Englisch : W().Deutsch).set_value(true);
        WriteSettings(ProgramSettings(), {"", "", "", text});
        W().Form_Activate();
        EXPECT_EQ(W().Deutsch.value(), german) << text;
        EXPECT_EQ(W().Englisch.value(), !german) << text;
        EXPECT_EQ(W().Label9.caption(), german ? "Inhalt CF-Karte:" : "List CF card:") << text;
    }
}

TEST_F(Activation, AbsentDriveKeepsValuesButComesUpInGermanWithoutMessage) {
    WriteSettings(ProgramSettings(), {"x:", "c:\\a.wav", "c:\\b.kpf", "0"});
    windows.Show(W());
    EXPECT_EQ(W().CF_Laufwerk, "X:"); // stored upper case, never selected
    EXPECT_EQ(W().CommonDialog1.InitDir, "c:\\a.wav");
    EXPECT_TRUE(W().Deutsch.value());
    EXPECT_EQ(W().Command3.caption(), "Schließen");
    EXPECT_TRUE(msg.calls.empty());
}

TEST_F(Activation, DriveWithoutCardCannotBeSelectedAndFallsBackToGerman) {
    fs.drive("e:").ready = false;
    WriteSettings(ProgramSettings(), {"e:", "", "", "0"});
    windows.Show(W());
    EXPECT_TRUE(W().Deutsch.value());
    EXPECT_EQ(W().Drive1.list_index(), -1);
}

TEST_F(Activation, LowerCaseDriveIsReadBackUpperCase) {
    W().Drive1.set_drive("e:"); // already selected: reading it again changes nothing
    WriteSettings(ProgramSettings(), {"e:", "", "", "-1"});
    W().Form_Activate();
    EXPECT_EQ(W().CF_Laufwerk, "E:");
    EXPECT_EQ(W().Drive1.drive().substr(0, 2), "e:");
}

TEST_F(Activation, BlankDriveLineKeepsTheSavedLanguage) {
    // No drive chosen last time, or the last one was refused.
    for (const std::string &drive : {std::string(), kNoCardDrive}) {
        W().Deutsch.set_value(true);
        WriteSettings(ProgramSettings(), {drive, "c:\\a.wav", "", "0"});
        W().Form_Activate();
        EXPECT_TRUE(W().Englisch.value()) << '"' << drive << '"';
        EXPECT_EQ(W().CommonDialog1.InitDir, "c:\\a.wav");
    }
}

TEST_F(Activation, WaitsHalfASecondWhileEventsRun) {
    std::vector<std::string> caption_during_wait;
    events.on_do_events = [&] { caption_during_wait.push_back(W().Command3.caption()); };
    WriteSettings(ProgramSettings(), {"", "", "", "0"});
    const double start = clock.seconds;
    W().Form_Activate();
    // The settings were applied before the wait began.
    ASSERT_FALSE(caption_during_wait.empty());
    EXPECT_EQ(caption_during_wait.front(), "Close");
    EXPECT_GE(clock.seconds - start, 0.5 - 1e-9);
    EXPECT_LT(clock.seconds - start, 0.7);
}

TEST_F(Activation, WaitSurvivesMidnight) {
    clock.SetTime(23, 59, 59.75);
    events.on_do_events = [&] {
        if (events.count > 100)
            throw std::runtime_error("the wait does not end");
    };
    EXPECT_NO_THROW(W().WaitProcessingEvents(0.5));
    EXPECT_EQ(events.count, 2);
    EXPECT_DOUBLE_EQ(clock.seconds, 0.25);
}

TEST_F(Activation, ClosingTheAboutWindowRestoresTheSavedLanguage) {
    WriteSettings(ProgramSettings(), {"", "", "", "-1"});
    windows.Show(W());
    W().Englisch.Click();
    ASSERT_EQ(W().Command3.caption(), "Close");
    std::string about_caption;
    windows.on_modal = [&](ui::Form &about) {
        about_caption = about.caption();
        static_cast<Trackforge_Info &>(about).Beenden_Button.Click();
    };
    W().Info_Button.Click();
    EXPECT_EQ(about_caption, "Info about Trackforge");
    EXPECT_TRUE(W().Deutsch.value());
    EXPECT_EQ(W().Command3.caption(), "Schließen");
    const std::vector<std::string> tail(windows.events.end() - 3, windows.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Activate Trackforge_Info", "Unload Trackforge_Info",
                                              "Activate Projekt"}));
}

TEST_F(Activation, PerUserSettingsAreReadBeforeTheProgramFolders) {
    WriteSettings(ProgramSettings(), {"", "c:\\old.wav", "", "-1"});
    WriteSettings(UserSettings(), {"", "c:\\new.wav", "", "0"});
    windows.Show(W());
    EXPECT_EQ(W().Quell_Wave_Pfad, "c:\\new.wav");
    EXPECT_TRUE(W().Englisch.value());
}

using Timer = ShellTest;

std::ptrdiff_t FirstCall(const std::vector<std::string> &calls, const std::string &member) {
    auto it = std::find_if(calls.begin(), calls.end(),
                           [&](const std::string &c) { return c.rfind(member + "(", 0) == 0; });
    return it == calls.end() ? -1 : it - calls.begin();
}

TEST_F(Timer, RefreshesDrivesFilesFoldersThenDriveType) {
    EXPECT_EQ(W().Timer1.interval_ms, 5000);
    EXPECT_TRUE(W().Timer1.timer_enabled);
    fs.WriteFile("e:\\Show.kpf", "x");
    W().Drive1.set_drive("e:");
    fs.ClearCalls();
    W().Timer1.Tick();
    const auto drives = FirstCall(fs.calls(), "Drives");
    const auto files = FirstCall(fs.calls(), "ListFiles");
    const auto folders = FirstCall(fs.calls(), "ListFolders");
    const auto type = FirstCall(fs.calls(), "DriveType");
    ASSERT_GE(drives, 0);
    EXPECT_LT(drives, files);
    EXPECT_LT(files, folders);
    EXPECT_LT(folders, type);
}

TEST_F(Timer, AFailureEndsOnlyThatTick) {
    W().Drive1.set_drive("e:");
    W().Drive_txt.set_text("");
    fs.ClearCalls();
    fs.FailNext("Drives");
    W().Timer1.Tick();
    EXPECT_EQ(FirstCall(fs.calls(), "ListFiles"), -1);
    EXPECT_EQ(FirstCall(fs.calls(), "DriveType"), -1);
    EXPECT_EQ(W().Drive_txt.text(), "");
    W().Timer1.Tick();
    EXPECT_GE(FirstCall(fs.calls(), "DriveType"), 0);
    EXPECT_EQ(W().Drive_txt.text(), "Wechseldatenträger");
}

using Closing = ShellTest;

TEST_F(Closing, CloseButtonStopsThePreviewAndWritesTheExactFile) {
    windows.Show(W());
    W().CF_Laufwerk = "e:";
    W().Quell_Wave_Pfad = "c:\\Musik\\Lied für dich.wav";
    W().Ziel_Projekt_Pfad = "c:\\Projekte\\Show.kpf";
    W().Quell_Wave_txt.set_text("c:\\Musik\\Lied.wav");
    W().Play_Button.Click();
    mci.calls.clear();
    W().Command3.Click();
    EXPECT_EQ(mci.Commands(), (std::vector<std::string>{"Stop wav7", "Close wav7"}));
    EXPECT_EQ(fs.ReadFile(ProgramSettings()),
              "e:\r\nc:\\Musik\\Lied f\xFCr dich.wav\r\nc:\\Projekte\\Show.kpf\r\n-1\r\n");
    EXPECT_FALSE(windows.IsLoaded(W()));
}

TEST_F(Closing, EnglishIsWrittenAsZeroAndReadBackByTheNextRun) {
    windows.Show(W());
    W().Englisch.Click();
    W().Quell_Wave_Pfad = "c:\\a.wav";
    windows.Unload(W()); // the window's own close box
    EXPECT_EQ(fs.ReadFile(ProgramSettings()), "\r\nc:\\a.wav\r\n\r\n0\r\n");

    Projekt next(W().services());
    windows.Show(next);
    EXPECT_TRUE(next.Englisch.value());
    EXPECT_EQ(next.Quell_Wave_Pfad, "c:\\a.wav");
}

TEST_F(Closing, ReadOnlyProgramFolderSendsTheFileToTheUsersFolder) {
    fs.fail_when = [](const std::string &member, const std::string &arg) {
        return member == "CreateTextFile" && arg.find("Programme") != std::string::npos;
    };
    windows.Show(W());
    W().Englisch.Click();
    windows.Unload(W());
    EXPECT_FALSE(fs.FileExists(ProgramSettings()));
    EXPECT_EQ(fs.ReadFile(UserSettings()), "\r\n\r\n\r\n0\r\n");
    EXPECT_TRUE(msg.calls.empty());

    Projekt next(W().services());
    windows.Show(next);
    EXPECT_TRUE(next.Englisch.value());
}

TEST_F(Closing, ReadOnlySettingsFileAlsoFallsBackToTheUsersFolder) {
    WriteSettings(ProgramSettings(), {"", "", "", "-1"});
    fs.SetReadOnly(ProgramSettings());
    windows.Show(W());
    W().Englisch.Click();
    windows.Unload(W());
    EXPECT_EQ(fs.ReadFile(ProgramSettings()), "\r\n\r\n\r\n-1\r\n");
    EXPECT_EQ(fs.ReadFile(UserSettings()), "\r\n\r\n\r\n0\r\n");
}

TEST_F(Closing, WritableProgramFolderRemovesAStaleUserCopy) {
    WriteSettings(UserSettings(), {"", "", "", "0"});
    windows.Show(W());
    W().Deutsch.Click();
    windows.Unload(W());
    EXPECT_EQ(fs.ReadFile(ProgramSettings()), "\r\n\r\n\r\n-1\r\n");
    EXPECT_FALSE(fs.FileExists(UserSettings()));
}

TEST_F(Closing, NowhereToWriteIsSilent) {
    fs.FailAlways("CreateTextFile");
    fs.FailAlways("CreateFolder");
    windows.Show(W());
    windows.Unload(W());
    EXPECT_FALSE(fs.FileExists(ProgramSettings()));
    EXPECT_FALSE(fs.FileExists(UserSettings()));
    EXPECT_TRUE(msg.calls.empty());
}

// Two copies of the program, each with its own settings, are held on the real
// file system under Wine (the window tests there).
TEST(SettingsPlace, OneFolderOfItsOwnPerProgramFolderWhateverItsSpelling) {
    fake::FakeAppPaths a, b;
    a.program_folder = "c:\\Programme\\NOVALUX Trackforge";
    b.program_folder = "c:/Programme/NOVALUX Trackforge/";
    const std::string file = UserSettingsFile(a);
    EXPECT_EQ(file, UserSettingsFile(b));
    b.program_folder = "C:\\PROGRAMME\\novalux trackforge";
    const std::string other_case = UserSettingsFile(b);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), other_case.begin(), other_case.end(),
                           [](char x, char y) {
                               return std::tolower(static_cast<unsigned char>(x)) ==
                                      std::tolower(static_cast<unsigned char>(y));
                           }))
        << other_case;
    EXPECT_EQ(file.rfind(a.user_data_folder + "\\Trackforge\\NOVALUX Trackforge-", 0), 0u) << file;
    EXPECT_EQ(file.substr(file.size() - 15), "\\Trackforge.kps");
    b.program_folder = "d:\\NOVALUX Trackforge";
    EXPECT_NE(UserSettingsFile(b), file);
    b.program_folder = "e:\\";
    EXPECT_EQ(UserSettingsFile(b).find(':', 2), std::string::npos) << UserSettingsFile(b);
    b.user_data_folder.clear();
    EXPECT_EQ(UserSettingsFile(b), "");
}

} // namespace
} // namespace tf::testing
