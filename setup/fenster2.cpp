#include "setup/fenster.h"

#include "setup/bilder.h"
#include "setup/shell_module.h"

#include "platform/complete_copy.h"
#include "platform/steps.h"

#include <cstdio>
#include <exception>

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

// The copy waits under this name beside the target until it is complete.
std::string Temporaerer_Name(const Dateieintrag &e) {
    return e.Zielordner + "/" + e.Dateiname + ".tf~";
}
} // namespace

Fenster2::Fenster2(SetupKontext &kontext, Fenster1 &fenster1, ui::Form &fenster3)
    : SetupFenster("Fenster2", kontext), fenster1_(fenster1), fenster3_(fenster3) {
    for (ui::Control *c : std::initializer_list<ui::Control *>{
             &Label4, &Install_Button, &Label5, &Verzeichnis_Frame, &Verzeichnis_txt,
             &Verzeichnis_wechseln_Button, &Abbrechen_Button, &Label1, &Quelle_txt, &Label2,
             &Ziel_txt, &Label3, &Status_txt, &LOG_txt})
        Add(*c);
    Install_Button.on_click = Aktion([this] { Install_Button_Click(); });
    Abbrechen_Button.on_click = Aktion([this] { Abbrechen_Button_Click(); });
    Verzeichnis_wechseln_Button.on_click = Aktion([this] { Verzeichnis_wechseln_Button_Click(); });
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
    Label1.set_caption(Logtext(Meldung::Quelle));
    Label2.set_caption(Logtext(Meldung::Ziel));
    Label3.set_caption(Logtext(Meldung::Status));
    Verzeichnis_Frame.set_caption(Logtext(Meldung::Verzeichnis));
}

void Fenster2::Form_Load() {
    set_caption(Titel());
    Label4.set_caption(fenster1_.Text(Meldung::Start_Hinweis));
    Label5.set_caption(fenster1_.Text(Meldung::Install_Hinweis));
    Verzeichnis_wechseln_Button.set_caption(fenster1_.Text(Meldung::Verzeichnis_wechseln));
    Abbrechen_Button.set_caption(fenster1_.Text(Meldung::Setup_beenden));
    Windows_Ordner_suchen();
    Verzeichnis_txt.set_caption(kProgrammOrdner);
    Dateien = Dateiliste_fuellen(Windows_Ordner);
    Ergebnisse.fill(Ergebnis::Leer);
    Verknuepfung_erstellt = false;
    Kopiert_Anzahl = 0;
    LOG_txt.set_text("");
}

// Always drive C; when both folders exist the second one wins.
void Fenster2::Windows_Ordner_suchen() {
    Windows_Ordner.clear();
    auto vorhanden = [this](const char *ordner) {
        bool ja = false;
        steps::Skippable("Fenster2: FolderExists", [&] { ja = s().fs.FolderExists(ordner); });
        return ja;
    };
    if (vorhanden("c:/windows")) {
        Windows_Ordner = "c:/windows/";
        Status_txt.set_text(Logtext(Meldung::Windows));
    }
    if (vorhanden("c:/winnt")) {
        Windows_Ordner = "c:/winnt/";
        Status_txt.set_text(Logtext(Meldung::WinNT));
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
        Status_txt.set_text(Logtext(Meldung::Kopiert_Anzahl, {std::to_string(Kopiert_Anzahl)}));
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
    const std::size_t i = static_cast<std::size_t>(Feldnummer - 1);
    const Dateieintrag &e = Dateien.at(i);
    if (e.Dateiname.empty())
        return;
    // One failing step abandons the entry; the lines written before it stay.
    const bool durch = steps::Skippable("Kopieren: " + e.Dateiname,
                                        [&] { Ergebnisse.at(i) = Eintrag_installieren(e); });
    if (!durch) {
        Ergebnisse.at(i) = Ergebnis::Fehlgeschlagen;
        Log(Logtext(Meldung::Log_nicht_kopiert, {e.Dateiname}));
    }
}

Fenster2::Ergebnis Fenster2::Eintrag_installieren(const Dateieintrag &e) {
    FileSystem &fs = s().fs;
    const std::string &quelle = e.Dateiname;
    const std::string ziel = e.Zielordner + "/" + e.Dateiname;
    CreatePath(e.Zielordner);
    if (fs.FileExists(ziel)) {
        const std::string stempel_quelle = Zeitstempel(fs.LastModified(quelle));
        const std::string stempel_ziel = Zeitstempel(fs.LastModified(ziel));
        // A copy cut short by a full disk carries the source's date; its size
        // gives it away, so it is replaced rather than kept as identical.
        if (stempel_quelle == stempel_ziel && fs.FileSize(quelle) == fs.FileSize(ziel)) {
            Log(Logtext(Meldung::Log_identisch, {e.Dateiname}));
            return Ergebnis::Identisch;
        }
        if (stempel_quelle < stempel_ziel) {
            Log(Logtext(Meldung::Log_aelter, {e.Dateiname}));
            return Ergebnis::Aelter;
        }
    }
    Quelle_txt.set_text(quelle);
    Ziel_txt.set_text(ziel);
    ReplaceWithCompleteCopy(fs, quelle, Temporaerer_Name(e), ziel);
    Log(Logtext(Meldung::Log_kopiert, {e.Dateiname, ziel}));
    if (Wird_registriert(e.Dateiname))
        Registrieren(e.Dateiname);
    ++Kopiert_Anzahl;
    return Ergebnis::Kopiert;
}

// The file is in place either way; only its registration may be missing.
void Fenster2::Registrieren(const std::string &Dateiname) {
    const std::string befehl = Windows_Ordner + "system32\\" + "regsvr32.exe /s " + Dateiname;
    bool gestartet = false;
    steps::Skippable("Kopieren: regsvr32 " + Dateiname,
                     [&] { gestartet = s().processes.Start(befehl); });
    if (gestartet)
        Log(Logtext(Meldung::Log_registriert, {Dateiname}) + kZeilenende);
    else
        Log(Logtext(Meldung::Log_nicht_registriert, {Dateiname}));
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
    Verknuepfung_erstellt =
        Verknuepfung_erstellen(s().shell, programm, desktop + "\\" + kVerknuepfungName, "", "", "");
    if (!Verknuepfung_erstellt)
        Log(Logtext(Meldung::Log_nicht_erstellt, {kVerknuepfungName}));
}

void Fenster2::Log_TXT_Speichern() {
    const std::string pfad = std::string(kProgrammOrdner) + "/TF_log.txt";
    std::unique_ptr<TextWriter> datei;
    steps::Skippable("Log_TXT_Speichern: CreateTextFile",
                     [&] { datei = s().fs.CreateTextFile(pfad); });
    if (!datei)
        return;
    steps::Skippable("Log_TXT_Speichern: write", [&] { datei->Write(LOG_txt.text()); });
    steps::Skippable("Log_TXT_Speichern: Close", [&] { datei->Close(); });
}

bool Fenster2::Installiert(const std::string &Dateiname) const {
    for (std::size_t i = 0; i < Dateien.size(); ++i)
        if (Dateien[i].Dateiname == Dateiname)
            return Ergebnisse[i] == Ergebnis::Kopiert || Ergebnisse[i] == Ergebnis::Identisch;
    return false;
}

} // namespace tf::setup
