// The install run: the file table, the date rule, registration, the log and
// its file, and the desktop shortcut.

#include "setup_test_support.h"

#include "platform/codepage.h"

#include <algorithm>
#include <sstream>

namespace tf::setup::test {
namespace {

std::vector<std::string> Lines(const std::string &log) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t p; (p = log.find("\r\n", start)) != std::string::npos; start = p + 2)
        lines.push_back(log.substr(start, p - start));
    EXPECT_EQ(start, log.size()) << "text after the last CR LF";
    return lines;
}

std::size_t CountEnding(const std::vector<std::string> &lines, const std::string &ending) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string &l) { return l.ends_with(ending); });
}

const std::string kIdentical = " - Datei ist identisch mit der Datei auf der Festplatte";
const std::string kOlder = " - Datei ist älter als die Datei auf der Festplatte";
const std::string kNotCopied = " - Datei konnte nicht kopiert werden!";

TEST(SetupDateiliste, HundredEntriesWithTheirTargets) {
    const Dateiliste liste = Dateiliste_fuellen("c:/windows/");
    ASSERT_EQ(liste.size(), 100u);
    EXPECT_EQ(TableFiles().size(), 23u);
    for (int empty : {11, 12, 13, 14, 24, 29, 64, 100}) {
        EXPECT_EQ(liste[empty - 1].Dateiname, "") << empty;
        EXPECT_EQ(liste[empty - 1].Zielordner, "") << empty;
    }
    EXPECT_EQ(liste[0].Dateiname, "VB6STKIT.dll");
    EXPECT_EQ(liste[0].Zielordner, "c:/windows/System32");
    EXPECT_EQ(liste[14].Dateiname, "cdex_140_deu.zip");
    EXPECT_EQ(liste[14].Zielordner, "C:\\Programme\\NOVALUX Trackforge/Tools");
    EXPECT_EQ(liste[26].Dateiname, "Sonwerk_Projekt.dll");
    EXPECT_EQ(liste[26].Zielordner, "c:/windows/System32");
    EXPECT_EQ(liste[27].Dateiname, "Trackforge.exe");
    EXPECT_EQ(liste[27].Zielordner, "C:\\Programme\\NOVALUX Trackforge");
    EXPECT_EQ(Dateiliste_fuellen("c:/winnt/")[25].Zielordner, "c:/winnt/System32");
    EXPECT_EQ(Dateiliste_fuellen("")[1].Zielordner, "System32");
}

using SetupInstallRun = SetupMachine;

TEST_F(SetupInstallRun, FirstInstallCopiesRegistersAndLogs) {
    PutMediumFiles();
    Fenster2 &f2 = LoadInstallWindow();
    f2.Installation_ausfuehren();

    const std::string log = f2.LOG_txt.text();
    EXPECT_TRUE(
        log.starts_with("VB6STKIT.dll wurde nach c:/windows/System32/VB6STKIT.dll kopiert\r\n"
                        "VB6STKIT.dll wurde registriert\r\n\r\n"
                        "MSVCRT40.dll wurde nach c:/windows/System32/MSVCRT40.dll kopiert\r\n"));
    EXPECT_NE(log.find("SHELLLNK.tlb wurde nach c:/windows/System32/SHELLLNK.tlb kopiert\r\n"
                       "cdex_140_deu.zip wurde nach C:\\Programme\\NOVALUX Trackforge/Tools/"
                       "cdex_140_deu.zip kopiert\r\nVB5DB.dll wurde nach"),
              std::string::npos);
    EXPECT_TRUE(log.ends_with("Sonwerk_Projekt.dll wurde registriert\r\n\r\n"
                              "Trackforge.exe wurde nach C:\\Programme\\NOVALUX Trackforge/"
                              "Trackforge.exe kopiert\r\n"));
    const auto lines = Lines(log);
    EXPECT_EQ(CountEnding(lines, " kopiert"), 23u);
    EXPECT_EQ(CountEnding(lines, " wurde registriert"), 19u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), ""), 19);
    EXPECT_EQ(lines.size(), 61u);

    EXPECT_EQ(f2.Kopiert_Anzahl, 23);
    EXPECT_EQ(f2.Status_txt.text(), "Es wurde(n) 23 Datei(en) kopiert");
    EXPECT_EQ(f2.Quelle_txt.text(), "d:\\medium\\Trackforge.exe");
    EXPECT_EQ(f2.Ziel_txt.text(), "C:\\Programme\\NOVALUX Trackforge/Trackforge.exe");
    EXPECT_EQ(fs.ReadFile("c:\\windows\\System32\\Sonwerk_Projekt.dll"),
              MediumContent("Sonwerk_Projekt.dll"));
    EXPECT_EQ(fs.ReadFile("C:\\Programme\\NOVALUX Trackforge\\Tools\\cdex_140_deu.zip"),
              "content of cdex_140_deu.zip");
    EXPECT_TRUE(fs.FileExists("C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe"));

    // .tlb, .zip and .exe are never registered; the ones that are, in table order.
    ASSERT_EQ(processes.command_lines.size(), RegisteredFiles().size());
    EXPECT_EQ(processes.command_lines.front(), "c:/windows/system32\\regsvr32.exe /s VB6STKIT.dll");
    EXPECT_EQ(processes.command_lines.back(),
              "c:/windows/system32\\regsvr32.exe /s Sonwerk_Projekt.dll");
    EXPECT_EQ(std::count(processes.command_lines.begin(), processes.command_lines.end(),
                         "c:/windows/system32\\regsvr32.exe /s Comdlg32.ocx"),
              1);

    // On the public desktop and in the Start menu, not on the desktop of
    // whoever approved the elevation.
    ASSERT_EQ(shell.shortcuts.size(), 2u);
    EXPECT_EQ(shell.shortcuts[0].link_file, std::string(kPublicDesktop) + "\\Trackforge.lnk");
    EXPECT_EQ(shell.shortcuts[1].link_file, std::string(kStartMenu) + "\\Trackforge.lnk");
    for (const auto &link : shell.shortcuts) {
        EXPECT_EQ(link.target, "C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe");
        EXPECT_EQ(link.arguments, "");
        EXPECT_EQ(link.description, "");
        EXPECT_EQ(link.working_folder, "");
    }

    // The file holds the log as it stands, nothing added.
    EXPECT_EQ(fs.ReadFile(kLogFile), log);
}

TEST_F(SetupInstallRun, FilesComeFromSetupsOwnFolderWhateverTheCurrentOne) {
    PutMediumFiles();
    fs.MakeFolders("c:\\elsewhere");
    fs.WriteFile("c:\\elsewhere\\Trackforge.exe", "a stranger");
    fs.SetCurrentDrive("c:");
    fs.SetCurrentFolder("c:", "\\elsewhere");
    EXPECT_EQ(program->Unbeaufsichtigt_installieren(), kInstalliert);
    EXPECT_EQ(fs.ReadFile("C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe"),
              "content of Trackforge.exe");
}

// A running program cannot be replaced: whoever runs Setup is asked to close
// it; unattended, the exit status says the program is not in place.
TEST_F(SetupInstallRun, RunningProgramIsReportedNotSilentlySkipped) {
    PutMediumFiles();
    const std::string installed = "C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe";
    fs.MakeFolders("C:\\Programme\\NOVALUX Trackforge");
    fs.WriteFile(installed, "the running program");
    fs.SetLastModified(installed, {2001, 1, 1, 0, 0, 0});
    fs.SetLocked(installed);

    EXPECT_EQ(program->Unbeaufsichtigt_installieren(), kProgrammFehlt);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_TRUE(program->fenster2.LOG_txt.text().ends_with(
        "Trackforge.exe wird gerade ausgeführt und kann nicht ersetzt werden\r\n"
        "Trackforge.exe" +
        kNotCopied + "\r\n"));
    EXPECT_EQ(fs.ReadFile(installed), "the running program");

    // Interactive: the user closes it and says yes; then it is replaced.
    NewProgram();
    boxes.on_show = [&](const fake::ScriptedMessageBoxes::Call &) {
        fs.SetLocked(installed, false);
    };
    boxes.answers = {MsgAnswer::Yes};
    Fenster2 &f2 = LoadInstallWindow(/*english=*/true);
    f2.Installation_ausfuehren();
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(boxes.calls[0].text.starts_with("Trackforge.exe is running"));
    EXPECT_EQ(boxes.calls[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(fs.ReadFile(installed), "content of Trackforge.exe");
    EXPECT_EQ(f2.Rueckgabe(), kInstalliert);
}

TEST_F(SetupInstallRun, StatusRunsThroughEveryEntryAndEndsWithTheCount) {
    PutMediumFiles();
    fs.WriteFile("d:\\medium\\olepro32.dll", ""); // still copied: a plain file
    Fenster2 &f2 = LoadInstallWindow(/*english=*/true);
    std::vector<std::string> seen;
    events.on_do_events = [&] { seen.push_back(f2.Status_txt.text()); };
    f2.Installation_ausfuehren();
    ASSERT_EQ(seen.size(), 100u);
    EXPECT_EQ(seen[0], "Es wurde(n) 1 Datei(en) kopiert");
    EXPECT_EQ(seen[13], "Es wurde(n) 10 Datei(en) kopiert"); // entries 11..14 are empty
    EXPECT_EQ(seen[99], "Es wurde(n) 23 Datei(en) kopiert");
    // German log lines whatever the language of the windows.
    EXPECT_TRUE(f2.LOG_txt.text().starts_with("VB6STKIT.dll wurde nach"));
}

TEST_F(SetupInstallRun, SecondRunFindsEverythingIdenticalAndReplacesTheLogFile) {
    PutMediumFiles();
    LoadInstallWindow().Installation_ausfuehren();
    processes.command_lines.clear();

    NewProgram();
    Fenster2 &f2 = LoadInstallWindow();
    f2.Installation_ausfuehren();
    const auto lines = Lines(f2.LOG_txt.text());
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[0], "VB6STKIT.dll" + kIdentical);
    EXPECT_EQ(CountEnding(lines, kIdentical), 23u);
    EXPECT_TRUE(processes.command_lines.empty());
    EXPECT_EQ(f2.Kopiert_Anzahl, 0);
    EXPECT_EQ(f2.Status_txt.text(), "Es wurde(n) 0 Datei(en) kopiert");
    EXPECT_EQ(fs.ReadFile(kLogFile), f2.LOG_txt.text());
}

TEST_F(SetupInstallRun, DateRuleComparesFullYearsToTheSecond) {
    const DateTime source_date{2004, 3, 1, 10, 0, 0};
    PutMediumFiles(source_date);
    const std::string sys = "c:\\windows\\System32\\";
    struct Target {
        std::string file;
        DateTime date;
        std::string bytes, kept; // `kept`: the log line's ending when not copied
    };
    const Target targets[] = {
        // A target from 1999 is older than a 2004 source although "99" sorts after "04".
        {"COMCAT.dll", {1999, 12, 31, 23, 59, 59}, "old", ""},
        {"VB6DE.dll", {2010, 1, 1, 0, 0, 0}, "newer", kOlder},
        // Equal to the second and in size counts as identical, whatever the contents.
        {"expsrv.dll", source_date, std::string(MediumContent("expsrv.dll").size(), 'X'),
         kIdentical},
        // The same date with another size is what a copy cut short leaves: copied.
        {"vbajet32.dll", source_date, "content of vbaj", ""},
        {"STDOLE2.tlb", {2004, 3, 1, 9, 59, 59}, "a second older", ""}};
    for (const Target &t : targets) {
        fs.WriteFile(sys + t.file, t.bytes);
        fs.SetLastModified(sys + t.file, t.date);
    }

    Fenster2 &f2 = LoadInstallWindow();
    f2.Installation_ausfuehren();
    const auto lines = Lines(f2.LOG_txt.text());
    for (const Target &t : targets) {
        const std::string said =
            t.kept.empty() ? t.file + " wurde nach c:/windows/System32/" + t.file + " kopiert"
                           : t.file + t.kept;
        EXPECT_NE(std::find(lines.begin(), lines.end(), said), lines.end()) << said;
        EXPECT_EQ(fs.ReadFile(sys + t.file), t.kept.empty() ? MediumContent(t.file) : t.bytes);
    }
    EXPECT_EQ(f2.Kopiert_Anzahl, 21);
    EXPECT_EQ(std::count(processes.command_lines.begin(), processes.command_lines.end(),
                         "c:/windows/system32\\regsvr32.exe /s VB6DE.dll"),
              0);

    // The log file is in the ANSI code page: "ä" as one byte.
    const std::string saved = fs.ReadFile(kLogFile);
    EXPECT_EQ(saved, Utf8ToAnsi(f2.LOG_txt.text()));
    EXPECT_NE(saved.find("VB6DE.dll - Datei ist \xE4lter als"), std::string::npos);
}

TEST_F(SetupInstallRun, MissingSourcesFailWithOrWithoutATarget) {
    // An empty working folder: every entry fails, nothing counted, the log still saved.
    fs.WriteFile("c:\\windows\\System32\\OLEAUT32.dll", "the system's own");
    Fenster2 &f2 = LoadInstallWindow();
    f2.Installation_ausfuehren();
    const auto lines = Lines(f2.LOG_txt.text());
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(CountEnding(lines, kNotCopied), 23u);
    EXPECT_EQ(lines[7], "OLEAUT32.dll" + kNotCopied);
    EXPECT_EQ(lines[23], "Trackforge.lnk wurde nicht angelegt, weil Trackforge.exe fehlt");
    EXPECT_EQ(fs.ReadFile("c:\\windows\\System32\\OLEAUT32.dll"), "the system's own");
    EXPECT_EQ(f2.Kopiert_Anzahl, 0);
    EXPECT_EQ(f2.Status_txt.text(), "Es wurde(n) 0 Datei(en) kopiert");
    EXPECT_TRUE(processes.command_lines.empty());
    EXPECT_EQ(fs.ReadFile(kLogFile), f2.LOG_txt.text());
    // The folders were made before the copy failed.
    EXPECT_TRUE(fs.FolderExists("C:\\Programme\\NOVALUX Trackforge\\Tools"));
}

TEST_F(SetupInstallRun, LockedTargetOrFailingCopyKeepsTheOldFile) {
    PutMediumFiles();
    fs.WriteFile("c:\\windows\\System32\\MSJET35.dll", "in use");
    fs.SetLastModified("c:\\windows\\System32\\MSJET35.dll", {2001, 1, 1, 0, 0, 0});
    fs.SetLocked("c:\\windows\\System32\\MSJET35.dll");
    // The program's copy is made but does not read back equal: the old program stays.
    const std::string program = "C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe";
    fs.MakeFolders("C:\\Programme\\NOVALUX Trackforge");
    fs.WriteFile(program, "the older program");
    fs.SetLastModified(program, {2001, 1, 1, 0, 0, 0});
    fs.fail_when = [](const std::string &member, const std::string &argument) {
        return member == "FilesEqual" && argument.starts_with("d:\\medium\\Trackforge.exe");
    };
    Fenster2 &f2 = LoadInstallWindow();
    f2.Installation_ausfuehren();
    EXPECT_EQ(fs.ReadFile(program), "the older program");
    EXPECT_EQ(fs.ListFiles("C:\\Programme\\NOVALUX Trackforge"),
              (std::vector<std::string>{"TF_log.txt", "Trackforge.exe"}));
    const std::string log = f2.LOG_txt.text();
    EXPECT_NE(log.find("MSJTER35.dll wurde registriert\r\n\r\nMSJET35.dll" + kNotCopied +
                       "\r\n"
                       "CMDLGDE.dll wurde nach"),
              std::string::npos);
    EXPECT_TRUE(log.ends_with("\r\nTrackforge.exe" + kNotCopied +
                              "\r\nTrackforge.lnk wurde nicht angelegt, weil Trackforge.exe "
                              "fehlt\r\n"));
    EXPECT_EQ(fs.ReadFile("c:\\windows\\System32\\MSJET35.dll"), "in use");
    EXPECT_EQ(f2.Kopiert_Anzahl, 21);
    // The boxes show the entry whose copy was tried last.
    EXPECT_EQ(f2.Quelle_txt.text(), "d:\\medium\\Trackforge.exe");
}

// The registration's real outcome, whatever it is; the file is in place
// and counted either way.
TEST_F(SetupInstallRun, RegistrationLogsWhatRegsvr32Reported) {
    PutMediumFiles();
    const std::string cmd = "c:/windows/system32\\regsvr32.exe /s ";
    using S = ProcessOutcome::State;
    processes.outcomes[cmd + "VB6STKIT.dll"] = {S::NotStarted, 0};
    processes.outcomes[cmd + "MSVCRT40.dll"] = {S::Exited, 5};
    processes.outcomes[cmd + "COMCAT.dll"] = {S::TimedOut, 0};
    // A library without DllRegisterServer: regsvr32 would only fail on it.
    fs.WriteFile("d:\\medium\\Sonwerk_Projekt.dll", PeImage({"Projektdatei_erstellen"}));
    fs.WriteFile("d:\\medium\\VB6DE.dll", "not a program file");
    Fenster2 &f2 = LoadInstallWindow();
    f2.Installation_ausfuehren();
    const std::string log = f2.LOG_txt.text();
    EXPECT_TRUE(log.starts_with(
        "VB6STKIT.dll wurde nach c:/windows/System32/VB6STKIT.dll kopiert\r\n"
        "VB6STKIT.dll konnte nicht registriert werden! (regsvr32 konnte nicht gestartet "
        "werden)\r\n"
        "MSVCRT40.dll wurde nach c:/windows/System32/MSVCRT40.dll kopiert\r\n"
        "MSVCRT40.dll konnte nicht registriert werden! (regsvr32 endete mit 5)\r\n"
        "COMCAT.dll wurde nach c:/windows/System32/COMCAT.dll kopiert\r\n"
        "COMCAT.dll konnte nicht registriert werden! (regsvr32 hat nach 60 Sekunden nicht "
        "geendet)\r\n"
        "VB6DE.dll wurde nach c:/windows/System32/VB6DE.dll kopiert\r\n"
        "VB6DE.dll enthält keine DllRegisterServer-Funktion und wird nicht registriert\r\n"
        "STDOLE2.tlb wurde nach"));
    EXPECT_NE(log.find("Sonwerk_Projekt.dll kopiert\r\nSonwerk_Projekt.dll enthält keine "
                       "DllRegisterServer-Funktion und wird nicht registriert\r\nTrackforge.exe"),
              std::string::npos);
    EXPECT_EQ(std::count(processes.command_lines.begin(), processes.command_lines.end(),
                         cmd + "Sonwerk_Projekt.dll"),
              0);
    EXPECT_EQ(std::count(processes.command_lines.begin(), processes.command_lines.end(),
                         cmd + "VB6DE.dll"),
              0);
    EXPECT_EQ(log.find(kNotCopied), std::string::npos);
    EXPECT_EQ(f2.Kopiert_Anzahl, 23);
}

TEST_F(SetupInstallRun, RegistrationMatchesLowerCaseEndingsOnly) {
    const std::string x = PeImage({"DllRegisterServer"});
    fs.WriteFile("d:\\medium\\VB6STKIT.dll", x);
    Fenster2 &f2 = LoadInstallWindow();
    f2.Dateien[1] = {"UPPER.DLL", "c:/windows/System32"};
    f2.Dateien[2] = {"ocx", "c:/windows/System32"};
    fs.WriteFile("d:\\medium\\UPPER.DLL", x);
    fs.WriteFile("d:\\medium\\ocx", x);
    for (std::int16_t n = 1; n <= 3; ++n)
        f2.Kopieren(n);
    EXPECT_EQ(processes.command_lines,
              (std::vector<std::string>{"c:/windows/system32\\regsvr32.exe /s VB6STKIT.dll",
                                        "c:/windows/system32\\regsvr32.exe /s ocx"}));
    EXPECT_EQ(f2.Kopiert_Anzahl, 3);
}

TEST_F(SetupInstallRun, NoWindowsFolderInstallsIntoARelativeSystem32) {
    fs.RemoveDrive("c:");
    fs.AddDrive("c:", kDriveFixed);
    PutMediumFiles();
    Fenster2 &f2 = LoadInstallWindow();
    EXPECT_EQ(f2.Windows_Ordner, "");
    EXPECT_EQ(f2.Status_txt.text(), "");
    f2.Installation_ausfuehren();
    EXPECT_TRUE(
        f2.LOG_txt.text().starts_with("VB6STKIT.dll wurde nach System32/VB6STKIT.dll kopiert\r\n"));
    EXPECT_EQ(fs.ReadFile("d:\\medium\\System32\\VB6STKIT.dll"), MediumContent("VB6STKIT.dll"));
    EXPECT_EQ(processes.command_lines.front(), "system32\\regsvr32.exe /s VB6STKIT.dll");
}

TEST_F(SetupInstallRun, WindowsFolderIsLookedUpInOrderAndTheSecondWins) {
    Fenster2 &f2 = LoadInstallWindow();
    EXPECT_EQ(f2.Windows_Ordner, "c:/windows/");
    EXPECT_EQ(f2.Status_txt.text(), "Windows");
    EXPECT_EQ(f2.Dateien[0].Zielordner, "c:/windows/System32");

    fs.MakeFolders("c:\\winnt");
    NewProgram();
    Fenster2 &again = LoadInstallWindow();
    EXPECT_EQ(again.Windows_Ordner, "c:/winnt/");
    EXPECT_EQ(again.Status_txt.text(), "WinNT");
    EXPECT_EQ(again.Dateien[0].Zielordner, "c:/winnt/System32");
    EXPECT_EQ(again.Verzeichnis_txt.caption(), "C:\\Programme\\NOVALUX Trackforge");
}

TEST_F(SetupInstallRun, CreatePathMakesEachMissingLevel) {
    Fenster2 &f2 = LoadInstallWindow();
    fs.ClearCalls();
    f2.CreatePath("C:\\Programme\\NOVALUX Trackforge/Tools");
    std::vector<std::string> created;
    for (const std::string &c : fs.calls())
        if (c.starts_with("CreateFolder("))
            created.push_back(c);
    EXPECT_EQ(created,
              (std::vector<std::string>{"CreateFolder(C:\\Programme\\)",
                                        "CreateFolder(C:\\Programme\\NOVALUX Trackforge/)",
                                        "CreateFolder(C:\\Programme\\NOVALUX Trackforge/Tools)"}));
    EXPECT_TRUE(fs.FolderExists("c:\\programme\\novalux trackforge\\tools"));

    fs.ClearCalls();
    f2.CreatePath("c:/windows/System32");
    f2.CreatePath("");
    EXPECT_EQ(fs.CallCount("CreateFolder"), 0);

    // A folder that cannot be made abandons the entry.
    fs.WriteFile("d:\\medium\\Trackforge.exe", "x");
    fs.RemoveDrive("c:");
    fs.AddDrive("c:", kDriveFixed);
    fs.FailAlways("CreateFolder");
    f2.Kopieren(28);
    EXPECT_EQ(f2.LOG_txt.text(), "Trackforge.exe" + kNotCopied + "\r\n");
    EXPECT_EQ(f2.Kopiert_Anzahl, 0);
}

TEST_F(SetupInstallRun, ShortcutFailureIsLoggedAndTheLogStillSaved) {
    PutMediumFiles();
    shell.shortcut_result = false;
    Fenster2 &f2 = LoadInstallWindow();
    f2.Installation_ausfuehren();
    EXPECT_TRUE(f2.LOG_txt.text().ends_with(
        "Trackforge.exe kopiert\r\n"
        "c:\\Users\\Public\\Desktop\\Trackforge.lnk konnte nicht erstellt werden!\r\n"
        "c:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Trackforge.lnk konnte nicht "
        "erstellt werden!\r\n"));
    EXPECT_EQ(fs.ReadFile(kLogFile), f2.LOG_txt.text());
}

// Neither a link to a program that is not there, nor one at the root of
// the current drive when the shell cannot name its folder.
TEST_F(SetupInstallRun, ShortcutsOnlyToAnInstalledProgramAndIntoResolvedFolders) {
    Fenster2 &f2 = LoadInstallWindow();
    f2.Installation_ausfuehren();
    EXPECT_TRUE(shell.shortcuts.empty());
    EXPECT_TRUE(
        f2.LOG_txt.text().ends_with("Trackforge.lnk wurde nicht angelegt, weil Trackforge.exe "
                                    "fehlt\r\n"));

    PutMediumFiles();
    shell.special_folders.erase(kCsidlCommonPrograms);
    NewProgram();
    EXPECT_EQ(program->Unbeaufsichtigt_installieren(), kVerknuepfungFehlt);
    ASSERT_EQ(shell.shortcuts.size(), 1u);
    EXPECT_EQ(shell.shortcuts[0].link_file, std::string(kPublicDesktop) + "\\Trackforge.lnk");
    EXPECT_FALSE(fs.FileExists("\\Trackforge.lnk"));
}

TEST_F(SetupInstallRun, LogFileFailuresAreSwallowed) {
    PutMediumFiles();
    Fenster2 &f2 = LoadInstallWindow();
    fs.FailAlways("CreateTextFile");
    EXPECT_NO_THROW(f2.Installation_ausfuehren());
    EXPECT_FALSE(fs.FileExists(kLogFile));
    EXPECT_EQ(f2.Kopiert_Anzahl, 23);

    fs.ClearFailures();
    fs.WriteFile(kLogFile, "from an older run");
    fs.SetLocked(kLogFile);
    EXPECT_NO_THROW(f2.Log_TXT_Speichern());
    EXPECT_EQ(fs.ReadFile(kLogFile), "from an older run");
}

TEST_F(SetupInstallRun, UnattendedExitStatusSaysWhatIsNotInPlace) {
    // Runtime files the medium does not carry are no failure.
    fs.WriteFile("d:\\medium\\Trackforge.exe", "program");
    fs.WriteFile("d:\\medium\\Sonwerk_Projekt.dll", "library");
    EXPECT_EQ(program->Unbeaufsichtigt_installieren(), kInstalliert);
    NewProgram();
    EXPECT_EQ(program->Unbeaufsichtigt_installieren(), kInstalliert); // identical now

    // A newer program already there is kept, so this medium's is not in place.
    fs.SetLastModified("C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe", {2030, 1, 1, 0, 0, 0});
    shell.shortcut_result = false;
    NewProgram();
    EXPECT_EQ(program->Unbeaufsichtigt_installieren(), kProgrammFehlt);

    fs.DeleteFile("d:\\medium\\Sonwerk_Projekt.dll");
    fs.DeleteFile("d:\\medium\\Trackforge.exe");
    shell.shortcut_result = true;
    NewProgram();
    EXPECT_EQ(program->Unbeaufsichtigt_installieren(), kProgrammFehlt | kBibliothekFehlt);
}

TEST_F(SetupInstallRun, UnattendedInstallShowsNoWindow) {
    PutMediumFiles();
    EXPECT_EQ(program->Unbeaufsichtigt_installieren(), 0);
    EXPECT_TRUE(windows.events.empty());
    EXPECT_FALSE(windows.ended);
    EXPECT_TRUE(fs.FileExists("C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe"));
    const std::string log = fs.ReadFile(kLogFile);
    EXPECT_TRUE(
        log.starts_with("VB6STKIT.dll wurde nach c:/windows/System32/VB6STKIT.dll kopiert"));
    EXPECT_EQ(shell.shortcuts.size(), 2u);
}

} // namespace
} // namespace tf::setup::test
