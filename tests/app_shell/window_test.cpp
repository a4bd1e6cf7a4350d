// The window's geometry and fixed properties, the shared display helpers and
// the busy cursor.

#include "support/layout_check.h"
#include "support/main_window_fixture.h"
#include "tf_version.h"

#include "app/shell/pictures.h"
#include "shared/language_flags.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tf::testing {
namespace {

using Layout = ShellTest;

std::size_t Characters(const std::string &utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

TEST_F(Layout, WindowFrame) {
    EXPECT_EQ(W().caption(), "Korvant NOVALUX" + std::string(46, ' ') + "V" TF_VERSION);
    EXPECT_EQ(W().client_width, 7635);
    EXPECT_EQ(W().client_height, 10065);
    EXPECT_TRUE(W().centered);
}

TEST_F(Layout, ControlsLieInsideTheClientAreaWithoutOverlapping) {
    const auto &controls = W().controls();
    EXPECT_EQ(controls.size(), 53u); // every control of the window, the timer included
    std::vector<Placed> placed;
    for (const ui::Control *c : controls) {
        if (dynamic_cast<const ui::Timer *>(c))
            continue;
        const ui::Rect &r = c->rect();
        placed.push_back({c->name(), r.left, r.top, r.left + r.width, r.top + r.height,
                          dynamic_cast<const ui::Frame *>(c) ||
                              dynamic_cast<const ui::PictureBox *>(c) ||
                              dynamic_cast<const ui::Line *>(c)});
    }
    ExpectInsideWithoutOverlap(placed, W().client_width, W().client_height);
}

TEST_F(Layout, EachGroupSitsInsideItsFrame) {
    auto inside = [](const ui::Control &c, const ui::Frame &f) {
        const ui::Rect &r = c.rect(), &o = f.rect();
        return r.left > o.left && r.top > o.top && r.left + r.width < o.left + o.width &&
               r.top + r.height < o.top + o.height;
    };
    Projekt &w = W();
    for (const ui::Control *c : std::initializer_list<const ui::Control *>{
             &w.Quell_Wave_Button, &w.Quell_Wave_txt, &w.Label2, &w.Wave_Größe_txt, &w.Play_Button,
             &w.Pause_Button, &w.Stop_Button, &w.Label8, &w.Projektname_txt, &w.Ziel_Projekt_Button,
             &w.Ziel_Projekt_txt, &w.Label10, &w.Freier_Speicherplatz_txt, &w.OK_Button, &w.Label6,
             &w.Status_txt})
        EXPECT_TRUE(inside(*c, w.Frame2)) << c->name();
    for (const ui::Control *c : std::initializer_list<const ui::Control *>{
             &w.Ziel_Projekt_Button_2, &w.Ziel_Projekt_txt_2, &w.Label3, &w.Projekt_Größe_txt,
             &w.Label5, &w.Drive1, &w.Drive_txt, &w.Label7, &w.CF_Größe_txt, &w.Label9, &w.Dir1,
             &w.File1, &w.Karte_löschen, &w.Karte_schreiben, &w.Label4, &w.Status2_txt})
        EXPECT_TRUE(inside(*c, w.Frame1)) << c->name();
}

// About 90 twips a character at 8.25 pt (a blank half that), wider for bold
// and larger fonts.
void ExpectFits(const ui::Control &c, const std::string &text) {
    const double scale = c.font().size / 8.25 * (c.font().bold ? 1.1 : 1.0);
    const auto blanks = static_cast<std::size_t>(std::count(text.begin(), text.end(), ' '));
    const double width =
        (static_cast<double>(Characters(text) - blanks) * 90 + blanks * 45) * scale;
    EXPECT_LE(width, c.rect().width) << c.name() << ": " << text;
}

TEST_F(Layout, CaptionsFitInBothLanguages) {
    for (ui::OptionButton *language : {&W().Deutsch, &W().Englisch}) {
        language->Click();
        for (const ui::Control *c : W().controls()) {
            if (auto *frame = dynamic_cast<const ui::Frame *>(c))
                ExpectFits(*frame, frame->caption());
            else if (auto *label = dynamic_cast<const ui::Label *>(c))
                ExpectFits(*label, label->caption());
            else if (auto *button = dynamic_cast<const ui::Button *>(c))
                ExpectFits(*button, button->caption());
        }
    }
}

TEST_F(Layout, FixedPropertiesOfTheControls) {
    EXPECT_TRUE(W().Label1.font().bold);
    EXPECT_EQ(W().Label1.font().size, 13.5);
    EXPECT_EQ(W().Label1.alignment, ui::Align::Center);
    for (const ui::Label *l :
         {&W().Label15, &W().Label11, &W().Label12, &W().Label13, &W().Label14, &W().Label16}) {
        EXPECT_TRUE(l->font().bold) << l->name();
        EXPECT_EQ(l->font().size, 8.25) << l->name();
    }
    EXPECT_EQ(W().Label15.caption(), "Compact Flash");
    EXPECT_EQ(W().Label11.caption(), "64 MB");
    EXPECT_EQ(W().Projektname_txt.max_length, 12);
    EXPECT_FALSE(W().Projektname_txt.locked);
    for (const ui::TextBox *b : {&W().Wave_Größe_txt, &W().Freier_Speicherplatz_txt,
                                 &W().Projekt_Größe_txt, &W().CF_Größe_txt}) {
        EXPECT_TRUE(b->locked) << b->name();
        EXPECT_EQ(b->alignment, ui::Align::Right) << b->name();
    }
    for (const ui::TextBox *b : {&W().Quell_Wave_txt, &W().Ziel_Projekt_txt,
                                 &W().Ziel_Projekt_txt_2, &W().Status_txt, &W().Status2_txt})
        EXPECT_TRUE(b->locked) << b->name();
    for (const ui::Button *b : {&W().Play_Button, &W().Pause_Button, &W().Stop_Button})
        EXPECT_TRUE(b->symbol_font) << b->name();
    EXPECT_EQ(W().Deutsch.picture, &pictures::GermanFlag());
    EXPECT_EQ(W().Englisch.picture, &pictures::BritishFlag());
    EXPECT_EQ(W().Deutsch.rect().width, 660);
    EXPECT_EQ(W().Deutsch.rect().height, 435);
}

TEST_F(Layout, AboutWindowGeometry) {
    Trackforge_Info about(W());
    EXPECT_EQ(about.client_width, 12015);
    EXPECT_EQ(about.client_height, 9015);
    ASSERT_FALSE(about.controls().empty());
    EXPECT_EQ(about.controls().front(), &about.Picture1); // drawn behind the rest
    EXPECT_EQ(about.Picture1.picture, &pictures::AboutBackground());
    EXPECT_EQ(about.Picture1.rect().width, 12015);
    for (const ui::Label *l : {&about.Label1, &about.Label2, &about.Label3, &about.Label4}) {
        EXPECT_EQ(l->font().size, 24) << l->name();
        EXPECT_TRUE(l->transparent) << l->name();
        EXPECT_EQ(l->color, 0xFFFFFFu) << l->name();
    }
    EXPECT_EQ(about.Label5.font().size, 9.75);
    EXPECT_EQ(about.Label5.alignment, ui::Align::Center);
}

TEST_F(Layout, KbTextUsesTheUsersGrouping) {
    EXPECT_EQ(W().KbText(1541), "1.541 kByte");
    locale.separator = ",";
    EXPECT_EQ(W().KbText(1234567), "1,234,567 kByte");
    EXPECT_EQ(W().KbText(0), "0 kByte");
}

class BusyCursor : public ShellTest {
  protected:
    void SetUp() override {
        windows.Show(W());
        cursor.calls.clear();
    }
    std::string Handle() { return std::to_string(windows.Handle(W())); }
};

TEST_F(BusyCursor, FirstFolderIsPreferred) {
    fs.WriteFile("c:\\windows\\cursors\\Hourglas.ani", "ani");
    fs.WriteFile("c:\\winnt\\cursors\\Hourglas.ani", "ani");
    W().InitAniCursor();
    EXPECT_EQ(cursor.calls, (std::vector<std::string>{
                                "LoadCursorFromFile(c:\\windows\\cursors\\Hourglas.ani)",
                                "SetCapture(" + Handle() + ")",
                                "SetCursor(" + std::to_string(cursor.loaded_cursor) + ")"}));
    EXPECT_EQ(W().AniCursorHandle, cursor.loaded_cursor);
    EXPECT_EQ(W().PreviousCursorHandle, 0xC3u);
    EXPECT_TRUE(cursor.captured);
}

TEST_F(BusyCursor, SecondFolderWhenTheFirstHasNone) {
    fs.WriteFile("c:\\winnt\\cursors\\Hourglas.ani", "ani");
    W().InitAniCursor();
    ASSERT_FALSE(cursor.calls.empty());
    EXPECT_EQ(cursor.calls.front(), "LoadCursorFromFile(c:\\winnt\\cursors\\Hourglas.ani)");
    EXPECT_EQ(W().AniCursorHandle, cursor.loaded_cursor);
}

TEST_F(BusyCursor, WithoutCursorFilesTheSystemWaitCursorShowsAndTheOldOneReturns) {
    W().InitAniCursor();
    EXPECT_EQ(W().AniCursorHandle, 0u);
    EXPECT_EQ(cursor.current, cursor.wait_cursor);
    EXPECT_TRUE(cursor.captured);
    W().ExitAniCursor();
    EXPECT_EQ(cursor.current, 0xC3u);
    EXPECT_FALSE(cursor.captured);
    EXPECT_EQ(W().AniCursorHandle, 0u);
}

TEST_F(BusyCursor, FailingStepsAreSkipped) {
    fs.WriteFile("c:\\windows\\cursors\\Hourglas.ani", "ani");
    fs.WriteFile("c:\\winnt\\cursors\\Hourglas.ani", "ani");
    fs.FailNext("FileExists"); // the first file cannot be checked: the second is tried
    cursor.loaded_cursor = 0;  // and the system cannot load it
    W().InitAniCursor();
    EXPECT_EQ(cursor.calls.front(), "LoadCursorFromFile(c:\\winnt\\cursors\\Hourglas.ani)");
    EXPECT_TRUE(cursor.captured);
    EXPECT_EQ(cursor.current, cursor.wait_cursor);
    W().ExitAniCursor();
    EXPECT_EQ(cursor.current, 0xC3u);
    EXPECT_EQ(cursor.calls.back(), "SetCursor(195)");
    EXPECT_EQ(cursor.calls.at(cursor.calls.size() - 2), "ReleaseCapture");
}

} // namespace
} // namespace tf::testing
