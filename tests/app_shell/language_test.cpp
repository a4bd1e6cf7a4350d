// Language switching: every window text in both languages and in its order,
// the project-name rule, and the about window.

#include "support/main_window_fixture.h"
#include "tf_version.h"

#include <string>
#include <utility>
#include <vector>

namespace tf::testing {
namespace {

using Change = std::pair<std::string, ui::Prop>;

// Records text changes of every control, in the order they happen.
class RecordingPeer : public ui::Peer {
  public:
    std::vector<Change> changes;
    void Changed(ui::Control &control, ui::Prop what) override {
        if (what == ui::Prop::Caption || what == ui::Prop::ToolTip || what == ui::Prop::Text)
            changes.emplace_back(control.name(), what);
    }
};

constexpr auto C = ui::Prop::Caption;
constexpr auto T = ui::Prop::ToolTip;
constexpr auto X = ui::Prop::Text;

// Every text the switch sets, in the order it sets them, with the words each
// language shows: a control given another message's text is caught here.
struct Expected {
    const char *control;
    ui::Prop prop;
    const char *german;
    const char *english;
};
// clang-format off
const Expected kTexts[] = {
    {"Label1", C, "  Trackforge             für           Tarvolin  Audio ",
                  "  Trackforge             for           Tarvolin  Audio "},
    {"Label2", C, "Größe:", "Size:"},
    {"Frame2", C, "Wave-Datei in Project-Datei umwandeln", "Convert Wave-file into Project-file"},
    {"Quell_Wave_Button", C, "Wave-Datei", "Wave-file"},
    {"Ziel_Projekt_Button", C, "Project-Datei", "Project-file"},
    {"Frame1", C, "Project-Datei auf CF-Karte speichern", "Save Project-file to CF card"},
    {"Ziel_Projekt_Button_2", C, "Project-Datei", "Project-file"},
    {"Label3", C, "Größe:", "Size:"},
    {"Label5", C, "CF-Laufwerk:", "CF drive:"},
    {"Label7", C, "Freier Speicherplatz:", "Remaining disc space:"},
    {"Label10", C, "Freier Speicherplatz:", "Remaining disc space:"},
    {"Label9", C, "Inhalt CF-Karte:", "List CF card:"},
    {"Karte_löschen", C, "Compact Flash Karte löschen", "Clear CF card"},
    {"Karte_schreiben", C, "Project-Datei auf CF-Karte schreiben", "Save Project-file to CF card"},
    {"Command3", C, "Schließen", "Close"},
    {"Projektname_txt", X, "Unbenannt", "unknown"},
    {"Quell_Wave_Button", T, "Wave-Datei öffnen", "Open Wave-file"},
    {"Play_Button", T, "Play Wave-Datei", "Play Wave-file"},
    {"Pause_Button", T, "Pause", "Pause"},
    {"Stop_Button", T, "Stop", "Stop"},
    {"Wave_Größe_txt", T, "Größe der Wave-Datei", "Size of Wave-file"},
    {"Quell_Wave_txt", T, "Pfad der Wave-Datei", "Path of Wave-file"},
    {"Ziel_Projekt_Button", T, "Speicherort der Project-Datei", "Path of Project-file"},
    {"Ziel_Projekt_txt", T, "Speicherort der Project-Datei", "Path of Project-file"},
    {"Projektname_txt", T, "Der Project Name erscheint im Display des Tarvolin Audio",
                           "This Project-name will be shown in the display of the Tarvolin Audio"},
    {"Status_txt", T, "Zeigt aktuellen Status an", "Status information"},
    {"OK_Button", T, "Wandelt Wave-Datei (*.wav) in Project-Datei (*.kpf) um",
                     "Converts Wave-file (*.wav) to Project-file (*.kpf)"},
    {"Ziel_Projekt_Button_2", T, "Project - Datei öffnen", "Open Project-file"},
    {"Ziel_Projekt_txt_2", T, "Speicherort der Project-Datei", "Path of project file"},
    {"Drive1", T, "Auswahl des Compact Flash Laufwerks", "Select the CF drive"},
    {"Dir1", T, "Inhalt des Datenträgers", "Shows the content of the storage medium"},
    {"File1", T, "Inhalt des Datenträgers", "Shows the content of the storage medium"},
    {"Status2_txt", T, "Zeigt aktuellen Status an", "Status information"},
    {"Karte_löschen", T, "Löscht alle Dateien und Verzeichnisse auf der Compact Flash Karte",
                         "All files and directories on the CF card will be deleted"},
    {"Karte_schreiben", T, "Schreibt die Project-Datei (*.kpf) auf die Compact Flash Karte",
                           "Save the Project-file (*.kpf) to the CF card"},
    {"Command3", T, "Beendet den Trackforge", "Close Trackforge"},
    {"Info_Button", T, "Info über Trackforge", "Info about Trackforge"},
    {"Drive_txt", T, "Datenträger Typ", "Type of storage medium"},
};
// clang-format on

std::string CaptionOf(ui::Control &c) {
    if (auto *l = dynamic_cast<ui::Label *>(&c))
        return l->caption();
    if (auto *b = dynamic_cast<ui::Button *>(&c))
        return b->caption();
    return {};
}

class LanguageTest : public ShellTest {
  protected:
    // Every caption and tooltip overwritten, so each text set afterwards shows.
    void Scramble() {
        for (ui::Control *c : W().controls()) {
            c->set_tooltip("#");
            if (auto *l = dynamic_cast<ui::Label *>(c))
                l->set_caption("#");
            if (auto *b = dynamic_cast<ui::Button *>(c))
                b->set_caption("#");
        }
    }
    void Record() {
        for (ui::Control *c : W().controls())
            c->set_peer(&peer);
    }
    ui::Control &Named(const std::string &name) {
        for (ui::Control *c : W().controls())
            if (c->name() == name)
                return *c;
        throw std::out_of_range(name);
    }
    void ExpectEveryTextSet(Language language) {
        std::vector<Change> order;
        for (const Expected &e : kTexts)
            order.emplace_back(e.control, e.prop);
        EXPECT_EQ(peer.changes, order);
        for (const Expected &e : kTexts) {
            ui::Control &c = Named(e.control);
            const std::string text = e.prop == C   ? CaptionOf(c)
                                     : e.prop == T ? c.tooltip()
                                                   : dynamic_cast<ui::TextBox &>(c).text();
            EXPECT_EQ(text, language == Language::German ? e.german : e.english)
                << e.control << (e.prop == T ? " tooltip" : "");
        }
    }
    RecordingPeer peer;
};

TEST_F(LanguageTest, EachLanguageSetsEveryTextInOrderFromItsOwnRow) {
    W().Englisch.set_value(true);
    Scramble();
    W().Projektname_txt.set_text("Unnamed");
    Record();
    W().Deutsch.Click();
    ExpectEveryTextSet(Language::German);

    Scramble();
    W().Projektname_txt.set_text("Unbenannt");
    peer.changes.clear();
    W().Englisch.Click();
    ExpectEveryTextSet(Language::English);
}

TEST_F(LanguageTest, OnlyTheOtherLanguagesDefaultNameIsReplaced) {
    W().Form_Load();
    W().Englisch.Click();
    EXPECT_EQ(W().Projektname_txt.text(), "unknown");
    W().Deutsch.Click();
    EXPECT_EQ(W().Projektname_txt.text(), "unknown");

    W().Projektname_txt.TextFromUser("Unnamed");
    W().Englisch.Click();
    EXPECT_EQ(W().Projektname_txt.text(), "Unnamed");
    W().Deutsch.Click();
    EXPECT_EQ(W().Projektname_txt.text(), "Unbenannt");

    W().Projektname_txt.TextFromUser("Meine Show");
    W().Englisch.Click();
    W().Deutsch.Click();
    EXPECT_EQ(W().Projektname_txt.text(), "Meine Show");
}

TEST_F(LanguageTest, NeitherOptionSelectedChangesNothingAndMeansEnglish) {
    W().Deutsch.set_value(false);
    ASSERT_FALSE(W().Englisch.value());
    Scramble();
    Record();
    W().Sprache_aktualisieren();
    EXPECT_TRUE(peer.changes.empty());
    EXPECT_EQ(W().Sprache(), Language::English);
}

TEST_F(LanguageTest, SwitchLeavesFixedTextsAndTheDriveTypeAlone) {
    W().Drive_txt.set_text("Wechseldatenträger");
    W().Englisch.Click();
    EXPECT_EQ(W().Drive_txt.text(), "Wechseldatenträger");
    EXPECT_EQ(W().caption(), "Korvant NOVALUX" + std::string(46, ' ') + "V" TF_VERSION);
    EXPECT_EQ(W().OK_Button.caption(), "Start");
    EXPECT_EQ(W().Info_Button.caption(), "Info");
    EXPECT_EQ(W().Label8.caption(), "Project Name:");
    EXPECT_EQ(W().Label4.caption(), "Status:");
    EXPECT_EQ(W().Label6.caption(), "Status:");
    EXPECT_EQ(W().Play_Button.caption(), "4");
    EXPECT_EQ(W().Pause_Button.caption(), ";");
    EXPECT_EQ(W().Stop_Button.caption(), "<");
    EXPECT_EQ(W().Label16.caption(), "1024 MB (1GB)");
    EXPECT_EQ(W().CF_Größe_txt.tooltip(), "Freier Speicherplatz auf dem Datenträgers");
    EXPECT_EQ(W().Freier_Speicherplatz_txt.tooltip(), "Freier Speicherplatz auf dem Datenträgers");
    EXPECT_EQ(W().Projekt_Größe_txt.tooltip(), "Größe der Project-Datei");
}

TEST_F(LanguageTest, WindowIsCreatedInGerman) {
    EXPECT_TRUE(W().Deutsch.value());
    EXPECT_EQ(W().Frame2.caption(), "Wave-Datei in Project-Datei umwandeln");
    EXPECT_EQ(W().Info_Button.tooltip(), "Info über Trackforge");
    EXPECT_EQ(W().Command3.caption(), "Schließen");
}

TEST_F(LanguageTest, AboutWindowFollowsTheLanguageWhenItOpens) {
    const char *german_text =
        "Mit diesem Programm ist es möglich, eine WAV-Datei in eine Project-Datei "
        "umzuwandeln, die dann vom Tarvolin Audio abgespielt werden kann.    Außerdem können "
        "Dateien und Verzeichnisse auf der CF-Karte gelöscht werden. Anschließend kann die "
        "Project-Datei auf die Karte geschrieben werden.";
    const char *english_text =
        "This program is used to convert a Wave-file into a Project-file, which can be played "
        "by the Tarvolin Audio. In addition you can delete and save files and directories on "
        "the CF card.";

    Trackforge_Info about(W());
    EXPECT_EQ(about.caption(), "Info über Trackforge");
    EXPECT_EQ(about.Beenden_Button.caption(), "OK");
    EXPECT_EQ(about.Beenden_Button.tooltip(), "EXIT");
    about.Form_Load();
    EXPECT_EQ(about.Label1.caption(), "für");
    EXPECT_EQ(about.Label5.caption(), german_text);
    EXPECT_EQ(about.caption(), "Info über Trackforge");

    W().Englisch.Click();
    Trackforge_Info again(W());
    again.Form_Load();
    EXPECT_EQ(again.Label1.caption(), "for");
    EXPECT_EQ(again.Label5.caption(), english_text);
    EXPECT_EQ(again.caption(), "Info about Trackforge");
    EXPECT_EQ(again.Label3.caption(), "Trackforge");
    EXPECT_EQ(again.Label2.caption(), "Tarvolin Audio");
    EXPECT_EQ(again.Label4.caption(), "V " TF_VERSION);
}

TEST_F(LanguageTest, AboutWindowOpensModallyAndClosesWithOk) {
    windows.Show(W());
    bool was_loaded = false;
    windows.on_modal = [&](ui::Form &about) {
        was_loaded = windows.IsLoaded(about);
        static_cast<Trackforge_Info &>(about).Beenden_Button.Click();
        EXPECT_FALSE(windows.IsLoaded(about));
    };
    W().Info_Button.Click();
    EXPECT_TRUE(was_loaded);
    EXPECT_NE(std::find(windows.events.begin(), windows.events.end(), "ShowModal Trackforge_Info"),
              windows.events.end());
}

} // namespace
} // namespace tf::testing
