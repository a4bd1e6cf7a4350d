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

    void CopyToNewFile(const std::string &source, const std::string &target,
                       const BlockProgress &progress) override {
        if (fault != Fault::BreaksHalfway)
            return FakeFileSystem::CopyToNewFile(source, target, progress);
        const std::string bytes = ReadFile(source);
        WriteFile(target, bytes.substr(0, bytes.size() / 2));
        drive("e:").ready = false;
        throw FsError("device removed", FsFault::Gone);
    }
    bool FilesEqual(const std::string &a, const std::string &b,
                    const BlockProgress &progress) override {
        const bool equal = FakeFileSystem::FilesEqual(a, b, progress);
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
    void SetUp() override {
        fs.WriteFile(kProject, kNewBytes);
        // The offer to eject after a good write is declined unless a test says.
        msg.default_answer = MsgAnswer::No;
    }
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
    ASSERT_EQ(msg.calls.size(), 2u) << "only the emptiness question and the offer to eject";
    EXPECT_EQ(fs.ReadFile("e:\\show.kpf"), kNewBytes);
    EXPECT_TRUE(Leftovers().empty());
    EXPECT_EQ(W().Status2_txt.text(), "Fertig");
    // The copy and the read-back show their figures; the wait the plain text.
    std::erase_if(status_while_busy, [](const std::string &s) { return s.find('%') != s.npos; });
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
    events.on_do_events = [&] {
        busy_rounds += cursor.captured && W().Status2_txt.text() == "Writing Project-file";
    };
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
    card_->ready = true; // put back
    ASSERT_EQ(Leftovers(), std::vector<std::string>{kTempName});
    fs.fault = FlakyCard::Fault::None;
    msg.calls.clear();
    W().Karte_schreiben_Click();
    EXPECT_EQ(msg.calls.size(), 1u) << "the card counts as empty again: " << msg.calls[0].text;
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
    EXPECT_EQ(
        LastMessage().rfind(
            "Die Project-Datei konnte nicht auf die Compact-Flash Karte geschrieben werden.", 0),
        0u);
    EXPECT_EQ(fs.ReadFile("c:\\precious.kpf"), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(fs.HostPath(std::string("e:\\") + kTempName)));
}

struct Breakage {
    FlakyCard::Fault fault;
    const char *cause; // the line the message adds, "" when none
    bool leftover;     // whether it says a part may have stayed
};

class BrokenCopy : public CardWrite, public ::testing::WithParamInterface<Breakage> {};

TEST_P(BrokenCopy, KeepsTheOldFileSaysErrorAndWhy) {
    fs.WriteFile("e:\\show.kpf", "old project");
    PickDrive("e:");
    ChooseProject();
    fs.fault = GetParam().fault;
    int busy_rounds = 0;
    events.on_do_events = [&] {
        busy_rounds +=
            cursor.captured && W().Status2_txt.text() == "Project-Datei wird geschrieben";
    };

    W().Karte_schreiben_Click();
    card_->ready = true; // a pulled card put back
    EXPECT_EQ(fs.ReadFile("e:\\show.kpf"), "old project");
    // A card pulled midway keeps the half copy; the next write removes it.
    EXPECT_EQ(Leftovers().empty(), !GetParam().leftover);
    EXPECT_EQ(W().Status2_txt.text(), "Fehler");
    std::string expected =
        "Die Project-Datei konnte nicht auf die Compact-Flash Karte geschrieben werden.";
    if (*GetParam().cause)
        expected += std::string("\r\n") + GetParam().cause;
    if (GetParam().leftover)
        expected += "\r\nEine unvollständige Kopie (~Trackforge-Kopie.tmp) kann auf der Karte "
                    "geblieben sein. Trackforge entfernt sie beim nächsten Schreiben.";
    EXPECT_EQ(LastMessage(), expected);
    EXPECT_EQ(msg.calls.back().title, "NOVALUX");
    EXPECT_FALSE(cursor.captured);
    EXPECT_EQ(busy_rounds, 0) << "no 20-second wait after a failed copy";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenCopy,
    ::testing::Values(
        Breakage{FlakyCard::Fault::BreaksHalfway,
                 "Die Karte wurde während des Schreibens entfernt.", true},
        Breakage{FlakyCard::Fault::ReadsBackDifferent,
                 "Beim Zurücklesen gab die Karte andere Daten zurück, als geschrieben wurden. Die "
                 "Karte ist vielleicht beschädigt.",
                 false},
        Breakage{FlakyCard::Fault::RenameFails, "", false}));

TEST_F(CardWrite, ACardFullMidwayAndAFailingReadBackAreToldInTheWindowsLanguage) {
    PickDrive("e:");
    ChooseProject();
    English();
    fs.fail_when = [](const std::string &member, const std::string &) {
        if (member == "CopyToNewFile")
            throw FsError("disk full", FsFault::Full);
        return false;
    };
    W().Karte_schreiben_Click();
    EXPECT_EQ(LastMessage(),
              "The project file could not be written to the CF card.\r\nThere is no space left "
              "on the card.");
    fs.fail_when = [](const std::string &member, const std::string &) {
        return member == "FilesEqual";
    };
    W().Karte_schreiben_Click();
    EXPECT_EQ(LastMessage(), "The project file could not be written to the CF card.\r\nThe card "
                             "could not be read back.");
    EXPECT_TRUE(Leftovers().empty());
}

// A project file of several blocks: the copy and its read-back report each
// block, the window takes its messages between them, and the free-space box
// has the card's figure after the write.
TEST_F(CardWrite, CopyAndReadBackShowRisingFiguresAndTheFreeSpaceFollows) {
    const std::size_t size = 5 * fake::FakeFileSystem::kBlockBytes + 123;
    fs.WriteFile(kProject, std::string(size, 'p'));
    PickDrive("e:");
    ChooseProject();
    const std::string free_before = W().CF_Größe_txt.text();
    std::vector<std::string> seen;
    events.on_do_events = [&] {
        if (seen.empty() || seen.back() != W().Status2_txt.text())
            seen.push_back(W().Status2_txt.text());
    };
    msg.answers = {MsgAnswer::No};
    W().Karte_schreiben_Click();
    auto starting = [&](const std::string &prefix) {
        std::vector<std::string> out;
        for (const std::string &s : seen)
            if (s.rfind(prefix, 0) == 0)
                out.push_back(s);
        return out;
    };
    // The clock moves a second per event round, so every block is shown.
    const auto writing = starting("Project-Datei wird geschrieben \u2026 ");
    const auto verifying = starting("Project-Datei wird geprüft \u2026 ");
    ASSERT_EQ(writing.size(), 6u);
    EXPECT_EQ(writing[0], "Project-Datei wird geschrieben \u2026 19 % (1 von 5 MB)");
    EXPECT_EQ(writing[1], "Project-Datei wird geschrieben \u2026 39 % (2 von 5 MB, 2,1 MB/s, "
                          "noch 2 s)");
    EXPECT_EQ(writing[5], "Project-Datei wird geschrieben \u2026 100 % (5 von 5 MB, 1,0 MB/s, "
                          "noch 0 s)");
    EXPECT_EQ(verifying.size(), 6u);
    EXPECT_EQ(W().Status2_txt.text(), "Fertig");
    EXPECT_EQ(W().CF_Größe_txt.text(), "119.880 kByte");
    EXPECT_NE(W().CF_Größe_txt.text(), free_before);
}

TEST_F(CardWrite, AfterAVerifiedWriteTheCardIsOfferedForEjectOnce) {
    PickDrive("e:");
    ChooseProject();
    struct Case {
        FileSystem::EjectResult result;
        const char *told;
    };
    for (const Case &c :
         {Case{FileSystem::EjectResult::Ejected,
               "Die Karte wurde ausgeworfen und kann jetzt entnommen werden."},
          Case{FileSystem::EjectResult::InUse,
               "Die Karte konnte nicht ausgeworfen werden: Ein anderes Programm oder Fenster "
               "benutzt sie noch. Sie bleibt eingebunden; bitte schließen Sie es und versuchen Sie "
               "es noch einmal."},
          Case{FileSystem::EjectResult::Failed,
               "Die Karte konnte nicht ausgeworfen werden. Bitte werfen Sie sie über \"Hardware "
               "sicher entfernen\" aus, bevor Sie sie entnehmen."}}) {
        card_->ready = true;
        if (fs.FileExists("e:\\show.kpf"))
            fs.DeleteFile("e:\\show.kpf");
        card_->eject_result = c.result;
        msg.calls.clear();
        msg.answers = {MsgAnswer::Yes};
        W().Karte_schreiben_Click();
        ASSERT_EQ(msg.calls.size(), 2u);
        EXPECT_EQ(msg.calls[0].text,
                  "Die Karte kann jetzt sicher entfernt werden. Soll Trackforge sie auswerfen?");
        EXPECT_EQ(msg.calls[0].buttons, MsgButtons::YesNo);
        EXPECT_EQ(msg.calls[0].title, "NOVALUX");
        EXPECT_EQ(msg.calls[1].text, c.told);
        EXPECT_EQ(card_->ready, c.result != FileSystem::EjectResult::Ejected);
    }
    // No leaves the card as it is; a failed write offers nothing.
    card_->ready = true;
    msg.calls.clear();
    msg.answers = {MsgAnswer::No};
    W().Karte_schreiben_Click();
    EXPECT_EQ(msg.calls.size(), 1u);
    EXPECT_TRUE(card_->ready);
    fs.DeleteFile("e:\\show.kpf");
    fs.fault = FlakyCard::Fault::ReadsBackDifferent;
    msg.calls.clear();
    W().Karte_schreiben_Click();
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(fs.CallCount("EjectMedium"), 3);
}

// The user's close during the copy waits for its end: the file is complete
// and reported so before the window goes.
TEST_F(CardWrite, AClosedWindowWaitsForTheCopyAndThenCloses) {
    fs.WriteFile(kProject, std::string(3 * fake::FakeFileSystem::kBlockBytes, 'p'));
    windows.Show(W());
    PickDrive("e:");
    ChooseProject();
    bool asked = false;
    std::string status_at_unload;
    events.on_do_events = [&] {
        if (!asked && cursor.captured) {
            asked = true;
            windows.CloseBox(W());
            EXPECT_FALSE(fs.FileExists("e:\\show.kpf")) << "the close did not wait";
        }
    };
    W().Karte_schreiben_Click();
    EXPECT_EQ(fs.ReadFile("e:\\show.kpf"), std::string(3 * fake::FakeFileSystem::kBlockBytes, 'p'));
    EXPECT_EQ(W().Status2_txt.text(), "Fertig");
    EXPECT_EQ(windows.Handle(W()), 0u) << "closed once the write had ended";
    EXPECT_TRUE(msg.calls.empty()) << "no eject offer to a window being closed";
    EXPECT_LT(clock.seconds, 20.0) << "the 20-second wait ends with the close";
}

} // namespace
} // namespace tf
