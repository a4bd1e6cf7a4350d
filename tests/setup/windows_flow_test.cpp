// The four windows: their texts in both languages, the order they come in,
// the pauses, and ending the program from the cancel buttons.

#include "setup_test_support.h"

#include <algorithm>

namespace tf::setup::test {
namespace {

using SetupWindows = SetupMachine;

bool Has(const std::vector<std::string> &v, const std::string &s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

TEST_F(SetupWindows, WelcomeStartsGermanAndSwitchesBothWays) {
    program->Starten();
    Fenster1 &f1 = program->fenster1;
    EXPECT_EQ(f1.Sprache, 1);
    EXPECT_TRUE(f1.Deutsch.value());
    EXPECT_EQ(f1.caption(), "Setup Trackforge");
    EXPECT_EQ(f1.Willkommen_txt.caption(), "Willkommen zum Trackforge Installationsprogramm");
    EXPECT_EQ(f1.Label2.caption(),
              "Setup kann Systemdateien oder gemeinsame Dateien nicht aktualisieren, wenn sie "
              "bereits verwendet werden. Bevor Sie fortfahren, sollten Sie alle geöffneten "
              "Anwendungen schließen.");
    EXPECT_EQ(f1.Abbrechen_Button.caption(), "Setup beenden");
    EXPECT_EQ(f1.OK_Button.caption(), "OK");

    f1.Englisch.Click();
    EXPECT_EQ(f1.Sprache, 2);
    EXPECT_FALSE(f1.Deutsch.value());
    EXPECT_EQ(f1.Willkommen_txt.caption(), "Welcome to Trackforge Setup");
    EXPECT_EQ(f1.Label2.caption(),
              "Setup is not able to update system files or shared files, if "
              "they are open. Please close all applications before you go on.");
    EXPECT_EQ(f1.Abbrechen_Button.caption(), "Exit Setup");
    EXPECT_EQ(f1.caption(), "Setup Trackforge");
    EXPECT_EQ(f1.OK_Button.caption(), "OK");

    f1.Deutsch.Click();
    EXPECT_EQ(f1.Sprache, 1);
    EXPECT_EQ(f1.Willkommen_txt.caption(), "Willkommen zum Trackforge Installationsprogramm");
    EXPECT_EQ(f1.Abbrechen_Button.caption(), "Setup beenden");
    EXPECT_TRUE(f1.Label2.caption().starts_with("Setup kann Systemdateien"));
}

// Walks through all four windows, the install button pressed in Fenster2.
void RunThrough(SetupProgramm &p, bool english) {
    p.Starten();
    if (english)
        p.fenster1.Englisch.Click();
    p.fenster1.OK_Button.Click();
    p.fenster2.Install_Button.Click();
}

TEST_F(SetupWindows, GermanTextsOfTheLaterWindows) {
    std::vector<std::string> shown;
    events.on_do_events = [&] {
        if (program->fenster3.Label1.caption() != "" && shown.empty())
            shown.push_back(program->fenster3.Label1.caption());
    };
    PutMediumFiles();
    RunThrough(*program, false);
    Fenster2 &f2 = program->fenster2;
    EXPECT_EQ(f2.caption(), "Setup Trackforge");
    EXPECT_EQ(f2.Label4.caption(),
              "Starten Sie die Installation, indem Sie auf die Schaltfläche klicken.");
    EXPECT_EQ(f2.Label5.caption(), "Klicken Sie auf diese Schaltfläche um die Software in das "
                                   "angegebene Verzeichnis zu installieren.");
    EXPECT_EQ(f2.Verzeichnis_Frame.caption(), "Verzeichnis:");
    EXPECT_EQ(f2.Verzeichnis_wechseln_Button.caption(), "Verzeichnis wechseln");
    EXPECT_EQ(f2.Abbrechen_Button.caption(), "Setup beenden");
    EXPECT_EQ(shown, std::vector<std::string>{"Setup aktualisiert Ihr System ..."});
    EXPECT_EQ(program->fenster3.caption(), "");
    EXPECT_FALSE(program->fenster3.has_title_bar);
    EXPECT_EQ(program->fenster4.caption(), "Setup Trackforge");
    EXPECT_EQ(program->fenster4.Label1.caption(), "Das Setup wurde erfolgreich abgeschlossen.");
}

TEST_F(SetupWindows, EnglishTextsOfTheLaterWindowsWithGermanLogLines) {
    PutMediumFiles();
    RunThrough(*program, true);
    Fenster2 &f2 = program->fenster2;
    EXPECT_EQ(f2.caption(), "Setup Trackforge");
    EXPECT_EQ(f2.Label4.caption(), "Press button to start Setup");
    EXPECT_EQ(f2.Label5.caption(),
              "Press this button to install the program to the directory displayed below.");
    EXPECT_EQ(f2.Verzeichnis_Frame.caption(), "Verzeichnis:");
    EXPECT_EQ(f2.Verzeichnis_wechseln_Button.caption(), "Change Directory");
    EXPECT_EQ(f2.Abbrechen_Button.caption(), "Exit Setup");
    EXPECT_EQ(program->fenster3.Label1.caption(), "Setup is updating your system ...");
    EXPECT_EQ(program->fenster4.Label1.caption(), "The Setup was successful.");
    EXPECT_EQ(program->fenster4.OK_Button.caption(), "OK");
    EXPECT_TRUE(fs.ReadFile(kLogFile).starts_with("VB6STKIT.dll wurde nach"));
    // Reading the language did not load the welcome window again.
    EXPECT_EQ(std::count(windows.events.begin(), windows.events.end(), "Load Fenster1"), 1);
    EXPECT_EQ(program->fenster1.Sprache, 2);
}

// The last window says success only when it is true, naming what is missing
// and where the log is, in the chosen language.
TEST_F(SetupWindows, LastWindowNamesWhatIsNotInPlace) {
    fs.WriteFile("d:\\medium\\Trackforge.exe", "program");
    RunThrough(*program, true);
    EXPECT_EQ(program->fenster4.Label1.caption(),
              "Setup could not install everything; not installed: Sonwerk_Projekt.dll. The "
              "install log C:\\Programme\\NOVALUX Trackforge\\TF_log.txt tells why.");

    fs.DeleteFile("d:\\medium\\Trackforge.exe");
    NewProgram();
    RunThrough(*program, false);
    EXPECT_EQ(program->fenster4.Label1.caption(),
              "Setup konnte nicht alles installieren; nicht installiert: Trackforge.exe und "
              "Sonwerk_Projekt.dll. Warum, steht im Installationsprotokoll "
              "C:\\Programme\\NOVALUX Trackforge\\TF_log.txt.");

    PutMediumFiles();
    fs.SetLastModified("d:\\medium\\Trackforge.exe", {2031, 1, 1, 0, 0, 0});
    fs.SetLocked("C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe");
    NewProgram();
    boxes.answers = {MsgAnswer::No};
    RunThrough(*program, false);
    EXPECT_EQ(program->fenster4.Label1.caption(),
              "Trackforge.exe lief noch und wurde nicht ersetzt. Bitte schließen Sie Trackforge "
              "und starten Sie Setup noch einmal.");
}

TEST_F(SetupWindows, EscapeAsksBeforeLeavingInTheChosenLanguage) {
    program->Starten();
    Fenster1 &f1 = program->fenster1;
    f1.Englisch.Click();
    boxes.answers = {MsgAnswer::No};
    f1.Form_Escape();
    EXPECT_FALSE(windows.ended);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "Do you want to exit Setup? Trackforge will not be installed.");
    EXPECT_EQ(boxes.calls[0].buttons, MsgButtons::YesNo);

    f1.OK_Button.Click();
    Fenster2 &f2 = program->fenster2;
    EXPECT_EQ(f2.Install_Button.accessible_name(), "Install");
    boxes.answers = {MsgAnswer::Yes};
    f2.Form_Escape();
    EXPECT_TRUE(windows.ended);
    EXPECT_FALSE(fs.FileExists(kLogFile));
}

TEST_F(SetupWindows, FlowClosesEachWindowBeforeTheNextAndWaits) {
    PutMediumFiles();
    double install_done_at = -1, notice_shown_at = -1, done_shown_at = -1;
    events.on_do_events = [&] {
        if (install_done_at < 0 &&
            program->fenster2.Status_txt.text() == "Es wurde(n) 23 Datei(en) kopiert" &&
            fs.FileExists(kLogFile))
            install_done_at = clock.seconds;
        if (notice_shown_at < 0 && windows.IsLoaded(program->fenster3))
            notice_shown_at = clock.seconds;
    };
    RunThrough(*program, false);
    done_shown_at = clock.seconds;
    EXPECT_EQ(windows.events,
              (std::vector<std::string>{"Show Fenster1", "Load Fenster1", "Activate Fenster1",
                                        "Unload Fenster1", "Show Fenster2", "Load Fenster2",
                                        "Activate Fenster2", "Unload Fenster2", "Show Fenster3",
                                        "Load Fenster3", "Activate Fenster3", "Unload Fenster3",
                                        "Show Fenster4", "Load Fenster4", "Activate Fenster4"}));
    EXPECT_FALSE(windows.ended);
    // One second after the log is saved, three seconds of the notice.
    ASSERT_GE(install_done_at, 0);
    ASSERT_GE(notice_shown_at, 0);
    EXPECT_GE(notice_shown_at - install_done_at, 1.0);
    EXPECT_LT(notice_shown_at - install_done_at, 1.6);
    EXPECT_GE(done_shown_at - notice_shown_at, 2.75);
    EXPECT_LT(done_shown_at - notice_shown_at, 3.6);

    program->fenster4.OK_Button.Click();
    EXPECT_TRUE(windows.ended);
    EXPECT_EQ(windows.exit_code, 0);
}

TEST_F(SetupWindows, CancelInTheWelcomeWindowEndsAtOnce) {
    PutMediumFiles();
    program->Starten();
    program->fenster1.Abbrechen_Button.Click();
    EXPECT_TRUE(windows.ended);
    EXPECT_FALSE(Has(windows.events, "Show Fenster2"));
    EXPECT_EQ(fs.CallCount("CopyToNewFile"), 0);
    EXPECT_TRUE(shell.shortcuts.empty());
    EXPECT_FALSE(fs.FileExists(kLogFile));
}

TEST_F(SetupWindows, CancelInTheInstallWindowBeforeInstallingEndsAtOnce) {
    PutMediumFiles();
    program->Starten();
    program->fenster1.OK_Button.Click();
    program->fenster2.Verzeichnis_wechseln_Button.Click(); // changes nothing
    EXPECT_EQ(program->fenster2.Verzeichnis_txt.caption(), "C:\\Programme\\NOVALUX Trackforge");
    program->fenster2.Abbrechen_Button.Click();
    EXPECT_TRUE(windows.ended);
    EXPECT_EQ(fs.CallCount("CopyToNewFile"), 0);
    EXPECT_TRUE(shell.shortcuts.empty());
    EXPECT_FALSE(fs.FileExists(kLogFile));
    EXPECT_FALSE(Has(windows.events, "Show Fenster3"));
}

TEST_F(SetupWindows, CancelDuringTheRunStopsBetweenEntriesAndKeepsWhatWasCopied) {
    PutMediumFiles();
    int entries = 0;
    events.on_do_events = [&] {
        if (++entries == 5)
            program->fenster2.Abbrechen_Button.Click();
    };
    RunThrough(*program, false);
    EXPECT_TRUE(windows.ended);
    EXPECT_EQ(entries, 5);
    EXPECT_EQ(fs.CallCount("CopyToNewFile"), 5);
    EXPECT_TRUE(fs.FileExists("c:\\windows\\System32\\STDOLE2.tlb"));
    EXPECT_TRUE(shell.shortcuts.empty());
    EXPECT_FALSE(fs.FileExists(kLogFile));
    EXPECT_FALSE(Has(windows.events, "Show Fenster3"));
}

TEST_F(SetupWindows, CancelDuringThePauseAfterTheRun) {
    PutMediumFiles();
    events.on_do_events = [&] {
        if (fs.FileExists(kLogFile) && !windows.ended)
            program->fenster2.Abbrechen_Button.Click();
    };
    RunThrough(*program, false);
    EXPECT_TRUE(windows.ended);
    EXPECT_FALSE(Has(windows.events, "Show Fenster3"));
}

TEST_F(SetupWindows, ClosingAWindowByHandEndsTheProgram) {
    program->Starten();
    windows.Unload(program->fenster1);
    EXPECT_TRUE(windows.ended);
    EXPECT_FALSE(Has(windows.events, "Show Fenster2"));
}

TEST_F(SetupWindows, AWindowShownForItsPictureDoesNotAct) {
    PutMediumFiles();
    program->kontext.vorschau = true;
    program->fenster1.Form_Load();
    windows.Show(program->fenster2);
    for (ui::Button *b : {&program->fenster2.Install_Button, &program->fenster2.Abbrechen_Button,
                          &program->fenster2.Verzeichnis_wechseln_Button})
        b->Click();
    EXPECT_EQ(fs.CallCount("CopyToNewFile"), 0);
    EXPECT_FALSE(fs.FileExists(kLogFile));
    EXPECT_FALSE(windows.ended);
    EXPECT_FALSE(Has(windows.events, "Show Fenster3"));
    windows.Unload(program->fenster2);
    EXPECT_TRUE(windows.ended);
    EXPECT_EQ(windows.exit_code, 0);
}

TEST_F(SetupWindows, SecondClickDuringTheRunIsIgnored) {
    PutMediumFiles();
    events.on_do_events = [&] { program->fenster2.Install_Button.Click(); };
    RunThrough(*program, false);
    EXPECT_EQ(fs.CallCount("CopyToNewFile"), 24); // the table's files and the uninstaller
    EXPECT_EQ(shell.shortcuts.size(), 2u);
    EXPECT_EQ(std::count(windows.events.begin(), windows.events.end(), "Show Fenster3"), 1);
}

TEST_F(SetupWindows, PausesRunAcrossMidnight) {
    PutMediumFiles();
    clock.SetTime(23, 59, 59);
    RunThrough(*program, false);
    EXPECT_TRUE(Has(windows.events, "Show Fenster4"));
    // 100 entries at 0.25 s, then 1 s and 3 s of pauses at 0.25 s a call.
    EXPECT_GE(events.count, 116);
    EXPECT_LE(events.count, 120);
    EXPECT_LT(clock.seconds, 60.0);
}

} // namespace
} // namespace tf::setup::test
