// Choosing the wave file and the target, the name for the device, and the
// conversion run up to the library call and its outcome.

#include "support/main_window_fixture.h"

namespace tf {
namespace {

constexpr std::uint64_t KiB = 1024;

std::string GoodWave(std::size_t total_bytes) {
    std::string b(total_bytes, '\0');
    const unsigned char fields[] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0};
    std::copy(std::begin(fields), std::end(fields), b.begin() + 20);
    b[34] = 16;
    return b;
}

std::string Blanks(std::size_t n) {
    return std::string(n, ' ');
}

class ConversionRun : public testing::MainWindowTest<> {
  protected:
    void SetUp() override {
        auto &c = fs.AddDrive("c:", kDriveFixed);
        c.available_bytes = 2000 * KiB;
        fs.WriteFile(kWave, GoodWave(1541 * KiB));
        fs.MakeFolders("c:\\Projekte");
    }
    // Everything a run needs, chosen as the user would.
    void Prepare(const std::string &target = kTarget) {
        dialogs.answers = {kWave, target};
        W().Quell_Wave_Button_Click();
        W().Ziel_Projekt_Button_Click();
        W().Projektname_txt.set_text("Show 2003!");
        msg.calls.clear();
    }
    static constexpr const char *kWave = "c:\\Musik\\show.wav";
    static constexpr const char *kTarget = "c:\\Projekte\\show.kpf";
};

// The rule itself is the library's; the window reads what is typed as UTF-8.
TEST_F(ConversionRun, RealSpacesIsTheLibrarysRuleForUtf8) {
    EXPECT_EQ(W().Real_Spaces("Grüße"), "Gr  e" + Blanks(25));
}

TEST_F(ConversionRun, ChoosingTheWaveChecksItAndShowsItsSize) {
    dialogs.answers = {kWave};
    W().Quell_Wave_Button_Click();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filter.rfind("Wave-Datei (*.wav)|*.wav|", 0), 0u);
    EXPECT_EQ(dialogs.requests[0].flags, 4);
    EXPECT_FALSE(dialogs.requests[0].save);
    EXPECT_EQ(W().Quell_Wave_Pfad, kWave);
    EXPECT_EQ(W().Quell_Wave_txt.text(), kWave);
    EXPECT_EQ(W().Wave_Größe_txt.text(), "1.541 kByte");
    EXPECT_TRUE(msg.calls.empty());

    // A refused file empties the path but leaves the previous size.
    fs.WriteFile("c:\\Musik\\mono.wav", std::string(100, '\0'));
    dialogs.answers = {"c:\\Musik\\mono.wav"};
    W().Quell_Wave_Button_Click();
    EXPECT_EQ(LastMessage(), "Kein gültiges WAVE-Format");
    EXPECT_EQ(W().Quell_Wave_Pfad, "");
    EXPECT_EQ(W().Quell_Wave_txt.text(), "");
    EXPECT_EQ(W().Wave_Größe_txt.text(), "1.541 kByte");

    // Cancel changes nothing.
    W().Quell_Wave_Pfad = kWave;
    W().Quell_Wave_txt.set_text(kWave);
    dialogs.answers = {""};
    W().Quell_Wave_Button_Click();
    EXPECT_EQ(W().Quell_Wave_Pfad, kWave);
    EXPECT_EQ(W().Quell_Wave_txt.text(), kWave);
}

TEST_F(ConversionRun, ChoosingTheTargetShowsTheFreeSpaceOfItsDrive) {
    dialogs.answers = {kTarget};
    W().Ziel_Projekt_Button_Click();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filter, "Project-Datei (*.kpf)|*.kpf|");
    EXPECT_EQ(dialogs.requests[0].flags, 4);
    EXPECT_TRUE(dialogs.requests[0].save);
    EXPECT_EQ(W().Ziel_Projekt_Pfad, kTarget);
    EXPECT_EQ(W().Ziel_Projekt_txt.text(), kTarget);
    EXPECT_EQ(W().Freier_Speicherplatz_txt.text(), "2.000 kByte");

    English();
    dialogs.answers = {""};
    W().Ziel_Projekt_Button_Click();
    EXPECT_EQ(dialogs.requests[1].filter, "Project-File (*.kpf)|*.kpf|");
    EXPECT_EQ(W().Ziel_Projekt_Pfad, kTarget);
    EXPECT_TRUE(msg.calls.empty());
}

TEST_F(ConversionRun, SuccessfulRunCallsTheLibraryInsideTheBusyBracket) {
    Prepare();
    bool captured_during_call = false;
    std::string status_during_call;
    library.on_call = [&](const fake::FakeConversionLibrary::Call &) {
        captured_during_call = cursor.captured;
        status_during_call = W().Status_txt.text();
    };
    W().OK_Button_Click();
    ASSERT_EQ(library.calls.size(), 1u);
    EXPECT_EQ(library.calls[0].source, kWave);
    EXPECT_EQ(library.calls[0].target, kTarget);
    EXPECT_EQ(library.calls[0].name, "Show 2003" + Blanks(21));
    EXPECT_EQ(library.calls[0].code, "0120");
    EXPECT_TRUE(captured_during_call);
    EXPECT_FALSE(cursor.captured);
    EXPECT_EQ(status_during_call, "Projektdatei erstellen");
    EXPECT_EQ(W().Status_txt.text(), "Fertig");
    EXPECT_TRUE(msg.calls.empty());
}

// The library's one call runs while the window takes its messages; the
// status box tells how far the project file has grown, never all of it before
// the call has returned.
TEST_F(ConversionRun, TheGrowingTargetShowsInTheStatusWhileTheLibraryWorks) {
    Prepare();
    const std::uint64_t expected = 1402188 + 1541 * KiB - 44;
    library.meanwhile_rounds = 3;
    library.on_meanwhile = [&](int round) {
        fs.WriteFile(kTarget, std::string(round == 2 ? expected : expected / 2 * round, 'k'));
    };
    std::vector<std::string> seen;
    events.on_do_events = [&] { seen.push_back(W().Status_txt.text()); };
    W().OK_Button_Click();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[1], "Projektdatei erstellen \u2026 0 % (0 von 3 MB)");
    EXPECT_EQ(seen[2], "Projektdatei erstellen \u2026 50 % (1 von 3 MB, 1,5 MB/s, noch 1 s)");
    EXPECT_EQ(seen[3].rfind("Projektdatei erstellen \u2026 99 % (3 von 3 MB", 0), 0u) << seen[3];
    EXPECT_EQ(W().Status_txt.text(), "Fertig");
}

// No result but -4 is ever shown as done, and each one says why.
TEST_F(ConversionRun, EveryOtherResultIsAnErrorWithItsReason) {
    const struct {
        std::int32_t code;
        std::uint64_t free_kb; // on the target's drive
        const char *message;
    } results[] = {
        {-1, 2000, "Die Wave-Datei wurde nicht gefunden. Bitte wählen Sie sie erneut aus."},
        {-2, 2000,
         "Die Project-Datei konnte in diesem Ordner nicht angelegt werden. Bitte "
         "wählen Sie einen Ordner, in den Sie schreiben dürfen."},
        {-3, 2000,
         "Die Programmbibliothek \"Sonwerk_Projekt.dll\" meldet den Fehler -3. Die "
         "Project-Datei ist nicht verwendbar."},
        // The wave's 1541 kB and the project file's fixed 1369 kB do not fit in 2000 kB.
        {-5, 2000,
         "Der Datenträger der Project-Datei ist voll. Bitte schaffen Sie Platz oder "
         "wählen Sie einen anderen Speicherort."},
        {-5, 2910,
         "Beim Lesen der Wave-Datei oder beim Schreiben der Project-Datei ist ein "
         "Fehler aufgetreten. Die unvollständige Project-Datei wurde entfernt."},
        {0, 2000,
         "Die Programmbibliothek \"Sonwerk_Projekt.dll\" meldet den Fehler 0. Die "
         "Project-Datei ist nicht verwendbar."},
        {5, 2000,
         "Die Programmbibliothek \"Sonwerk_Projekt.dll\" meldet den Fehler 5. Die "
         "Project-Datei ist nicht verwendbar."},
    };
    Prepare();
    for (const auto &r : results) {
        msg.calls.clear();
        fs.drive("c:").available_bytes = r.free_kb * KiB;
        library.return_code = r.code;
        W().OK_Button_Click();
        EXPECT_EQ(W().Status_txt.text(), "Fehler") << r.code;
        ASSERT_EQ(msg.calls.size(), 1u) << r.code;
        EXPECT_EQ(msg.calls[0].text, r.message) << r.code;
        EXPECT_EQ(msg.calls[0].title, "Trackforge") << r.code;
        EXPECT_FALSE(cursor.captured) << r.code;
    }
    English();
    library.return_code = -2;
    W().OK_Button_Click();
    EXPECT_EQ(W().Status_txt.text(), "Error");
    EXPECT_EQ(LastMessage(), "The project file could not be created in this folder. Please "
                             "choose a folder you may write to.");
}

TEST_F(ConversionRun, TheLanguageIsReadAtEachText) {
    Prepare();
    library.return_code = -4;
    std::string status_during_call;
    library.on_call = [&](const auto &) {
        status_during_call = W().Status_txt.text();
        English(); // switched while the library works
    };
    W().OK_Button_Click();
    EXPECT_EQ(status_during_call, "Projektdatei erstellen");
    EXPECT_EQ(W().Status_txt.text(), "Completed");
    EXPECT_TRUE(msg.calls.empty());
}

TEST_F(ConversionRun, EmptyTargetStopsWithTheProgramTitledMessage) {
    Prepare();
    W().Ziel_Projekt_txt.set_text("");
    W().Status_txt.set_text("Fertig");
    W().OK_Button_Click();
    ASSERT_EQ(msg.calls.size(), 1u);
    EXPECT_EQ(msg.calls[0].text, "Bitte Speicherort der Project-Datei wählen!");
    EXPECT_EQ(msg.calls[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(msg.calls[0].title, "Trackforge");
    English();
    W().OK_Button_Click();
    EXPECT_EQ(LastMessage(), "Please select Path of Project-file!");
    EXPECT_EQ(W().Status_txt.text(), "Fertig");
    EXPECT_TRUE(library.calls.empty());
}

TEST_F(ConversionRun, DriveNotReadyOrTooSmallStopsBeforeTheLibrary) {
    fs.AddDrive("e:", kDriveRemovable);
    Prepare("e:\\show.kpf");
    fs.drive("e:").ready = false;
    W().Status_txt.set_text("unchanged");
    W().OK_Button_Click();
    EXPECT_EQ(LastMessage(), "Laufwerk ist nicht bereit zum Datenaustausch.");

    fs.drive("e:").ready = true;
    fs.drive("e:").available_bytes = 1540 * KiB;
    W().OK_Button_Click();
    EXPECT_EQ(LastMessage(), "Es ist nicht genügend Speicherplatz auf dem Datenträger vorhanden!");

    // A wave file gone since it was chosen is told: no run either.
    fs.drive("e:").available_bytes = 100000 * KiB;
    fs.DeleteFile(kWave);
    W().OK_Button_Click();
    EXPECT_EQ(LastMessage(),
              "Die Wave-Datei wurde nicht gefunden. Bitte wählen Sie sie erneut aus.");
    EXPECT_EQ(msg.calls.back().title, "Trackforge");
    EXPECT_TRUE(library.calls.empty());
    EXPECT_EQ(W().Status_txt.text(), "unchanged");
    EXPECT_TRUE(cursor.calls.empty());
}

TEST_F(ConversionRun, WithoutWaveTheLibraryGetsAnEmptyPath) {
    Prepare();
    W().Quell_Wave_txt.set_text("");
    library.return_code = -1;
    W().OK_Button_Click();
    ASSERT_EQ(library.calls.size(), 1u);
    EXPECT_EQ(library.calls[0].source, "");
    EXPECT_EQ(W().Status_txt.text(), "Fehler");
    EXPECT_EQ(LastMessage(), "Bitte wählen Sie zuerst eine Wave-Datei aus.");
}

TEST_F(ConversionRun, MissingLibraryIsToldAndEndsInError) {
    Prepare();
    for (auto result :
         {ConversionLibrary::LoadResult::NotFound, ConversionLibrary::LoadResult::NoEntryPoint}) {
        msg.calls.clear();
        library.load_result = result;
        W().OK_Button_Click();
        ASSERT_EQ(msg.calls.size(), 1u);
        EXPECT_EQ(msg.calls[0].text.rfind("Die Programmbibliothek \"Sonwerk_Projekt.dll\"", 0), 0u);
        EXPECT_EQ(msg.calls[0].title, "Trackforge");
        EXPECT_EQ(W().Status_txt.text(), "Fehler");
        EXPECT_FALSE(cursor.captured);
    }
    English();
    W().OK_Button_Click();
    EXPECT_EQ(LastMessage().rfind("The program library \"Sonwerk_Projekt.dll\"", 0), 0u);
    EXPECT_EQ(W().Status_txt.text(), "Error");
    EXPECT_TRUE(library.calls.empty());
}

TEST_F(ConversionRun, PathsOutsideTheCodePageGoAsShortPathsOrNotAtAll) {
    const std::string wave = "c:\\Музыка\\шоу.wav";
    const std::string target = "c:\\Проекты\\show.kpf";
    fs.WriteFile(wave, GoodWave(1000));
    fs.MakeFolders("c:\\Проекты");
    fs.SetShortPathName(wave, "c:\\MUZYKA~1\\SHOU~1.WAV");
    fs.SetShortPathName("c:\\Проекты", "c:\\PROEKT~1");
    Prepare(target);
    W().Quell_Wave_txt.set_text(wave);
    W().OK_Button_Click();
    ASSERT_EQ(library.calls.size(), 1u);
    EXPECT_EQ(library.calls[0].source, "c:\\MUZYKA~1\\SHOU~1.WAV");
    EXPECT_EQ(library.calls[0].target, "c:\\PROEKT~1\\show.kpf");
    EXPECT_EQ(W().Status_txt.text(), "Fertig");

    // A file name that cannot be spelled in 8 bits and has no short form yet.
    W().Ziel_Projekt_txt.set_text("c:\\Projekte\\шоу.kpf");
    W().OK_Button_Click();
    EXPECT_EQ(library.calls.size(), 1u);
    EXPECT_EQ(W().Status_txt.text(), "Fehler");
    ASSERT_FALSE(msg.calls.empty());
    EXPECT_EQ(msg.calls.back().title, "Trackforge");
    EXPECT_NE(LastMessage().find("Zeichen"), std::string::npos);
    EXPECT_FALSE(cursor.captured);

    // A volume without short names refuses rather than guessing.
    fs.SetShortPathName(wave, "");
    W().Ziel_Projekt_txt.set_text(kTarget);
    W().OK_Button_Click();
    EXPECT_EQ(library.calls.size(), 1u);
    EXPECT_EQ(W().Status_txt.text(), "Fehler");

    // Latin-1 characters are in the code page and go as they are.
    fs.WriteFile("c:\\Grüße.wav", GoodWave(1000));
    W().Quell_Wave_txt.set_text("c:\\Grüße.wav");
    W().OK_Button_Click();
    ASSERT_EQ(library.calls.size(), 2u);
    EXPECT_EQ(library.calls[1].source, "c:\\Gr\xFC\xDF"
                                       "e.wav");
}

} // namespace
} // namespace tf
