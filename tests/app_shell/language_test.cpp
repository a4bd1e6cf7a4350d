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

// The order the texts are set in, whichever language.
const std::vector<Change> kOrder = {
    {"Label1", C},
    {"Label2", C},
    {"Frame2", C},
    {"Quell_Wave_Button", C},
    {"Ziel_Projekt_Button", C},
    {"Frame1", C},
    {"Ziel_Projekt_Button_2", C},
    {"Label3", C},
    {"Label5", C},
    {"Label7", C},
    {"Label10", C},
    {"Label9", C},
    {"Karte_löschen", C},
    {"Karte_schreiben", C},
    {"Command3", C},
    {"Projektname_txt", ui::Prop::Text},
    {"Quell_Wave_Button", T},
    {"Play_Button", T},
    {"Pause_Button", T},
    {"Stop_Button", T},
    {"Wave_Größe_txt", T},
    {"Quell_Wave_txt", T},
    {"Ziel_Projekt_Button", T},
    {"Ziel_Projekt_txt", T},
    {"Projektname_txt", T},
    {"Status_txt", T},
    {"OK_Button", T},
    {"Ziel_Projekt_Button_2", T},
    {"Ziel_Projekt_txt_2", T},
    {"Drive1", T},
    {"Dir1", T},
    {"File1", T},
    {"Status2_txt", T},
    {"Karte_löschen", T},
    {"Karte_schreiben", T},
    {"Command3", T},
    {"Info_Button", T},
    {"Drive_txt", T},
};

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
    void ExpectEveryTextSet() {
        EXPECT_EQ(peer.changes, kOrder);
        for (const auto &[name, prop] : kOrder) {
            ui::Control &c = Named(name);
            const std::string text = prop == C   ? CaptionOf(c)
                                     : prop == T ? c.tooltip()
                                                 : dynamic_cast<ui::TextBox &>(c).text();
            EXPECT_FALSE(text.empty()) << name;
            EXPECT_NE(text, "#") << name;
        }
    }
    RecordingPeer peer;
};

TEST_F(LanguageTest, GermanSetsEveryTextInOrder) {
    W().Englisch.set_value(true);
    Scramble();
    W().Projektname_txt.set_text("Unnamed");
    Record();
    W().Deutsch.Click();
    ExpectEveryTextSet();
    EXPECT_EQ(W().Label1.caption(), "  Trackforge             für           Tarvolin  Audio ");
    EXPECT_EQ(W().Karte_schreiben.caption(), "Project-Datei auf CF-Karte schreiben");
    EXPECT_EQ(W().Karte_löschen.caption(), "Compact Flash Karte löschen");
    EXPECT_EQ(W().Label7.caption(), "Freier Speicherplatz:");
    EXPECT_EQ(W().Projektname_txt.text(), "Unbenannt");
    EXPECT_EQ(W().OK_Button.tooltip(), "Wandelt Wave-Datei (*.wav) in Project-Datei (*.kpf) um");
    EXPECT_EQ(W().Ziel_Projekt_Button_2.tooltip(), "Project - Datei öffnen");
}

TEST_F(LanguageTest, EnglishSetsEveryTextInOrder) {
    Scramble();
    W().Projektname_txt.set_text("Unbenannt");
    Record();
    W().Englisch.Click();
    ExpectEveryTextSet();
    EXPECT_EQ(W().Label1.caption(), "  Trackforge             for           Tarvolin  Audio ");
    EXPECT_EQ(W().Label7.caption(), "Remaining disc space:");
    EXPECT_EQ(W().Karte_löschen.caption(), "Clear CF card");
    EXPECT_EQ(W().Frame2.caption(), "Convert Wave-file into Project-file");
    EXPECT_EQ(W().Projektname_txt.text(), "unknown");
    EXPECT_EQ(W().Ziel_Projekt_txt_2.tooltip(), "Path of project file");
    EXPECT_EQ(W().Drive_txt.tooltip(), "Type of storage medium");
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
