#include "setup/fenster.h"

#include "setup/bilder.h"
#include "shared/language_flags.h"

#include <algorithm>
#include <cstdlib>

namespace tf::setup {

Fenster1::Fenster1(SetupKontext &kontext, ui::Form &fenster2)
    : SetupFenster("Fenster1", kontext), fenster2_(fenster2) {
    for (ui::Control *c : std::initializer_list<ui::Control *>{
             &imgMsg, &Shape1_oben, &Shape1_unten, &Shape1_links, &Shape1_rechts, &Willkommen_txt,
             &Label2, &Frame1, &Deutsch, &Englisch, &OK_Button, &Abbrechen_Button})
        Add(*c);
    flaggen_ = {&Deutsch, &Englisch};
    Deutsch.JoinGroup(&flaggen_);
    Englisch.JoinGroup(&flaggen_);
    Deutsch.on_click = Aktion([this] { Deutsch_Click(); });
    Englisch.on_click = Aktion([this] { Englisch_Click(); });
    OK_Button.on_click = Aktion([this] { OK_Button_Click(); });
    Abbrechen_Button.on_click = Aktion([this] { Abbrechen_Button_Click(); });
    kontext.Sprache = [this] { return Gewaehlte_Sprache(); };
    default_button = &OK_Button;
    Layout();
}

void Fenster1::Layout() {
    client_width = 7200;
    client_height = 3330;
    centered = true;
    icon = &bilder::SetupIcon();

    imgMsg.picture = &bilder::SetupIcon();
    imgMsg.set_rect({300, 300, 480, 480});
    // The rectangle around the texts.
    const int l = 1020, t = 180, r = 6960, b = 2280;
    auto linie = [](ui::Line &x, int x1, int y1, int x2, int y2) {
        x.x1 = x1, x.y1 = y1, x.x2 = x2, x.y2 = y2;
        x.set_rect(
            {std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 15, std::abs(y2 - y1) + 15});
    };
    linie(Shape1_oben, l, t, r, t);
    linie(Shape1_unten, l, b, r, b);
    linie(Shape1_links, l, t, l, b);
    linie(Shape1_rechts, r, t, r, b);

    // The German welcome takes two lines at this size.
    Willkommen_txt.set_rect({1200, 330, 5580, 660});
    Willkommen_txt.set_font({"MS Sans Serif", 12, true});
    Label2.set_rect({1200, 1080, 5580, 1080});
    Label2.set_font({"MS Sans Serif", 9.75, false});

    Frame1.set_rect({240, 2400, 6720, 90});
    Deutsch.picture = &pictures::GermanFlag();
    Deutsch.group = 1;
    Deutsch.set_rect({300, 2700, 660, 435});
    Englisch.picture = &pictures::BritishFlag();
    Englisch.group = 1;
    Englisch.set_rect({1080, 2700, 660, 435});
    OK_Button.set_rect({4020, 2730, 1335, 375});
    Abbrechen_Button.set_rect({5505, 2730, 1455, 375});
}

void Fenster1::Form_Load() {
    Sprache = 1;
    set_caption(Titel());
    Sprache_aktualisieren();
    OK_Button.set_caption(Text(Meldung::OK));
    // The flag of the language in force shows as selected.
    Deutsch.set_value(true);
}

void Fenster1::Deutsch_Click() {
    Sprache = 1;
    Sprache_aktualisieren();
}

void Fenster1::Englisch_Click() {
    Sprache = 2;
    Sprache_aktualisieren();
}

void Fenster1::Sprache_aktualisieren() {
    Willkommen_txt.set_caption(Text(Meldung::Willkommen, {kProduktName}));
    Abbrechen_Button.set_caption(Text(Meldung::Setup_beenden));
    Label2.set_caption(Text(Meldung::Hinweis));
}

void Fenster1::OK_Button_Click() {
    Weiter_zu(fenster2_);
}

void Fenster1::Abbrechen_Button_Click() {
    kontext().Programm_beenden();
}

} // namespace tf::setup
