#include "setup/fenster.h"

namespace tf::setup {

std::string SetupFenster::Titel() {
    return Text(Meldung::Titel, Language::German, {kProduktName});
}

void SetupFenster::Weiter_zu(ui::Form &naechstes) {
    weiter_ = true;
    s().windows.Unload(*this);
    weiter_ = false;
    if (!k_.beendet())
        s().windows.Show(naechstes);
}

std::function<void()> SetupFenster::Aktion(std::function<void()> handler) {
    return [this, handler = std::move(handler)] {
        if (!k_.vorschau)
            handler();
    };
}

void SetupFenster::Form_Escape() {
    if (k_.vorschau || k_.beendet())
        return;
    const Language sprache = k_.Sprache();
    if (s().boxes.Show(Text(Meldung::Frage_beenden, sprache), MsgButtons::YesNo, MsgIcon::None,
                       Titel()) == MsgAnswer::Yes)
        k_.Programm_beenden();
}

void SetupFenster::Form_Unload() {
    if (!weiter_ && !k_.beendet())
        k_.Programm_beenden();
}

void SetupProgramm::Starten() {
    kontext.services.windows.Show(fenster1);
}

int SetupProgramm::Unbeaufsichtigt_installieren() {
    kontext.unbeaufsichtigt = true;
    // Neither window is shown; their controls only hold the texts.
    fenster1.Form_Load();
    fenster2.Form_Load();
    fenster2.Installation_ausfuehren();
    return fenster2.Rueckgabe();
}

} // namespace tf::setup
