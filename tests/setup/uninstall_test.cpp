// The installer's place in Windows: its uninstall entry and the library's
// shared count, and uninstalling again, asked and silent.

#include "setup/deinstallation.h"
#include "setup_test_support.h"

namespace tf::setup::test {
namespace {

const std::string kKey = kDeinstallationsSchluessel;
const std::string kShared = kSharedDllsSchluessel;
const std::string kLibrary = "c:\\windows\\System32\\Sonwerk_Projekt.dll";
const std::string kFolder = "C:\\Programme\\NOVALUX Trackforge";

class SetupUninstall : public SetupMachine {
  protected:
    void Install() {
        NewProgram();
        ASSERT_EQ(program->Unbeaufsichtigt_installieren(), kInstalliert);
    }
    int Uninstall(bool silent) {
        SetupServices s{
            fs, clock, events, processes, shell, windows, boxes, registry, kFolder + "\\Setup.exe"};
        Deinstallation d(s, Language::German); // unless the entry says otherwise
        const int status = d.Ausfuehren(silent);
        left = d.Verblieben;
        return status;
    }
    std::uint32_t Count() { return registry.ReadDword(kShared, kLibrary).value_or(0); }
    std::vector<std::string> left;
};

TEST_F(SetupUninstall, InstallWritesTheEntryAndCountsTheLibraryOnce) {
    PutMediumFiles();
    Install();
    EXPECT_EQ(registry.ReadString(kKey, "DisplayName"), "Trackforge");
    EXPECT_EQ(registry.ReadString(kKey, "Publisher"), "NOVALUX");
    EXPECT_EQ(registry.ReadString(kKey, "InstallLocation"), kFolder);
    EXPECT_EQ(registry.ReadString(kKey, "DisplayIcon"), kFolder + "\\Trackforge.exe,0");
    EXPECT_EQ(registry.ReadString(kKey, "UninstallString"),
              "\"" + kFolder + "\\Setup.exe\" /uninstall");
    EXPECT_EQ(registry.ReadString(kKey, "QuietUninstallString"),
              "\"" + kFolder + "\\Setup.exe\" /uninstall /S");
    EXPECT_TRUE(registry.ReadString(kKey, "DisplayVersion").has_value());
    EXPECT_EQ(registry.ReadDword(kKey, "EstimatedSize"), 1u); // a few hundred bytes, rounded up
    // The uninstaller stays behind in the program folder.
    EXPECT_EQ(fs.ReadFile(kFolder + "\\Setup.exe"), "the installer");
    EXPECT_EQ(Count(), 1u);

    // Running Setup again does not count twice, nor once another program counts too.
    Install();
    EXPECT_EQ(Count(), 1u);
    registry.WriteDword(kShared, kLibrary, 2);
    Install();
    EXPECT_EQ(Count(), 2u);
}

TEST_F(SetupUninstall, AnEntryThatCannotBeWrittenIsReported) {
    PutMediumFiles();
    registry.refused_prefix = kKey;
    NewProgram();
    EXPECT_EQ(program->Unbeaufsichtigt_installieren(), kEintragFehlt);
    EXPECT_TRUE(fs.ReadFile(kLogFile).ends_with(
        "Trackforge konnte nicht unter Programme und Features eingetragen werden!\r\n"));
}

TEST_F(SetupUninstall, SilentUninstallRemovesWhatWasInstalledAndKeepsTheSettings) {
    PutMediumFiles();
    Install();
    fs.WriteFile(kFolder + "\\Trackforge.kps", "settings");
    EXPECT_EQ(Uninstall(/*silent=*/true), kEntfernt) << ::testing::PrintToString(left);
    EXPECT_TRUE(boxes.calls.empty());
    for (const std::string &gone : {kFolder + "\\Trackforge.exe", kFolder + "\\Setup.exe",
                                    std::string(kLogFile), kFolder + "\\Tools\\cdex_140_deu.zip",
                                    kLibrary, std::string(kPublicDesktop) + "\\Trackforge.lnk",
                                    std::string(kStartMenu) + "\\Trackforge.lnk"})
        EXPECT_FALSE(fs.FileExists(gone)) << gone;
    EXPECT_FALSE(fs.FolderExists(kFolder + "\\Tools"));
    EXPECT_EQ(fs.ReadFile(kFolder + "\\Trackforge.kps"), "settings");
    // The runtime files other programs share stay.
    EXPECT_TRUE(fs.FileExists("c:\\windows\\System32\\OLEAUT32.dll"));
    EXPECT_FALSE(registry.KeyExists(kKey));
    EXPECT_FALSE(registry.ReadDword(kShared, kLibrary).has_value());

    // With the settings gone too, so is the folder.
    fs.DeleteFile(kFolder + "\\Trackforge.kps");
    Install();
    EXPECT_EQ(Uninstall(true), kEntfernt);
    EXPECT_FALSE(fs.FolderExists(kFolder));
}

TEST_F(SetupUninstall, ALibraryAnotherProgramCountsOnStays) {
    PutMediumFiles();
    registry.WriteDword(kShared, kLibrary, 1); // installed and counted by someone else
    Install();
    EXPECT_EQ(Count(), 2u);
    EXPECT_EQ(Uninstall(true), kEntfernt);
    EXPECT_TRUE(fs.FileExists(kLibrary));
    EXPECT_EQ(Count(), 1u);

    // A library this install never counted is not its to remove.
    registry.keys.clear();
    Install();
    registry.DeleteValue(kKey, "TrackforgeSharedDll");
    EXPECT_EQ(Uninstall(true), kEntfernt);
    EXPECT_TRUE(fs.FileExists(kLibrary));
}

TEST_F(SetupUninstall, WhatCannotBeRemovedIsNamedAndTheEntryStaysForAnotherTry) {
    PutMediumFiles();
    Install();
    fs.SetLocked(kFolder + "\\Trackforge.exe"); // still running
    EXPECT_EQ(Uninstall(true), kEtwasBlieb);
    EXPECT_EQ(left, std::vector<std::string>{kFolder + "\\Trackforge.exe"});
    EXPECT_TRUE(registry.KeyExists(kKey));
    EXPECT_FALSE(fs.FileExists(kLibrary));

    // Once closed, uninstalling again finishes without counting twice.
    registry.WriteDword(kShared, kLibrary, 1); // someone else's count meanwhile
    fs.SetLocked(kFolder + "\\Trackforge.exe", false);
    EXPECT_EQ(Uninstall(true), kEntfernt);
    EXPECT_EQ(Count(), 1u);
    EXPECT_FALSE(registry.KeyExists(kKey));
}

TEST_F(SetupUninstall, InteractiveAsksOnceInTheInstallersLanguage) {
    PutMediumFiles();
    NewProgram();
    program->fenster1.Form_Load();
    program->fenster1.Englisch.Click();
    program->fenster2.Form_Load();
    program->fenster2.Installation_ausfuehren();

    boxes.answers = {MsgAnswer::No};
    EXPECT_EQ(Uninstall(false), kAbgebrochen);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(boxes.calls[0].text.starts_with("Do you want to remove Trackforge"));
    EXPECT_TRUE(fs.FileExists(kFolder + "\\Trackforge.exe"));

    boxes.calls.clear();
    boxes.answers = {MsgAnswer::Yes};
    EXPECT_EQ(Uninstall(false), kEntfernt);
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[1].text, "Trackforge has been removed.");
    EXPECT_FALSE(fs.FileExists(kFolder + "\\Trackforge.exe"));
}

} // namespace
} // namespace tf::setup::test
