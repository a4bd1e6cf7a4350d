#include "setup/fenster.h"

#include "setup/bilder.h"
#include "setup/pe_exporte.h"
#include "setup/shell_module.h"

#include "platform/complete_copy.h"
#include "platform/steps.h"

#include "tf_version.h"

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
std::string Temporaerer_Name(const std::string &ziel) {
    return ziel + ".tf~";
}

// regsvr32 returns at once for a library that registers itself; one that
// has not ended after this long is taken as failed and left to itself.
constexpr double kRegistrierungSekunden = 60;

std::string Inhalt(FileSystem &fs, const std::string &pfad) {
    auto datei = fs.OpenTextForReading(pfad);
    std::string out;
    while (!datei->AtEndOfStream())
        out += datei->ReadBytes(1 << 20);
    datei->Close();
    return out;
}

std::string Rueckwaerts(std::string pfad) {
    for (char &c : pfad)
        if (c == '/')
            c = '\\';
    return pfad;
}

bool Gleicher_Pfad(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] == '/' ? '\\' : a[i], y = b[i] == '/' ? '\\' : b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
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
    // Out of sight, so out of the Tab order too.
    for (ui::TextBox *t : {&Quelle_txt, &Ziel_txt, &Status_txt, &LOG_txt}) {
        t->locked = true;
        t->tab_stop = false;
    }
    default_button = &Install_Button;
    Label1.set_caption(Logtext(Meldung::Quelle));
    Label2.set_caption(Logtext(Meldung::Ziel));
    Label3.set_caption(Logtext(Meldung::Status));
    Verzeichnis_Frame.set_caption(Logtext(Meldung::Verzeichnis));
}

void Fenster2::Form_Load() {
    set_caption(Titel());
    Label4.set_caption(fenster1_.Text(Meldung::Start_Hinweis));
    Label5.set_caption(fenster1_.Text(Meldung::Install_Hinweis));
    Install_Button.set_accessible_name(fenster1_.Text(Meldung::Install_Button_Name));
    Verzeichnis_wechseln_Button.set_caption(fenster1_.Text(Meldung::Verzeichnis_wechseln));
    Abbrechen_Button.set_caption(fenster1_.Text(Meldung::Setup_beenden));
    Windows_Ordner_suchen();
    Verzeichnis_txt.set_caption(kProgrammOrdner);
    Dateien = Dateiliste_fuellen(Windows_Ordner);
    Ergebnisse.fill(Ergebnis::Leer);
    Verknuepfung_erstellt = false;
    Deinstallation_eingetragen = false;
    Programm_lief = false;
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
    Deinstallation_eintragen();
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
    const std::string quelle = Quelle(e.Dateiname);
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
    if (e.Dateiname == kProgrammDatei && fs.FileExists(ziel))
        Warten_bis_frei(ziel);
    Quelle_txt.set_text(quelle);
    Ziel_txt.set_text(ziel);
    ReplaceWithCompleteCopy(fs, quelle, Temporaerer_Name(ziel), ziel);
    Log(Logtext(Meldung::Log_kopiert, {e.Dateiname, ziel}));
    if (Wird_registriert(e.Dateiname))
        Registrieren(e.Dateiname, ziel);
    ++Kopiert_Anzahl;
    return Ergebnis::Kopiert;
}

// Beside Setup.exe; only without a known folder of its own the current one.
std::string Fenster2::Quelle(const std::string &Dateiname) {
    const std::string ordner = Ordner_von(kontext().services.setup_datei);
    return ordner.empty() ? Dateiname : ordner + "\\" + Dateiname;
}

// A running program cannot be replaced. Whoever sits in front of the
// installer can close it; the unattended install reports it in its status.
void Fenster2::Warten_bis_frei(const std::string &ziel) {
    while (s().fs.InUse(ziel)) {
        const bool nochmal =
            !kontext().unbeaufsichtigt &&
            s().boxes.Show(fenster1_.Text(Meldung::Frage_Programm_laeuft, {kProgrammDatei}),
                           MsgButtons::YesNo, MsgIcon::Exclamation, Titel()) == MsgAnswer::Yes;
        if (!nochmal) {
            Programm_lief = true;
            Log(Logtext(Meldung::Log_in_Benutzung, {kProgrammDatei}));
            throw FsError("in use: " + ziel);
        }
    }
}

// The file is in place either way; only its registration may be missing.
// Only a library that exports DllRegisterServer can be registered: regsvr32
// fails on any other, so it is not started for one.
void Fenster2::Registrieren(const std::string &Dateiname, const std::string &ziel) {
    bool lesbar = false, selbst_registrierend = false;
    steps::Skippable("Kopieren: exports of " + ziel, [&] {
        selbst_registrierend = Exportiert(Inhalt(s().fs, ziel), "DllRegisterServer");
        lesbar = true;
    });
    if (lesbar && !selbst_registrierend) {
        Log(Logtext(Meldung::Log_ohne_Registrierung, {Dateiname}));
        return;
    }
    std::string grund = Logtext(Meldung::Grund_nicht_lesbar);
    if (lesbar) {
        const std::string befehl = Windows_Ordner + "system32\\" + "regsvr32.exe /s " + Dateiname;
        ProcessOutcome o;
        steps::Skippable("Kopieren: regsvr32 " + Dateiname, [&] {
            o = s().processes.Run(befehl, kRegistrierungSekunden,
                                  [this] { s().events.DoEvents(); });
        });
        if (o.state == ProcessOutcome::State::Exited && o.exit_code == 0) {
            Log(Logtext(Meldung::Log_registriert, {Dateiname}) + kZeilenende);
            return;
        }
        grund = o.state == ProcessOutcome::State::Exited
                    ? Logtext(Meldung::Grund_Rueckgabewert, {std::to_string(o.exit_code)})
                : o.state == ProcessOutcome::State::TimedOut
                    ? Logtext(Meldung::Grund_keine_Antwort,
                              {std::to_string(static_cast<int>(kRegistrierungSekunden))})
                    : Logtext(Meldung::Grund_nicht_gestartet);
    }
    Log(Logtext(Meldung::Log_nicht_registriert, {Dateiname, grund}));
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

// On the public desktop and in the Start menu of every user: the install is
// per machine, and the administrator who approved it may be someone else.
// A shortcut to a program that is not there would only fail when clicked.
void Fenster2::Verknuepfung_anlegen() {
    Verknuepfung_erstellt = false;
    // A running program was left in place, and so are its shortcuts.
    if (!Installiert(kProgrammDatei) && Programm_lief)
        return;
    if (!Installiert(kProgrammDatei)) {
        Log(Logtext(Meldung::Log_keine_Verknuepfung, {kVerknuepfungName, kProgrammDatei}));
        return;
    }
    const std::string programm = std::string(kProgrammOrdner) + "\\" + kProgrammDatei;
    bool alle = true;
    for (const std::int32_t csidl : {kCsidlCommonDesktop, kCsidlCommonPrograms}) {
        // An unresolved folder would put the link at the root of the current drive.
        const std::string ordner = Spezialordner_Pfad(s().shell, csidl);
        const std::string datei = ordner + "\\" + kVerknuepfungName;
        if (ordner.empty() || !Verknuepfung_erstellen(s().shell, programm, datei, "", "", "")) {
            alle = false;
            Log(Logtext(Meldung::Log_nicht_erstellt, {ordner.empty() ? kVerknuepfungName : datei}));
        }
    }
    Verknuepfung_erstellt = alle;
}

// The program's entry in "Programs and Features", with the copy of Setup.exe
// it names for uninstalling, and the library's shared count.
void Fenster2::Deinstallation_eintragen() {
    Deinstallation_eingetragen = false;
    if (!Installiert(kProgrammDatei))
        return;
    FileSystem &fs = s().fs;
    Registry &reg = s().registry;
    const std::string ordner = kProgrammOrdner;
    const std::string setup = ordner + "\\" + kDeinstallationsDatei;
    const std::string &eigene = kontext().services.setup_datei;
    bool kopiert = Gleicher_Pfad(eigene, setup);
    if (!kopiert)
        kopiert = steps::Skippable("Setup.exe into the program folder", [&] {
            ReplaceWithCompleteCopy(fs, eigene, Temporaerer_Name(setup), setup);
        });
    if (!kopiert) {
        Log(Logtext(Meldung::Log_nicht_kopiert, {kDeinstallationsDatei}));
        Log(Logtext(Meldung::Log_nicht_eingetragen));
        return;
    }
    Deinstallation_eingetragen = steps::Skippable("the uninstall entry", [&] {
        const char *key = kDeinstallationsSchluessel;
        Bibliothek_zaehlen(reg.ReadDword(key, "TrackforgeSharedDll").has_value());
        std::uint64_t bytes = 0;
        for (const std::string &f :
             {ordner + "\\" + kProgrammDatei, setup, ordner + "\\Tools\\cdex_140_deu.zip",
              Windows_Ordner + "System32\\" + kBibliotheksDatei})
            steps::Skippable("size of " + f, [&] {
                if (fs.FileExists(f))
                    bytes += fs.FileSize(f);
            });
        const std::string programm = ordner + "\\" + kProgrammDatei;
        reg.WriteString(key, "DisplayName", kProduktName);
        reg.WriteString(key, "DisplayVersion", TF_VERSION);
        reg.WriteString(key, "Publisher", kHersteller);
        reg.WriteString(key, "InstallLocation", ordner);
        reg.WriteString(key, "DisplayIcon", programm + ",0");
        reg.WriteDword(key, "EstimatedSize", static_cast<std::uint32_t>((bytes + 1023) / 1024));
        reg.WriteString(key, "UninstallString", "\"" + setup + "\" /uninstall");
        reg.WriteString(key, "QuietUninstallString", "\"" + setup + "\" /uninstall /S");
        reg.WriteDword(key, "NoModify", 1);
        reg.WriteDword(key, "NoRepair", 1);
        reg.WriteDword(key, "Sprache", static_cast<std::uint32_t>(fenster1_.Sprache == 1 ? 1 : 2));
    });
    // The log holds the table's lines; what lies beyond it only when it failed.
    if (!Deinstallation_eingetragen)
        Log(Logtext(Meldung::Log_nicht_eingetragen));
}

// This install counts once on the library, however often it runs; the mark
// in its own entry remembers that it did. Uninstalling takes the count back.
void Fenster2::Bibliothek_zaehlen(bool schon_gezaehlt) {
    if (schon_gezaehlt || !Installiert(kBibliotheksDatei))
        return;
    Registry &reg = s().registry;
    const std::string bibliothek = Rueckwaerts(Windows_Ordner + "System32\\" + kBibliotheksDatei);
    const std::uint32_t zahl = reg.ReadDword(kSharedDllsSchluessel, bibliothek).value_or(0);
    reg.WriteDword(kSharedDllsSchluessel, bibliothek, zahl + 1);
    reg.WriteString(kDeinstallationsSchluessel, "TrackforgeSharedDllPfad", bibliothek);
    reg.WriteDword(kDeinstallationsSchluessel, "TrackforgeSharedDll", 1);
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

int Fenster2::Rueckgabe() const {
    int status = kInstalliert;
    const bool programm = Installiert(kProgrammDatei);
    if (!programm)
        status |= kProgrammFehlt;
    if (!Installiert(kBibliotheksDatei))
        status |= kBibliothekFehlt;
    if (programm && !Verknuepfung_erstellt)
        status |= kVerknuepfungFehlt;
    if (programm && !Deinstallation_eingetragen)
        status |= kEintragFehlt;
    return status;
}

bool Fenster2::Installiert(const std::string &Dateiname) const {
    for (std::size_t i = 0; i < Dateien.size(); ++i)
        if (Dateien[i].Dateiname == Dateiname)
            return Ergebnisse[i] == Ergebnis::Kopiert || Ergebnisse[i] == Ergebnis::Identisch;
    return false;
}

} // namespace tf::setup
