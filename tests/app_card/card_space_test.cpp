// Room for a file, emptiness of the card, and the card's folder and file lists.

#include "support/main_window_fixture.h"

namespace tf {
namespace {

constexpr std::uint64_t KiB = 1024;

class CardSpace : public testing::CardTest<> {
  protected:
    void Card(std::uint64_t total_kb, std::uint64_t available_kb) {
        card_->total_bytes = total_kb * KiB;
        card_->available_bytes = available_kb * KiB;
    }
};

TEST_F(CardSpace, FileFitsUpToTheLastKb) {
    fs.WriteFile("c:\\show.kpf", std::string(700 * KiB, 'x'));
    Card(125000, 700);
    EXPECT_TRUE(W().Speicherplatz("e:", "c:\\show.kpf"));
    EXPECT_TRUE(msg.calls.empty());
    EXPECT_TRUE(W().Speicherplatz("e:", "")) << "an empty path needs no room";

    Card(125000, 699);
    EXPECT_FALSE(W().Speicherplatz("e:\\", "c:\\show.kpf"));
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(msg.calls[0].text,
              "Es ist nicht genügend Speicherplatz auf dem Datenträger vorhanden!");
    EXPECT_EQ(msg.calls[0].title, "NOVALUX");
    English();
    EXPECT_FALSE(W().Speicherplatz("e:", "c:\\show.kpf"));
    EXPECT_EQ(LastMessage(), "There is not enough memory space available on the drive!");
}

TEST_F(CardSpace, FailingQueriesReachTheCaller) {
    EXPECT_THROW(W().Speicherplatz("e:", "c:\\missing.kpf"), FsError);
    card_->ready = false;
    EXPECT_THROW(W().Ist_Datenträger_Leer("e:"), FsError);
    EXPECT_TRUE(msg.calls.empty());
}

TEST_F(CardSpace, AlmostEmptyOrOverfullCardsCountAsEmptyWithoutAsking) {
    for (std::uint64_t in_use : {0, 1, 2}) {
        Card(125000, 125000 - in_use);
        EXPECT_TRUE(W().Ist_Datenträger_Leer("e:")) << in_use << " kB in use";
    }
    Card(125000, 125003);
    EXPECT_TRUE(W().Ist_Datenträger_Leer("e:"));
    EXPECT_TRUE(msg.calls.empty());
}

TEST_F(CardSpace, CardInUseAsksAndOnlyYesWrites) {
    Card(125000, 124997);
    msg.answers = {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
    EXPECT_TRUE(W().Ist_Datenträger_Leer("e:"));
    EXPECT_FALSE(W().Ist_Datenträger_Leer("e:"));
    EXPECT_FALSE(W().Ist_Datenträger_Leer("e:"));
    ASSERT_EQ(msg.calls.size(), 3u);
    EXPECT_EQ(msg.calls[0].text,
              "Der Datenträger ist nicht leer!\r\nBitte löschen Sie alle Daten, bevor Sie eine "
              "Project-Datei auf die Compact-Flash Karte speichern!\r\r\nWollen Sie die "
              "Project-Datei trotzdem speichern?");
    EXPECT_EQ(msg.calls[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(msg.calls[0].title, "NOVALUX");

    English();
    msg.answers = {MsgAnswer::No};
    EXPECT_FALSE(W().Ist_Datenträger_Leer("e:"));
    EXPECT_EQ(LastMessage(),
              "The drive is not empty!\r\nPlease delete all files before writing a project file "
              "to the CF card.\r\r\nDo you want to proceed with writing of the project file "
              "anyway? ");
}

TEST_F(CardSpace, FolderListDrivesTheFileList) {
    fs.WriteFile("e:\\top.kpf", "x");
    fs.WriteFile("e:\\Archiv\\2003.kpf", "x");
    fs.WriteFile("e:\\Archiv\\2004.kpf", "x");
    PickDrive("e:");
    EXPECT_EQ(W().File1.items(), std::vector<std::string>{"top.kpf"});

    const auto &items = W().Dir1.items();
    const auto archiv = std::find(items.begin(), items.end(), "Archiv");
    ASSERT_NE(archiv, items.end());
    W().Dir1.OpenFromUser(static_cast<int>(archiv - items.begin()));
    EXPECT_EQ(W().File1.items(), (std::vector<std::string>{"2003.kpf", "2004.kpf"}));

    fs.WriteFile("e:\\Archiv\\2005.kpf", "x");
    W().Dir1_Click();
    EXPECT_EQ(W().File1.items().size(), 3u);
}

} // namespace
} // namespace tf
