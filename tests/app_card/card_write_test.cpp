// Choosing the project file and writing it onto the card.

#include "support/main_window_fixture.h"

#include <filesystem>

namespace tf {
namespace {

constexpr std::uint64_t KiB = 1024;

// A card that can break the way real ones do: pulled out in the middle of a
// copy, or giving back other bytes than were written.
class FlakyCard : public fake::FakeFileSystem {
  public:
    enum class Fault { None, BreaksHalfway, ReadsBackDifferent, RenameFails };
    Fault fault = Fault::None;

    void CopyToNewFile(const std::string &source, const std::string &target) override {
        if (fault != Fault::BreaksHalfway)
            return FakeFileSystem::CopyToNewFile(source, target);
        const std::string bytes = ReadFile(source);
        WriteFile(target, bytes.substr(0, bytes.size() / 2));
        throw FsError("device removed");
    }
    bool FilesEqual(const std::string &a, const std::string &b) override {
        const bool equal = FakeFileSystem::FilesEqual(a, b);
        return fault == Fault::ReadsBackDifferent ? false : equal;
    }
    void MoveFile(const std::string &from, const std::string &to) override {
        if (fault == Fault::RenameFails)
            throw FsError("access denied");
        FakeFileSystem::MoveFile(from, to);
    }
};

class CardWrite : public testing::CardTest<FlakyCard> {
  protected:
    void SetUp() override { fs.WriteFile(kProject, kNewBytes); }
    void ChooseProject(const std::string &path = kProject) {
        dialogs.answers.push_back(path);
        W().Ziel_Projekt_Button_2_Click();
    }
    // The card's root without the project file: what else the write left behind.
    std::vector<std::string> Leftovers() {
        std::vector<std::string> names = fs.ListFiles("e:\\");
        std::erase(names, "show.kpf");
        return names;
    }

    static constexpr const char *kProject = "c:\\Shows\\show.kpf";
    static constexpr const char *kTempName = "~Trackforge-Kopie.tmp";
    const std::string kNewBytes = std::string(5000, 'N');
};

TEST_F(CardWrite, ChoosingTheProjectFileFillsPathAndSize) {
    fs.WriteFile(kProject, std::string(1541 * KiB, 'x'));
    ChooseProject();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filter, "Projekt-Datei (*.kpf)|*.kpf|");
    EXPECT_EQ(dialogs.requests[0].flags, 4);
    EXPECT_FALSE(dialogs.requests[0].save);
    EXPECT_EQ(W().Ziel_Projekt_Pfad, kProject);
    EXPECT_EQ(W().Ziel_Projekt_txt_2.text(), kProject);
    EXPECT_EQ(W().Projekt_Größe_txt.text(), "1.541 kByte");

    dialogs.answers.push_back(""); // cancel
    W().Ziel_Projekt_Button_2_Click();
    EXPECT_EQ(W().Ziel_Projekt_Pfad, kProject);
    EXPECT_EQ(W().Ziel_Projekt_txt_2.text(), kProject);
    EXPECT_EQ(W().Projekt_Größe_txt.text(), "1.541 kByte");
    EXPECT_TRUE(msg.calls.empty());
}

TEST_F(CardWrite, ReplacesAnOlderFileAfterTheQuestionAndWaitsWithTheWritingText) {
    fs.WriteFile("e:\\show.kpf", "old project");
    card_->available_bytes = 124000 * KiB;
    PickDrive("e:");
    ChooseProject();
    std::vector<std::string> status_while_busy;
    events.on_do_events = [&] {
        if (cursor.captured)
            status_while_busy.push_back(W().Status2_txt.text());
    };
    msg.answers = {MsgAnswer::Yes};

    W().Karte_schreiben_Click();
    ASSERT_EQ(msg.calls.size(), 1u) << "only the emptiness question";
    EXPECT_EQ(fs.ReadFile("e:\\show.kpf"), kNewBytes);
    EXPECT_TRUE(Leftovers().empty());
    EXPECT_EQ(W().Status2_txt.text(), "Fertig");
    EXPECT_EQ(status_while_busy.size(), 20u) << "one second per event round";
    for (const std::string &s : status_while_busy)
        EXPECT_EQ(s, "Project-Datei wird geschrieben");
    EXPECT_FALSE(cursor.captured);
    EXPECT_EQ(W().File1.items(), std::vector<std::string>{"show.kpf"});
}

TEST_F(CardWrite, TheWaitRunsItsTwentySecondsAcrossMidnight) {
    PickDrive("e:");
    ChooseProject();
    English();
    clock.SetTime(23, 59, 50);
    int busy_rounds = 0;
    events.on_do_events = [&] { busy_rounds += cursor.captured ? 1 : 0; };
    W().Karte_schreiben_Click();
    EXPECT_EQ(W().Status2_txt.text(), "Completed");
    EXPECT_EQ(busy_rounds, 20);
    EXPECT_GE(clock.seconds, 10.0);
    EXPECT_LT(clock.seconds, 15.0);
}

TEST_F(CardWrite, NoDriveChosenIsToldAndMarkedAsError) {
    ChooseProject();
    for (const std::string &drive : {std::string(), std::string(42, ' ')}) {
        msg.calls.clear();
        W().CF_Laufwerk = drive;
        W().Status2_txt.set_text("Fertig");
        W().Karte_schreiben_Click();
        ASSERT_EQ(msg.calls.size(), 1u);
        EXPECT_EQ(msg.calls[0].text, "Bitte wählen Sie zuerst ein Laufwerk aus.");
        EXPECT_EQ(msg.calls[0].title, "NOVALUX");
        EXPECT_EQ(W().Status2_txt.text(), "Fehler");
    }
    EXPECT_EQ(fs.CallCount("CopyToNewFile"), 0);
}

TEST_F(CardWrite, EmptyOrMissingProjectFileIsToldAndMarkedAsError) {
    PickDrive("e:");
    W().Karte_schreiben_Click();
    EXPECT_EQ(LastMessage(), "Bitte wählen Sie zuerst eine Project-Datei aus.");
    EXPECT_EQ(W().Status2_txt.text(), "Fehler");

    English();
    W().Ziel_Projekt_txt_2.set_text("c:\\Shows\\gone.kpf");
    W().Karte_schreiben_Click();
    EXPECT_EQ(LastMessage(), "The project file could not be found.");
    EXPECT_EQ(W().Status2_txt.text(), "Error");
    EXPECT_EQ(fs.CallCount("CopyToNewFile"), 0);
    EXPECT_TRUE(cursor.calls.empty());
}

TEST_F(CardWrite, CardPulledBeforeTheReadinessTestIsNotReady) {
    PickDrive("e:");
    ChooseProject();
    card_->ready = false;
    W().Karte_schreiben_Click();
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(msg.calls[0].text, "Laufwerk ist nicht bereit zum Datenaustausch.");
    EXPECT_EQ(W().Status2_txt.text(), "Fehler");
    EXPECT_TRUE(cursor.calls.empty());
}

TEST_F(CardWrite, CardInUseAndAnswerNoWritesNothing) {
    fs.WriteFile("e:\\other.kpf", "x");
    card_->available_bytes = 100 * KiB;
    PickDrive("e:");
    ChooseProject();
    W().Status2_txt.set_text("before");
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Cancel}) {
        msg.calls.clear();
        msg.answers = {answer};
        W().Karte_schreiben_Click();
        EXPECT_EQ(msg.calls.size(), 1u);
    }
    EXPECT_FALSE(fs.FileExists("e:\\show.kpf"));
    EXPECT_EQ(W().Status2_txt.text(), "before");
}

TEST_F(CardWrite, TooLittleRoomWritesNothing) {
    fs.WriteFile(kProject, std::string(2000 * KiB, 'x'));
    card_->total_bytes = 60000 * KiB;
    card_->available_bytes = 1999 * KiB;
    PickDrive("e:");
    ChooseProject();
    msg.answers = {MsgAnswer::Yes};
    W().Karte_schreiben_Click();
    EXPECT_EQ(LastMessage(), "Es ist nicht genügend Speicherplatz auf dem Datenträger vorhanden!");
    EXPECT_FALSE(fs.FileExists("e:\\show.kpf"));
    EXPECT_EQ(fs.CallCount("CopyToNewFile"), 0);
}

TEST_F(CardWrite, ALeftoverCopyGoesBeforeTheEmptinessTestAndALinkOfItsNameStays) {
    PickDrive("e:");
    ChooseProject();
    fs.fault = FlakyCard::Fault::BreaksHalfway;
    W().Karte_schreiben_Click();
    ASSERT_EQ(Leftovers(), std::vector<std::string>{kTempName});
    fs.fault = FlakyCard::Fault::None;
    msg.calls.clear();
    W().Karte_schreiben_Click();
    EXPECT_TRUE(msg.calls.empty()) << "the card counts as empty again: " << LastMessage();
    EXPECT_EQ(fs.ReadFile("e:\\show.kpf"), kNewBytes);
    EXPECT_TRUE(Leftovers().empty());

    // A link under that name is neither removed nor written through.
    fs.WriteFile("c:\\precious.kpf", "precious");
    std::error_code ec;
    std::filesystem::create_symlink(fs.HostPath("c:\\precious.kpf"),
                                    fs.HostPath(std::string("e:\\") + kTempName), ec);
    if (ec)
        GTEST_SKIP() << "the host cannot make links here: " << ec.message();
    msg.answers = {MsgAnswer::Yes};
    W().Karte_schreiben_Click();
    EXPECT_EQ(LastMessage(),
              "Die Project-Datei konnte nicht auf die Compact-Flash Karte geschrieben werden.");
    EXPECT_EQ(fs.ReadFile("c:\\precious.kpf"), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(fs.HostPath(std::string("e:\\") + kTempName)));
}

class BrokenCopy : public CardWrite, public ::testing::WithParamInterface<FlakyCard::Fault> {};

TEST_P(BrokenCopy, KeepsTheOldFileLeavesNoTraceAndSaysError) {
    fs.WriteFile("e:\\show.kpf", "old project");
    PickDrive("e:");
    ChooseProject();
    fs.fault = GetParam();
    int busy_rounds = 0;
    events.on_do_events = [&] { busy_rounds += cursor.captured ? 1 : 0; };

    W().Karte_schreiben_Click();
    EXPECT_EQ(fs.ReadFile("e:\\show.kpf"), "old project");
    // A card pulled midway keeps the half copy; the next write removes it.
    if (GetParam() != FlakyCard::Fault::BreaksHalfway) {
        EXPECT_TRUE(Leftovers().empty()) << Leftovers().front();
    }
    EXPECT_EQ(W().Status2_txt.text(), "Fehler");
    EXPECT_EQ(LastMessage(),
              "Die Project-Datei konnte nicht auf die Compact-Flash Karte geschrieben werden.");
    EXPECT_EQ(msg.calls.back().title, "NOVALUX");
    EXPECT_FALSE(cursor.captured);
    EXPECT_EQ(busy_rounds, 0) << "no 20-second wait after a failed copy";
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenCopy,
                         ::testing::Values(FlakyCard::Fault::BreaksHalfway,
                                           FlakyCard::Fault::ReadsBackDifferent,
                                           FlakyCard::Fault::RenameFails));

} // namespace
} // namespace tf
