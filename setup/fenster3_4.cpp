#include "setup/fenster.h"

#include "setup/bilder.h"

namespace tf::setup {

Fenster3::Fenster3(SetupKontext &kontext, Fenster1 &fenster1, ui::Form &fenster4)
    : SetupFenster("Fenster3", kontext), fenster1_(fenster1), fenster4_(fenster4) {
    Add(Image1);
    Add(Label1);
    client_width = 4290;
    client_height = 750;
    centered = true;
    has_title_bar = false;
    icon = &bilder::SetupIcon();
    Image1.picture = &bilder::SetupIcon();
    Image1.set_rect({150, 135, 480, 480});
    Label1.set_rect({780, 255, 3390, 255});
    Label1.set_font({"MS Sans Serif", 8.25, true});
}

void Fenster3::Form_Activate() {
    Label1.set_caption(fenster1_.Text(Meldung::Aktualisiert));
    if (kontext().vorschau)
        return;
    Pause(kontext(), 3.0);
    if (kontext().beendet())
        return;
    Weiter_zu(fenster4_);
}

Fenster4::Fenster4(SetupKontext &kontext, Fenster1 &fenster1, Fenster2 &fenster2)
    : SetupFenster("Fenster4", kontext), fenster1_(fenster1), fenster2_(fenster2) {
    Add(Label1);
    Add(OK_Button);
    client_width = 5400;
    client_height = 2040;
    centered = true;
    icon = &bilder::SetupIcon();
    // Room for three lines: a failure names the file and the log.
    Label1.set_rect({240, 240, 4920, 1080});
    Label1.alignment = ui::Align::Center;
    Label1.set_font({"MS Sans Serif", 9.75, true});
    OK_Button.set_rect({2070, 1440, 1260, 375});
    OK_Button.on_click = Aktion([this] { OK_Button_Click(); });
    default_button = &OK_Button;
}

void Fenster4::Form_Load() {
    set_caption(Titel());
    Label1.set_caption(Ergebnistext());
    OK_Button.set_caption(fenster1_.Text(Meldung::OK));
}

// Success only when the program and the library are in place: the same
// cases as the unattended install's exit status.
std::string Fenster4::Ergebnistext() const {
    const int status = fenster2_.Rueckgabe();
    if (fenster2_.Programm_lief)
        return fenster1_.Text(Meldung::Ende_Programm_laeuft, {kProgrammDatei});
    std::string fehlt;
    if (status & kProgrammFehlt)
        fehlt = kProgrammDatei;
    if (status & kBibliothekFehlt)
        fehlt += (fehlt.empty() ? "" : fenster1_.Text(Meldung::Und)) + kBibliotheksDatei;
    if (status & kVerknuepfungFehlt)
        fehlt += (fehlt.empty() ? "" : fenster1_.Text(Meldung::Und)) + kVerknuepfungName;
    if (fehlt.empty())
        return fenster1_.Text(Meldung::Erfolgreich);
    return fenster1_.Text(Meldung::Ende_fehlt,
                          {fehlt, std::string(kProgrammOrdner) + "\\" + kLogDatei});
}

void Fenster4::OK_Button_Click() {
    kontext().Programm_beenden();
}

} // namespace tf::setup
