// Choosing the card drive and the drive and file queries in kB.

#include "platform/trace_log.h"
#include "support/main_window_fixture.h"

#include "platform/trace_log.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <vector>

namespace tf {
namespace {

using testing::MainWindowTest;
constexpr std::uint64_t KiB = 1024;

const char *kSizeMessageDriveGerman =
    "Die Compact-Flash-Karte ist nicht für den Betrieb mit dem Tarvolin Audio geeignet!\r\n"
    "Bitte verwenden Sie CF-Karten mit 64, 128, 256 oder 512 MB.";
const char *kSizeMessageWriteGerman =
    "Die Compact Flash Karte ist nicht für den Betrieb mit dem Tarvolin Audio geeignet!\r\n"
    "Bitte verwenden Sie CF-Karten mit 64, 128, 256 oder 512 MB.";

struct SizeCase {
    std::int32_t total_kb;
    bool fits;
};

class CardSizeRange : public MainWindowTest<>, public ::testing::WithParamInterface<SizeCase> {};

// The drive test only warns; the write refuses. Each has its own wording.
TEST_P(CardSizeRange, DriveTestWarnsAndWriteRefusesOutsideTheRange) {
    const SizeCase c = GetParam();
    fs.AddDrive("c:", kDriveFixed);
    fs.WriteFile("c:\\work\\show.kpf", std::string(3000, 'x'));
    auto &card = fs.AddDrive("e:", kDriveRemovable);
    card.total_bytes = card.available_bytes = static_cast<std::uint64_t>(c.total_kb) * KiB;

    PickDrive("e:");
    EXPECT_EQ(W().CF_Laufwerk, "e:");
    if (c.fits) {
        EXPECT_TRUE(msg.calls.empty()) << LastMessage();
    } else {
        ASSERT_EQ(msg.calls.size(), 1u);
        EXPECT_EQ(msg.calls[0].text, kSizeMessageDriveGerman);
        EXPECT_EQ(msg.calls[0].title, "NOVALUX");
        EXPECT_EQ(msg.calls[0].buttons, MsgButtons::Ok);
    }
    EXPECT_FALSE(W().CF_Größe_txt.text().empty()) << "a card outside the range is still taken";

    msg.calls.clear();
    msg.default_answer = MsgAnswer::No; // the offer to eject after a good write
    W().Ziel_Projekt_txt_2.set_text("c:\\work\\show.kpf");
    W().Karte_schreiben_Click();
    EXPECT_EQ(fs.FileExists("e:\\show.kpf"), c.fits);
    if (c.fits) {
        EXPECT_EQ(W().Status2_txt.text(), "Fertig");
        ASSERT_EQ(msg.calls.size(), 1u) << LastMessage();
        EXPECT_EQ(msg.calls[0].buttons, MsgButtons::YesNo) << "only the offer to eject";
    } else {
        ASSERT_EQ(msg.calls.size(), 1u);
        EXPECT_EQ(msg.calls[0].text, kSizeMessageWriteGerman);
        EXPECT_EQ(msg.calls[0].title, "NOVALUX");
    }
}

INSTANTIATE_TEST_SUITE_P(Boundaries, CardSizeRange,
                         ::testing::Values(SizeCase{59999, false}, SizeCase{60000, true},
                                           SizeCase{1100000, true}, SizeCase{1100001, false}));

using DriveChecks = MainWindowTest<>;

TEST_F(DriveChecks, EnglishSizeMessagesKeepTheirOwnWording) {
    fs.AddDrive("c:", kDriveFixed);
    fs.WriteFile("c:\\show.kpf", "x");
    fs.AddDrive("e:", kDriveRemovable).total_bytes = 59999 * KiB;
    English();
    PickDrive("e:");
    W().Ziel_Projekt_txt_2.set_text("c:\\show.kpf");
    W().Karte_schreiben_Click();
    ASSERT_EQ(msg.calls.size(), 2u);
    EXPECT_EQ(msg.calls[0].text, "The CF-card is not suitable for an operation with the Tarvolin "
                                 "Audio. Please use CF cards with 64, 128, 256 or 512 MB.");
    EXPECT_EQ(msg.calls[1].text, "The CF-card is not suitable for an operation with the Tarvolin "
                                 "Audio!\r\nPlease use CF cards with 64, 128, 256 or 512 MB.");
}

TEST_F(DriveChecks, Fat32CardIsWarnedAboutButTaken) {
    auto &card = fs.AddDrive("e:", kDriveRemovable);
    card.file_system = "FAT32";
    card.available_bytes = 1541 * KiB;
    fs.WriteFile("e:\\song.kpf", "x");
    fs.MakeFolders("e:\\Archiv");

    PickDrive("e:");
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(msg.calls[0].text, "Die Compact-Flash-Karte ist nicht richtig formatiert!\r\n"
                                 "Richtiges Dateisystem ist 'FAT'.");
    EXPECT_EQ(msg.calls[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(W().CF_Laufwerk, "e:");
    EXPECT_EQ(W().CF_Größe_txt.text(), "1.541 kByte");
    EXPECT_TRUE(W().File1.visible());
    EXPECT_TRUE(W().Dir1.visible());
    EXPECT_EQ(W().File1.items(), std::vector<std::string>{"song.kpf"});
    EXPECT_EQ(W().Dir1.items().back(), "Archiv");
}

TEST_F(DriveChecks, FileSystemNameIsComparedExactly) {
    fs.AddDrive("e:", kDriveRemovable).file_system = "fat";
    PickDrive("e:");
    EXPECT_FALSE(W().ShowFileSystemType());
    fs.drive("e:").file_system = "FAT";
    EXPECT_TRUE(W().ShowFileSystemType());
}

TEST_F(DriveChecks, ReaderWithoutCardShowsTypeThenNotReady) {
    fs.AddDrive("e:", kDriveRemovable).ready = false;
    PickDrive("e:");
    W().CF_Größe_txt.set_text("old");
    W().Drive1_Change();
    EXPECT_EQ(W().Drive_txt.text(), "Wechseldatenträger");
    ASSERT_FALSE(msg.calls.empty());
    EXPECT_EQ(LastMessage(), "Laufwerk ist nicht bereit zum Datenaustausch.");
    EXPECT_EQ(msg.calls.back().title, "NOVALUX");
    EXPECT_EQ(W().CF_Größe_txt.text(), "");
    EXPECT_EQ(W().CF_Laufwerk, "e:");
}

TEST_F(DriveChecks, FixedDiskIsRefusedWith42SpacesAndHiddenLists) {
    fs.AddDrive("c:", kDriveFixed).label = "SYSTEM";
    fs.AddDrive("e:", kDriveRemovable);
    PickDrive("e:");
    ASSERT_TRUE(W().Dir1.visible() && W().File1.visible());

    PickDrive("c:");
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(msg.calls[0].text, "Das Laufwerk c: [SYSTEM] ist kein Wechseldatenträger!\r\n"
                                 "Bitte wählen Sie bei 'CF-Laufwerk' ein anderes Laufwerk aus.");
    EXPECT_EQ(W().CF_Laufwerk, std::string(42, ' '));
    EXPECT_FALSE(W().Dir1.visible());
    EXPECT_FALSE(W().File1.visible());
    EXPECT_EQ(W().Drive_txt.text(), "HDD");

    English();
    W().ShowDriveType();
    EXPECT_EQ(W().Drive_txt.text(), "HDD");
    W().Drive1_Change();
    EXPECT_EQ(LastMessage(), "Drive c: [SYSTEM] is not a removable storage medium!\r\n"
                             "Please select another drive under 'CF-Drive'.");
}

TEST_F(DriveChecks, DriveTypeTextFollowsLanguageAndIgnoresFailures) {
    fs.AddDrive("d:", kDriveCdRom);
    PickDrive("d:");
    EXPECT_EQ(W().Drive_txt.text(), "CD-ROM Laufwerk");
    English();
    W().ShowDriveType();
    EXPECT_EQ(W().Drive_txt.text(), "CD-ROM drive");

    fs.FailNext("DriveType");
    W().Deutsch.set_value(true);
    W().ShowDriveType();
    EXPECT_EQ(W().Drive_txt.text(), "CD-ROM drive") << "a failing query keeps the box";

    fs.drive("d:").type = 9;
    W().ShowDriveType();
    EXPECT_EQ(W().Drive_txt.text(), "");
}

std::vector<std::string> g_trace;
void RecordTrace(std::string_view line) noexcept {
    g_trace.emplace_back(line);
}

// The timer asks for the drive type every five seconds; with no drive chosen
// yet that is no failure and leaves no trace line, while a drive that stops
// answering still does.
TEST_F(DriveChecks, NoDriveChosenIsNoFailureForTheTrace) {
    fs.AddDrive("c:", kDriveFixed);
    g_trace.clear();
    const trace::Sink previous = trace::SetSink(RecordTrace);
    W().Timer1_Timer();
    W().Timer1_Timer();
    const std::vector<std::string> idle = g_trace;
    PickDrive("c:");
    fs.FailNext("DriveType");
    W().Timer1_Timer();
    trace::SetSink(previous);
    EXPECT_TRUE(idle.empty()) << idle.front();
    EXPECT_EQ(g_trace.size(), 1u);
    EXPECT_EQ(W().Drive_txt.text(), "HDD");
}

TEST_F(DriveChecks, KbCountsRoundHalvesToEven) {
    fs.AddDrive("c:", kDriveFixed);
    const std::pair<std::uint64_t, std::int32_t> cases[] = {{0, 0},    {511, 0},  {512, 0},
                                                            {513, 1},  {1535, 1}, {1536, 2},
                                                            {2560, 2}, {2561, 3}, {3584, 4}};
    for (auto [bytes, kb] : cases) {
        fs.WriteFile("c:\\f.bin", std::string(bytes, 'x'));
        EXPECT_EQ(W().ShowFolderSize("c:\\f.bin"), kb) << bytes << " bytes";
    }
    fs.ClearCalls();
    EXPECT_EQ(W().ShowFolderSize(""), 0);
    EXPECT_TRUE(fs.calls().empty()) << "an empty path needs no query";
    EXPECT_THROW(W().ShowFolderSize("c:\\missing.bin"), FsError);
}

TEST_F(DriveChecks, HugeDrivesClampToTheLargestKbCount) {
    auto &big = fs.AddDrive("f:", kDriveFixed);
    big.total_bytes = big.available_bytes = 3ull << 40; // 3 TiB
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(W().ShowTotalSpace("f:"), kMax);
    EXPECT_EQ(W().ShowSpaceInfoDrive("f:\\x"), kMax);
    big.total_bytes = (static_cast<std::uint64_t>(kMax) * KiB) - 1;
    EXPECT_EQ(W().ShowTotalSpace("f:"), kMax);
}

TEST_F(DriveChecks, SpaceQueriesNameTheDriveOfAnyPathOnIt) {
    fs.AddDrive("c:", kDriveFixed);
    auto &card = fs.AddDrive("e:", kDriveRemovable);
    card.total_bytes = 60000 * KiB;
    card.available_bytes = 500 * KiB;
    for (const char *path : {"e:", "e:\\", "E:\\folder\\file.kpf", "e:relative.kpf"}) {
        EXPECT_EQ(W().ShowTotalSpace(path), 60000) << path;
        EXPECT_EQ(W().ShowSpaceInfoDrive(path), 500) << path;
    }
    card.ready = false;
    EXPECT_THROW(W().ShowTotalSpace("e:"), FsError);
}

TEST_F(DriveChecks, ReadinessTestsTheFirstTwoCharacters) {
    fs.AddDrive("c:", kDriveFixed);
    fs.AddDrive("e:", kDriveRemovable);
    fs.ClearCalls();
    EXPECT_TRUE(W().Laufwerk_bereit("e:\\Shows\\2003\\show.kpf"));
    EXPECT_EQ(fs.CallCount("IsReady"), 1);
    EXPECT_EQ(fs.calls().back(), "IsReady(e:)");
    EXPECT_TRUE(msg.calls.empty());

    fs.drive("e:").ready = false;
    English();
    EXPECT_FALSE(W().Laufwerk_bereit("e:\\show.kpf"));
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(msg.calls[0].text, "Drive is not ready for data exchange.");
    EXPECT_EQ(msg.calls[0].title, "NOVALUX");

    // Queries that cannot be answered are a silent no.
    for (const std::string &path :
         {std::string(""), std::string(42, ' '), std::string("q:\\x"), std::string("show.kpf")})
        EXPECT_FALSE(W().Laufwerk_bereit(path)) << "'" << path << "'";
    EXPECT_EQ(msg.calls.size(), 1u);
}

TEST_F(DriveChecks, FailingFolderListEndsWithNotReady) {
    fs.AddDrive("e:", kDriveRemovable);
    fs.FailNext("ListFolders");
    PickDrive("e:");
    EXPECT_EQ(LastMessage(), "Laufwerk ist nicht bereit zum Datenaustausch.");
    EXPECT_EQ(W().CF_Größe_txt.text(), "");
}

class NotReadyTrace : public testing::CardTest<> {
  protected:
    void SetUp() override {
        previous_ = trace::SetSink(RecordTrace);
        fs.WriteFile(kProject, std::string(3000, 'x'));
    }
    void TearDown() override {
        trace::SetSink(previous_);
        g_trace.clear();
    }
    // The step told the user "not ready", and the trace says why.
    void ExpectNotReadyTracedAs(const std::string &where, const std::string &cause) {
        EXPECT_EQ(LastMessage(), "Laufwerk ist nicht bereit zum Datenaustausch.");
        const bool found = std::any_of(g_trace.begin(), g_trace.end(), [&](const std::string &l) {
            return l.rfind(where + ": ", 0) == 0 && l.find(cause) != std::string::npos;
        });
        EXPECT_TRUE(found) << where << " / " << cause << " not in the trace";
        msg.calls.clear();
    }
    static constexpr const char *kProject = "c:\\work\\show.kpf";
    trace::Sink previous_ = nullptr;
};

TEST_F(NotReadyTrace, EachFailureTurnedIntoNotReadyLeavesItsCause) {
    fs.FailNext("TotalSize");
    PickDrive("e:");
    ExpectNotReadyTracedAs("Drive1_Change", "TotalSize failed");

    W().Ziel_Projekt_txt_2.set_text(kProject);
    fs.FailNext("TotalSize");
    W().Karte_schreiben_Click();
    ExpectNotReadyTracedAs("Karte_schreiben_Click: size and contents", "TotalSize failed");
    fs.FailNext("FileSize");
    W().Karte_schreiben_Click();
    ExpectNotReadyTracedAs("Karte_schreiben_Click: Speicherplatz", "FileSize failed");

    msg.answers = {MsgAnswer::Yes};
    fs.FailNext("AvailableSpace");
    W().Karte_löschen_Click();
    ExpectNotReadyTracedAs("Karte_löschen_Click: refresh", "AvailableSpace failed");
}

} // namespace
} // namespace tf
