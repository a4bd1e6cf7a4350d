// Clearing the card: the question, what goes, and what must stay.

#include "support/main_window_fixture.h"

#include <algorithm>

namespace tf {
namespace {

constexpr std::uint64_t KiB = 1024;

class CardClear : public testing::CardTest<> {
  protected:
    CardClear() { card_->available_bytes = 1000 * KiB; }
    void FillCard() {
        fs.WriteFile("e:\\show.kpf", "x");
        fs.WriteFile("e:\\README", "no extension");
        fs.WriteFile("e:\\locked.txt", "read-only");
        fs.SetReadOnly("e:\\locked.txt");
        fs.WriteFile("e:\\Archiv\\2003\\old.kpf", "x");
        fs.SetReadOnly("e:\\Archiv\\2003\\old.kpf");
        fs.SetReadOnly("e:\\Archiv");
    }
    bool CardEmpty() { return fs.ListFiles("e:\\").empty() && fs.ListFolders("e:\\").empty(); }
};

TEST_F(CardClear, NoDriveChosenAsksForOne) {
    W().Karte_löschen_Click();
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(msg.calls[0].text, "Bitte wählen Sie zuerst ein Laufwerk aus.");
    EXPECT_EQ(msg.calls[0].title, "NOVALUX");
    English();
    W().Karte_löschen_Click();
    EXPECT_EQ(LastMessage(), "Please select a drive first.");
}

TEST_F(CardClear, RefusedDriveEndsSilently) {
    FillCard();
    W().CF_Laufwerk = std::string(42, ' ');
    W().Karte_löschen_Click();
    EXPECT_TRUE(msg.calls.empty());
    EXPECT_TRUE(fs.FileExists("e:\\show.kpf"));
}

TEST_F(CardClear, QuestionNamesTheDriveInUpperCaseAndNoKeepsEverything) {
    FillCard();
    PickDrive("e:");
    W().CF_Größe_txt.set_text("unchanged");
    msg.answers = {MsgAnswer::No, MsgAnswer::No};
    W().Karte_löschen_Click();
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(msg.calls[0].text,
              "Sind Sie sicher, daß Sie alle Daten auf Laufwerk 'E:' löschen wollen ?");
    EXPECT_EQ(msg.calls[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(msg.calls[0].title, "NOVALUX");
    // Enter must keep the data: No is the default, under the warning sign.
    EXPECT_EQ(msg.calls[0].default_button, MsgDefault::Second);
    EXPECT_EQ(msg.calls[0].icon, MsgIcon::Exclamation);
    English();
    W().Karte_löschen_Click();
    EXPECT_EQ(LastMessage(), "Are you sure to delete all data on drive 'E:'?");
    EXPECT_TRUE(fs.FileExists("e:\\show.kpf"));
    EXPECT_TRUE(fs.FileExists("e:\\Archiv\\2003\\old.kpf"));
    EXPECT_EQ(W().CF_Größe_txt.text(), "unchanged");
}

TEST_F(CardClear, YesRemovesFilesAndFoldersReadOnlyIncluded) {
    FillCard();
    PickDrive("e:");
    W().CF_Größe_txt.set_text("");
    msg.answers = {MsgAnswer::Yes};
    W().Karte_löschen_Click();
    EXPECT_EQ(msg.calls.size(), 1u);
    EXPECT_TRUE(CardEmpty());
    EXPECT_TRUE(W().File1.items().empty());
    EXPECT_EQ(W().Dir1.items().size(), 1u) << "only the root is left";
    EXPECT_EQ(W().CF_Größe_txt.text(), "1.000 kByte");
}

TEST_F(CardClear, CardWithOnlyFoldersOrNothingIsFine) {
    fs.WriteFile("e:\\A\\B\\c.kpf", "x");
    PickDrive("e:");
    msg.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    W().Karte_löschen_Click();
    EXPECT_TRUE(CardEmpty());
    W().CF_Größe_txt.set_text("");
    W().Karte_löschen_Click();
    EXPECT_EQ(msg.calls.size(), 2u) << "no message for an empty card";
    EXPECT_FALSE(W().CF_Größe_txt.text().empty());
}

// Only a removable drive is cleared: every other kind the system reports, and
// a code it may add later, is warned about and left as it is.
TEST_F(CardClear, EveryDriveThatIsNotRemovableNowIsWarnedAndUntouched) {
    const struct {
        int type;
        const char *kind;
    } kinds[] = {{kDriveFixed, "fixed disk"},     {kDriveNetwork, "network drive"},
                 {kDriveCdRom, "CD-ROM drive"},   {kDriveRamDisk, "RAM disk"},
                 {kDriveUnknown, "unknown kind"}, {9, "a code beyond the table"}};
    for (const auto &k : kinds) {
        msg.calls.clear();
        fs.drive("e:").type = k.type;
        fs.WriteFile("e:\\show.kpf", "x");
        fs.WriteFile("e:\\Archiv\\old.kpf", "x");
        W().CF_Laufwerk = "e:"; // e.g. restored from the settings file without a test
        W().CF_Größe_txt.set_text("");
        msg.answers = {MsgAnswer::Yes};
        W().Karte_löschen_Click();
        ASSERT_EQ(msg.calls.size(), 2u) << k.kind;
        EXPECT_EQ(msg.calls[1].text, "Das Laufwerk ist kein Wechseldatenträger!") << k.kind;
        EXPECT_EQ(msg.calls[1].icon, MsgIcon::Exclamation) << k.kind;
        EXPECT_TRUE(fs.FileExists("e:\\show.kpf")) << k.kind;
        EXPECT_TRUE(fs.FileExists("e:\\Archiv\\old.kpf")) << k.kind;
        EXPECT_EQ(W().CF_Größe_txt.text(), "1.000 kByte") << k.kind;
    }
    EXPECT_EQ(fs.CallCount("DeleteFile") + fs.CallCount("DeleteFolder"), 0);
}

TEST_F(CardClear, OnlyAPlainDriveNameIsCleared) {
    fs.WriteFile("e:\\keep.kpf", "x");
    fs.WriteFile("e:\\Sub\\inner.kpf", "x");
    W().CF_Laufwerk = "E:\\Sub";
    msg.answers = {MsgAnswer::Yes};
    W().Karte_löschen_Click();
    EXPECT_EQ(LastMessage(), "Bitte wählen Sie zuerst ein Laufwerk aus.");
    EXPECT_TRUE(fs.FileExists("e:\\Sub\\inner.kpf"));
    EXPECT_EQ(fs.CallCount("DeleteFile") + fs.CallCount("DeleteFolder"), 0);
}

TEST_F(CardClear, FailingDeletionStopsQuietlyAndStillUpdates) {
    fs.WriteFile("e:\\a.kpf", "x");
    fs.WriteFile("e:\\Folder\\b.kpf", "x");
    fs.SetLocked("e:\\a.kpf");
    PickDrive("e:");
    W().CF_Größe_txt.set_text("");
    msg.answers = {MsgAnswer::Yes};
    W().Karte_löschen_Click();
    EXPECT_EQ(msg.calls.size(), 1u);
    EXPECT_TRUE(fs.FolderExists("e:\\Folder")) << "the folders are skipped after a failure";
    EXPECT_FALSE(W().CF_Größe_txt.text().empty());
}

TEST_F(CardClear, ListsInsideAClearedFolderGoBackToTheRoot) {
    FillCard();
    PickDrive("e:");
    const auto &dirs = W().Dir1.items();
    const auto archiv = std::find(dirs.begin(), dirs.end(), "Archiv");
    ASSERT_NE(archiv, dirs.end());
    W().Dir1.OpenFromUser(static_cast<int>(archiv - dirs.begin()));
    ASSERT_EQ(W().File1.path(), "e:\\Archiv");
    W().CF_Größe_txt.set_text("");
    msg.answers = {MsgAnswer::Yes};
    W().Karte_löschen_Click();
    EXPECT_TRUE(CardEmpty());
    EXPECT_EQ(msg.calls.size(), 1u) << "a successful clear is not reported as a drive failure";
    EXPECT_EQ(W().Dir1.path(), "e:\\");
    EXPECT_EQ(W().File1.path(), "e:\\");
    EXPECT_EQ(W().Dir1.items(), std::vector<std::string>{"e:\\"});
    EXPECT_FALSE(W().CF_Größe_txt.text().empty());
}

TEST_F(CardClear, CardPulledAfterDeletionLeavesAUsableWindow) {
    fs.WriteFile("e:\\a.kpf", "x");
    PickDrive("e:");
    msg.answers = {MsgAnswer::Yes};
    fs.fail_when = [&](const std::string &member, const std::string &) {
        return member == "AvailableSpace" && fs.CallCount("DeleteFile") > 0;
    };
    W().Karte_löschen_Click();
    EXPECT_FALSE(fs.FileExists("e:\\a.kpf"));
    EXPECT_EQ(LastMessage(), "Laufwerk ist nicht bereit zum Datenaustausch.");
}

} // namespace
} // namespace tf
