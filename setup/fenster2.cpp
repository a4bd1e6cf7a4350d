#include "setup/fenster.h"

#include "setup/bilder.h"
#include "setup/shell_module.h"

#include <cstdio>
#include <exception>
#include <functional>

namespace tf::setup {

namespace {
constexpr const char *kZeilenende = "\r\n";

// Date and time with a four-digit year, so that stamps sort across centuries.
std::string Zeitstempel(const DateTime &d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
    return buf;
}

bool Wird_registriert(const std::string &Dateiname) {
    if (Dateiname.size() < 3)
        return false;
    const std::string ende = Dateiname.substr(Dateiname.size() - 3);
    return ende == "dll" || ende == "ocx";
}

// The shortcut and log writers skip a failing step and go on with the next.
void Schritt(const std::function<void()> &schritt) {
    try {
        schritt();
    } catch (const std::exception &) {
    }
}
} // namespace

Fenster2::Fenster2(SetupKontext &kontext, Fenster1 &fenster1, ui::Form &fenster3)
    : SetupFenster("Fenster2", kontext), fenster1_(fenster1), fenster3_(fenster3) {
    for (ui::Control *c : std::initializer_list<ui::Control *>{
             &Label4, &Install_Button, &Label5, &Verzeichnis_Frame, &Verzeichnis_txt,
             &Verzeichnis_wechseln_Button, &Abbrechen_Button, &Label1, &Quelle_txt, &Label2,
             &Ziel_txt, &Label3, &Status_txt, &LOG_txt})
        Add(*c);
    Install_Button.on_click = [this] { Install_Button_Click(); };
    Abbrechen_Button.on_click = [this] { Abbrechen_Button_Click(); };
    Verzeichnis_wechseln_Button.on_click = [this] { Verzeichnis_wechseln_Button_Click(); };
    Layout();
}

void Fenster2::Layout() {
    client_width = 7800;
    client_height = 3225;
    centered = true;
    icon = &bilder::SetupIcon();

    Label4.set_rect({240, 120, 7320, 255});
    Label4.set_font({"MS Sans Serif", 8.25, true});
    Install_Button.picture = &bilder::SetupPackage();
    Install_Button.set_rect({240, 480, 1050, 1080});
    Label5.set_rect({1500, 720, 6060, 615});
    Verzeichnis_Frame.set_rect({120, 1680, 7560, 900});
    Verzeichnis_txt.set_rect({360, 2040, 4680, 255});
    Verzeichnis_wechseln_Button.set_rect({5280, 1965, 2160, 375});
    Abbrechen_Button.set_rect({3000, 2730, 1800, 375});

    // The run writes into these; they lie below the window's client area.
    Label1.set_rect({120, 4200, 900, 255});
    Quelle_txt.set_rect({1080, 4200, 6495, 285});
    Label2.set_rect({120, 4560, 900, 255});
    Ziel_txt.set_rect({1080, 4560, 6495, 285});
    Label3.set_rect({120, 4920, 900, 255});
    Status_txt.set_rect({1080, 4920, 6495, 285});
    LOG_txt.set_rect({120, 5280, 7455, 3375});
    LOG_txt.multiline = true;
    for (ui::TextBox *t : {&Quelle_txt, &Ziel_txt, &Status_txt, &LOG_txt})
        t->locked = true;
    Label1.set_caption("Quelle");
    Label2.set_caption("Ziel");
    Label3.set_caption("Status");
    Verzeichnis_Frame.set_caption("Verzeichnis:");
}

void Fenster2::Form_Load() {
    const bool deutsch = fenster1_.Deutsch_aktiv();
    auto text = [deutsch](const char *de, const char *en) { return deutsch ? de : en; };
    set_caption(Titel());
    Label4.set_caption(text("Starten Sie die Installation, indem Sie auf die Schaltfläche klicken.",
                            "Press button to start Setup"));
    Label5.set_caption(text("Klicken Sie auf diese Schaltfläche um die Software in das angegebene "
                            "Verzeichnis zu installieren.",
                            "Press this button to install the program to the directory displayed "
                            "below."));
    Verzeichnis_wechseln_Button.set_caption(text("Verzeichnis wechseln", "Change Directory"));
    Abbrechen_Button.set_caption(text("Setup beenden", "Exit Setup"));
    Windows_Ordner_suchen();
    Verzeichnis_txt.set_caption(kProgrammOrdner);
    Dateien = Dateiliste_fuellen(Windows_Ordner);
    Kopiert_Anzahl = 0;
    LOG_txt.set_text("");
}

// Always drive C; when both folders exist the second one wins.
void Fenster2::Windows_Ordner_suchen() {
    Windows_Ordner.clear();
    auto vorhanden = [this](const char *ordner) {
        try {
            return s().fs.FolderExists(ordner);
        } catch (const std::exception &) {
            return false;
        }
    };
    if (vorhanden("c:/windows")) {
        Windows_Ordner = "c:/windows/";
        Status_txt.set_text("Windows");
    }
    if (vorhanden("c:/winnt")) {
        Windows_Ordner = "c:/winnt/";
        Status_txt.set_text("WinNT");
    }
}

void Fenster2::Install_Button_Click() {
    // The run lets events through; a second click meanwhile would start a
    // second run over the same files and log. One run per installer start.
    if (installiert_)
        return;
    installiert_ = true;
    Install_Button.set_enabled(false);
    Installation_ausfuehren();
    if (kontext().beendet())
        return;
    Pause(kontext(), 1.0);
    if (kontext().beendet())
        return;
    Weiter_zu(fenster3_);
}

void Fenster2::Abbrechen_Button_Click() {
    kontext().Programm_beenden();
}

void Fenster2::Installation_ausfuehren() {
    for (std::int16_t Feldnummer = 1; Feldnummer <= kDateiAnzahl; ++Feldnummer) {
        Kopieren(Feldnummer);
        Status_txt.set_text("Es wurde(n) " + std::to_string(Kopiert_Anzahl) + " Datei(en) kopiert");
        s().events.DoEvents();
        if (kontext().beendet())
            return;
    }
    Verknuepfung_anlegen();
    Log_TXT_Speichern();
}

void Fenster2::Log(const std::string &zeile) {
    LOG_txt.set_text(LOG_txt.text() + zeile + kZeilenende);
}

void Fenster2::Kopieren(const std::int16_t &Feldnummer) {
    const Dateieintrag &e = Dateien.at(static_cast<std::size_t>(Feldnummer - 1));
    if (e.Dateiname.empty())
        return;
    // One failing step abandons the entry; the lines written before it stay.
    try {
        Eintrag_installieren(e);
    } catch (const std::exception &) {
        Log(e.Dateiname + " - Datei konnte nicht kopiert werden!");
    }
}

void Fenster2::Eintrag_installieren(const Dateieintrag &e) {
    FileSystem &fs = s().fs;
    const std::string &quelle = e.Dateiname;
    const std::string ziel = e.Zielordner + "/" + e.Dateiname;
    CreatePath(e.Zielordner);
    if (fs.FileExists(ziel)) {
        const std::string stempel_quelle = Zeitstempel(fs.LastModified(quelle));
        const std::string stempel_ziel = Zeitstempel(fs.LastModified(ziel));
        if (stempel_quelle == stempel_ziel) {
            Log(e.Dateiname + " - Datei ist identisch mit der Datei auf der Festplatte");
            return;
        }
        if (stempel_quelle < stempel_ziel) {
            Log(e.Dateiname + " - Datei ist älter als die Datei auf der Festplatte");
            return;
        }
    }
    Quelle_txt.set_text(quelle);
    Ziel_txt.set_text(ziel);
    fs.CopyFile(quelle, ziel);
    Log(e.Dateiname + " wurde nach " + ziel + " kopiert");
    if (Wird_registriert(e.Dateiname)) {
        const std::string befehl = Windows_Ordner + "system32\\" + "regsvr32.exe /s " + e.Dateiname;
        bool gestartet = false;
        Schritt([&] { gestartet = s().processes.Start(befehl); });
        // The file is in place either way; only its registration is missing.
        if (gestartet)
            Log(e.Dateiname + " wurde registriert" + kZeilenende);
        else
            Log(e.Dateiname + " konnte nicht registriert werden!");
    }
    ++Kopiert_Anzahl;
}

void Fenster2::CreatePath(const std::string &Pfad) {
    FileSystem &fs = s().fs;
    std::string praefix;
    for (std::size_t i = 0; i < Pfad.size(); ++i) {
        const char c = Pfad[i];
        praefix += c;
        const bool grenze = c == '\\' || c == '/' || i + 1 == Pfad.size();
        if (grenze && !fs.FolderExists(praefix))
            fs.CreateFolder(praefix);
    }
}

void Fenster2::Verknuepfung_anlegen() {
    const std::string desktop = Spezialordner_Pfad(s().shell, kCsidlDesktop);
    const std::string programm = std::string(kProgrammOrdner) + "\\Trackforge.exe";
    if (!Verknuepfung_erstellen(s().shell, programm, desktop + "\\Trackforge.lnk", "", "", ""))
        Log("Trackforge.lnk konnte nicht erstellt werden!");
}

void Fenster2::Log_TXT_Speichern() {
    std::unique_ptr<TextWriter> datei;
    Schritt([&] { datei = s().fs.CreateTextFile(std::string(kProgrammOrdner) + "/TF_log.txt"); });
    if (!datei)
        return;
    Schritt([&] { datei->Write(LOG_txt.text()); });
    Schritt([&] { datei->Close(); });
}

} // namespace tf::setup
