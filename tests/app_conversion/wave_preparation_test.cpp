// A refused wave file offered for a copy in the device's format, and the ways
// a file comes in besides the dialog: dropped on the window, or named on the
// command line.

#include "support/main_window_fixture.h"

#include <cstdint>

namespace tf {
namespace {

void PutLe(std::string &out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A RIFF wave of `frames` frames of silence, with its chunks as a workstation writes them.
std::string Wave(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits,
                 std::uint32_t frames) {
    const std::uint32_t block = channels * bits / 8u;
    const std::uint32_t data = frames * block;
    std::string b = "RIFF";
    PutLe(b, 36 + data, 4);
    b += "WAVEfmt ";
    PutLe(b, 16, 4);
    PutLe(b, bits == 32 ? 3 : 1, 2);
    PutLe(b, channels, 2);
    PutLe(b, rate, 4);
    PutLe(b, rate * block, 4);
    PutLe(b, block, 2);
    PutLe(b, bits, 2);
    b += "data";
    PutLe(b, data, 4);
    return b + std::string(data, '\0');
}

constexpr const char *kQuestion = "Soll Trackforge eine Kopie im Format des Tarvolin Audio "
                                  "erstellen (44,1 kHz, 16 Bit, Stereo)?";
constexpr const char *kRateRefusal = "Nur Waves mit 44.1 kHz können verwendet werden.";

class WavePreparation : public testing::MainWindowTest<> {
  protected:
    void SetUp() override {
        fs.AddDrive("c:", kDriveFixed);
        fs.WriteFile(kShow, Wave(48000, 2, 24, 48000)); // one second
        fs.MakeFolders(kDocuments);
        shell.special_folders[5] = kDocuments;
    }
    void Choose(const std::string &path, MsgAnswer answer = MsgAnswer::Yes) {
        msg.default_answer = answer;
        dialogs.answers = {path};
        W().Quell_Wave_Button_Click();
    }
    // The wave the window shows, and that it passes its own check.
    void ExpectTaken(const std::string &path) {
        EXPECT_EQ(W().Quell_Wave_Pfad, path);
        EXPECT_EQ(W().Quell_Wave_txt.text(), path);
        EXPECT_EQ(W().Wave_Größe_txt.text(),
                  W().KbText(static_cast<std::int32_t>((fs.ReadFile(path).size() + 512) / 1024)));
    }
    static constexpr const char *kShow = "c:\\Musik\\Show.wav";
    static constexpr const char *kCopy = "c:\\Musik\\Show (Tarvolin Audio).wav";
    static constexpr const char *kDocuments = "c:\\Users\\Test\\Documents";
};

TEST_F(WavePreparation, TheDialogOffersAllAudioFilesAfterThePartsWaveEntryInBothLanguages) {
    Choose(kShow, MsgAnswer::No);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filter,
              "Wave-Datei (*.wav)|*.wav|Audio-Dateien (*.wav;*.flac;*.mp3;*.ogg;*.m4a;*.wma)|"
              "*.wav;*.flac;*.mp3;*.ogg;*.m4a;*.wma|");
    English();
    msg.calls.clear();
    Choose(kShow, MsgAnswer::No);
    EXPECT_EQ(dialogs.requests[1].filter,
              "Wave-Datei (*.wav)|*.wav|Audio files (*.wav;*.flac;*.mp3;*.ogg;*.m4a;*.wma)|"
              "*.wav;*.flac;*.mp3;*.ogg;*.m4a;*.wma|");
    EXPECT_EQ(msg.Texts(), (std::vector<std::string>{
                               "Only waves with 44.1 kHz can be used.",
                               "Shall Trackforge make a copy in the Tarvolin Audio's format "
                               "(44.1 kHz, 16 bit, stereo)?"}));
}

TEST_F(WavePreparation, YesWritesTheCopyBesideTheOriginalInTheBusyBracketAndTakesIt) {
    const std::string original = fs.ReadFile(kShow);
    bool busy_while_preparing = false;
    msg.on_show = [&](const auto &) { busy_while_preparing = cursor.captured; };
    Choose(kShow);

    ASSERT_EQ(msg.calls.size(), 2u);
    EXPECT_EQ(msg.calls[0].text, kRateRefusal); // the check's refusal first, unchanged
    EXPECT_EQ(msg.calls[1].text, kQuestion);
    EXPECT_EQ(msg.calls[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(msg.calls[1].title, "Trackforge");
    EXPECT_FALSE(busy_while_preparing); // the question is asked with the normal pointer
    ASSERT_EQ(audio.prepared.size(), 1u);
    EXPECT_EQ(audio.prepared[0].target, kCopy);
    EXPECT_EQ(cursor.calls.front(), "SetCapture(0)");
    EXPECT_FALSE(cursor.captured);
    ExpectTaken(kCopy);
    EXPECT_EQ(fs.ReadFile(kShow), original);
    EXPECT_EQ(fs.ReadFile(kCopy).size(), 44u + 44100u * 4u);
}

TEST_F(WavePreparation, NoLeavesEverythingAsBefore) {
    fs.WriteFile("c:\\Musik\\ok.wav", Wave(44100, 2, 16, 44100));
    Choose("c:\\Musik\\ok.wav");
    const std::string size = W().Wave_Größe_txt.text();
    msg.calls.clear();

    Choose(kShow, MsgAnswer::No);
    EXPECT_EQ(msg.Texts(), (std::vector<std::string>{kRateRefusal, kQuestion}));
    EXPECT_TRUE(audio.prepared.empty());
    EXPECT_FALSE(fs.FileExists(kCopy));
    EXPECT_EQ(W().Quell_Wave_Pfad, "");
    EXPECT_EQ(W().Quell_Wave_txt.text(), "");
    EXPECT_EQ(W().Wave_Größe_txt.text(), size);
    EXPECT_TRUE(cursor.calls.empty());
}

TEST_F(WavePreparation, FilesNothingCanDecodeGetOnlyTheRefusal) {
    fs.WriteFile("c:\\Musik\\notes.wav", "just some text, no audio at all");
    Choose("c:\\Musik\\notes.wav");
    Choose("c:\\Musik\\gone.wav");
    EXPECT_EQ(msg.Texts(),
              (std::vector<std::string>{"Kein gültiges WAVE-Format", "Kein gültiges WAVE-Format"}));
    EXPECT_TRUE(audio.prepared.empty());
}

TEST_F(WavePreparation, AnExistingFileIsNeverReplaced) {
    fs.WriteFile(kCopy, "an earlier copy, perhaps of another take");
    Choose(kShow);
    const std::string second = "c:\\Musik\\Show (Tarvolin Audio) (2).wav";
    EXPECT_EQ(fs.ReadFile(kCopy), "an earlier copy, perhaps of another take");
    ExpectTaken(second);
    Choose(kShow);
    ExpectTaken("c:\\Musik\\Show (Tarvolin Audio) (3).wav");
}

TEST_F(WavePreparation, AFolderThatCannotBeWrittenSendsTheCopyToTheDocuments) {
    fs.AddDrive("d:", kDriveCdRom);
    fs.WriteFile("d:\\Show.wav", Wave(22050, 1, 16, 22050));
    fs.WriteFile(std::string(kDocuments) + "\\Show (Tarvolin Audio).wav", "older");
    Choose("d:\\Show.wav");
    ExpectTaken(std::string(kDocuments) + "\\Show (Tarvolin Audio) (2).wav");
    EXPECT_EQ(msg.Texts(),
              (std::vector<std::string>{"Mono-Waves können nicht verarbeitet werden.", kQuestion}));

    // Without a documents folder there is nowhere to go: told, nothing taken.
    shell.special_folders.clear();
    msg.calls.clear();
    Choose("d:\\Show.wav");
    ASSERT_EQ(msg.calls.size(), 3u);
    EXPECT_EQ(msg.calls[2].text, "Die Kopie \"d:\\Show (Tarvolin Audio).wav\" konnte nicht "
                                 "erstellt werden. Bitte prüfen Sie, ob auf dem Datenträger "
                                 "genügend Speicherplatz frei ist, und versuchen Sie es noch "
                                 "einmal.");
    EXPECT_EQ(W().Quell_Wave_txt.text(), "");
}

// Both folders refuse, the wave's own being the documents folder too: one try
// each, then the failure is told with the normal pointer back.
TEST_F(WavePreparation, ADocumentsFolderThatRefusesTooEndsTheAttempts) {
    fs.AddDrive("d:", kDriveCdRom);
    fs.WriteFile("d:\\Show.wav", Wave(22050, 1, 16, 22050));
    const std::string in_documents = std::string(kDocuments) + "\\Show.wav";
    fs.WriteFile(in_documents, Wave(22050, 1, 16, 22050));
    fs.SetReadOnly(kDocuments);
    const std::string documents_copy = std::string(kDocuments) + "\\Show (Tarvolin Audio).wav";
    for (const std::string &wave : {std::string("d:\\Show.wav"), in_documents}) {
        SCOPED_TRACE(wave);
        audio.prepared.clear();
        msg.calls.clear();
        Choose(wave);
        std::vector<std::string> tried;
        for (const auto &call : audio.prepared)
            tried.push_back(call.target);
        std::vector<std::string> expected{documents_copy};
        if (wave != in_documents)
            expected.insert(expected.begin(), "d:\\Show (Tarvolin Audio).wav");
        EXPECT_EQ(tried, expected);
        ASSERT_EQ(msg.calls.size(), 3u);
        EXPECT_EQ(msg.calls[2].text.rfind("Die Kopie \"" + documents_copy + "\" konnte nicht", 0),
                  0u);
        EXPECT_FALSE(cursor.captured);
        EXPECT_EQ(W().Quell_Wave_txt.text(), "");
    }
}

TEST_F(WavePreparation, AFailedPreparationIsToldAndLeavesNothing) {
    fs.drive("c:").available_bytes = 100000; // less than the 176 kB copy
    English();
    Choose(kShow);
    ASSERT_EQ(msg.calls.size(), 3u);
    EXPECT_EQ(msg.calls[2].text, "The copy \"c:\\Musik\\Show (Tarvolin Audio).wav\" could not be "
                                 "made. Please check that there is enough free space on the "
                                 "drive and try again.");
    EXPECT_EQ(msg.calls[2].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(fs.FileExists(kCopy));
    EXPECT_EQ(W().Quell_Wave_Pfad, "");
    EXPECT_FALSE(cursor.captured);
}

TEST_F(WavePreparation, MoreThanTwoChannelsAreToldWithoutAQuestion) {
    fs.WriteFile("c:\\Musik\\surround.wav", Wave(48000, 6, 16, 4800));
    Choose("c:\\Musik\\surround.wav");
    ASSERT_EQ(msg.calls.size(), 2u);
    EXPECT_EQ(msg.calls[0].text, "Mono-Waves können nicht verarbeitet werden.");
    EXPECT_EQ(msg.calls[1].text.rfind("Die Datei hat mehr als zwei Kanäle.", 0), 0u);
    EXPECT_TRUE(audio.prepared.empty());
}

TEST_F(WavePreparation, ClippedSamplesAreCountedToTheUser) {
    audio.clipped = 12345;
    Choose(kShow);
    ASSERT_EQ(msg.calls.size(), 3u);
    EXPECT_EQ(msg.calls[2].text.rfind("Die Kopie wurde erstellt. 12.345 Abtastwerte", 0), 0u);
    ExpectTaken(kCopy);
}

// The question comes after the copy is wanted and before it is written, with
// the count and the figure in the language's own form; No writes it as ever
// and says how many samples were clipped.
TEST_F(WavePreparation, ACopyThatWouldClipIsAskedAboutBeforeItIsWritten) {
    audio.over = audio.clipped = 12345;
    audio.lower_db = 1.4;
    Choose(kShow);
    ASSERT_EQ(msg.calls.size(), 3u);
    EXPECT_EQ(msg.calls[2].text, "Beim Umwandeln würden 12.345 Abtastwerte übersteuern. Soll "
                                 "Trackforge den Pegel um 1,4 dB absenken, damit nichts "
                                 "übersteuert?");
    EXPECT_EQ(msg.calls[2].buttons, MsgButtons::YesNo);
    ASSERT_EQ(audio.prepared.size(), 1u);
    EXPECT_EQ(audio.prepared[0].lower_db, 1.4);
    ExpectTaken(kCopy);

    English();
    msg.calls.clear();
    msg.answers = {MsgAnswer::Ok, MsgAnswer::Yes, MsgAnswer::No};
    Choose(kShow);
    ASSERT_EQ(msg.calls.size(), 4u);
    EXPECT_EQ(msg.calls[2].text, "12.345 samples would clip in the conversion. Shall Trackforge "
                                 "lower the level by 1.4 dB so that nothing clips?");
    ASSERT_EQ(audio.prepared.size(), 2u);
    EXPECT_EQ(audio.prepared[1].lower_db, 0.0);
    EXPECT_EQ(msg.calls[3].text.rfind("The copy has been made. 12.345 samples were beyond", 0), 0u);
    ExpectTaken("c:\\Musik\\Show (Tarvolin Audio) (2).wav");
}

// A file cut off in transfer, or a header no audio has, is told in the
// window's language; no copy is made or taken.
TEST_F(WavePreparation, ADamagedFileIsToldInsteadOfTakingACopy) {
    const std::string whole = Wave(1000, 2, 16, 1000 * 225);                 // 3:45
    fs.WriteFile("c:\\Musik\\cut.wav", whole.substr(0, 44 + 4 * 1000 * 83)); // 1:23
    fs.WriteFile("c:\\Musik\\slow.wav", Wave(1, 2, 16, 1000));
    Choose("c:\\Musik\\cut.wav");
    ASSERT_EQ(msg.calls.size(), 3u);
    EXPECT_EQ(msg.calls[2].text, "Die Datei endet nach 1:23 statt nach den 3:45, die ihr "
                                 "Dateikopf angibt; sie scheint beschädigt zu sein. Es wurde "
                                 "keine Kopie erstellt.");
    EXPECT_EQ(msg.calls[2].icon, MsgIcon::Exclamation);
    English();
    msg.calls.clear();
    Choose("c:\\Musik\\cut.wav");
    Choose("c:\\Musik\\slow.wav");
    EXPECT_EQ(msg.Texts(),
              (std::vector<std::string>{
                  "Only waves with 44.1 kHz can be used.",
                  "Shall Trackforge make a copy in the Tarvolin Audio's format (44.1 kHz, 16 "
                  "bit, stereo)?",
                  "The file ends after 1:23 of the 3:45 its header gives; it seems damaged. No "
                  "copy has been made.",
                  "Only waves with 44.1 kHz can be used.",
                  "Shall Trackforge make a copy in the Tarvolin Audio's format (44.1 kHz, 16 "
                  "bit, stereo)?",
                  "The file's header gives a sample rate of 1 Hz, which no audio has; it seems "
                  "damaged. No copy has been made."}));
    EXPECT_TRUE(audio.prepared.empty());
    EXPECT_EQ(W().Quell_Wave_Pfad, "");
    EXPECT_FALSE(fs.FileExists("c:\\Musik\\cut (Tarvolin Audio).wav"));
}

TEST_F(WavePreparation, DroppedOrNamedFilesAreTakenAsIfChosen) {
    fs.WriteFile("c:\\Musik\\ok.wav", Wave(44100, 2, 16, 44100));
    fs.WriteFile("c:\\Projekte\\Show.KPF", std::string(3 * 1024, 'k'));
    W().Form_OLEDragDrop({"c:\\Musik\\ok.wav", "c:\\Projekte\\Show.KPF"});
    ExpectTaken("c:\\Musik\\ok.wav");
    EXPECT_EQ(W().Ziel_Projekt_Pfad, "c:\\Projekte\\Show.KPF");
    EXPECT_EQ(W().Ziel_Projekt_txt_2.text(), "c:\\Projekte\\Show.KPF");
    EXPECT_EQ(W().Projekt_Größe_txt.text(), "3 kByte");
    EXPECT_TRUE(msg.calls.empty());

    // "Open with" and a prompt: the name is taken from the current folder,
    // switches are the program's own; a refused file is offered a copy.
    fs.SetCurrentFolder("c:", "Musik");
    W().Befehlszeile({"/info", "Show.wav"});
    EXPECT_EQ(msg.Texts(), (std::vector<std::string>{kRateRefusal, kQuestion}));
    ExpectTaken("C:\\Musik\\Show (Tarvolin Audio).wav");
    EXPECT_TRUE(dialogs.requests.empty());
}

// The copy takes seconds for a long show: the conversion's status box tells
// how far it is, between blocks the window takes its messages, and afterwards
// the box has its own text back.
// Reading the file for its level is the first half of the work, writing the copy the second.
TEST_F(WavePreparation, TheStatusBoxShowsHowFarTheCopyIsAndThenItsOwnTextAgain) {
    fs.WriteFile(kShow, Wave(48000, 2, 24, 48000 * 10));
    W().Status_txt.set_text("Fertig");
    std::vector<std::string> seen;
    events.on_do_events = [&] {
        if (cursor.captured)
            seen.push_back(W().Status_txt.text());
    };
    Choose(kShow);
    ExpectTaken(kCopy);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().rfind("Kopie wird erstellt \u2026 7 % (0 von 2 MB)", 0), 0u)
        << seen.front();
    EXPECT_EQ(seen.back(), "Kopie wird erstellt \u2026 100 % (2 von 2 MB, 0,3 MB/s, noch 0 s)");
    EXPECT_EQ(W().Status_txt.text(), "Fertig");
}

} // namespace
} // namespace tf
