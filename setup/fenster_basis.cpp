#include "setup/fenster.h"

namespace tf::setup {

std::string SetupFenster::Titel() { return std::string("Setup ") + kProduktName; }

void SetupFenster::Weiter_zu(ui::Form& naechstes) {
    weiter_ = true;
    s().windows.Unload(*this);
    weiter_ = false;
    if (!k_.beendet())
        s().windows.Show(naechstes);
}

void SetupFenster::Form_Unload() {
    if (!weiter_ && !k_.beendet())
        k_.Programm_beenden();
}

void SetupProgramm::Starten() { kontext.services.windows.Show(fenster1); }

int SetupProgramm::Unbeaufsichtigt_installieren() {
    // Neither window is shown; their controls only hold the texts.
    fenster1.Form_Load();
    fenster2.Form_Load();
    fenster2.Installation_ausfuehren();
    return 0;
}

} // namespace tf::setup
