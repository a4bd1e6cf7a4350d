#include "setup/texte.h"

#include "library/text_catalog.h"

#include <cstddef>

namespace tf::setup {

namespace {

constexpr std::size_t kSprachen = 2; // in the order of `Language`

static_assert(static_cast<std::size_t>(Language::English) + 1 == kSprachen);

// A text the installer shows alike in every language (the log lines, "OK",
// the window's labels) is written once, as catalog::Alike.
using Eintrag = catalog::Row<Meldung, kSprachen>;

constexpr Eintrag kKatalog[] = {
    {Meldung::Titel, catalog::Alike{"Setup {1}"}},
    {Meldung::Willkommen, {"Willkommen zum {1} Installationsprogramm", "Welcome to {1} Setup"}},
    {Meldung::Hinweis,
     {"Setup kann Systemdateien oder gemeinsame Dateien nicht aktualisieren, wenn sie bereits "
      "verwendet werden. Bevor Sie fortfahren, sollten Sie alle geöffneten Anwendungen schließen.",
      "Setup is not able to update system files or shared files, if they are open. Please close "
      "all applications before you go on."}},
    {Meldung::Setup_beenden, {"Setup beenden", "Exit Setup"}},
    {Meldung::OK, catalog::Alike{"OK"}},
    {Meldung::Start_Hinweis,
     {"Starten Sie die Installation, indem Sie auf die Schaltfläche klicken.",
      "Press button to start Setup"}},
    {Meldung::Install_Hinweis,
     {"Klicken Sie auf diese Schaltfläche um die Software in das angegebene Verzeichnis zu "
      "installieren.",
      "Press this button to install the program to the directory displayed below."}},
    {Meldung::Verzeichnis, catalog::Alike{"Verzeichnis:"}},
    {Meldung::Verzeichnis_wechseln, {"Verzeichnis wechseln", "Change Directory"}},
    {Meldung::Quelle, catalog::Alike{"Quelle"}},
    {Meldung::Ziel, catalog::Alike{"Ziel"}},
    {Meldung::Status, catalog::Alike{"Status"}},
    {Meldung::Windows, catalog::Alike{"Windows"}},
    {Meldung::WinNT, catalog::Alike{"WinNT"}},
    {Meldung::Kopiert_Anzahl, catalog::Alike{"Es wurde(n) {1} Datei(en) kopiert"}},
    {Meldung::Aktualisiert,
     {"Setup aktualisiert Ihr System ...", "Setup is updating your system ..."}},
    {Meldung::Erfolgreich,
     {"Das Setup wurde erfolgreich abgeschlossen.", "The Setup was successful."}},
    {Meldung::Log_kopiert, catalog::Alike{"{1} wurde nach {2} kopiert"}},
    {Meldung::Log_registriert, catalog::Alike{"{1} wurde registriert"}},
    {Meldung::Log_nicht_registriert, catalog::Alike{"{1} konnte nicht registriert werden! ({2})"}},
    {Meldung::Log_identisch,
     catalog::Alike{"{1} - Datei ist identisch mit der Datei auf der Festplatte"}},
    {Meldung::Log_aelter, catalog::Alike{"{1} - Datei ist älter als die Datei auf der Festplatte"}},
    {Meldung::Log_nicht_kopiert, catalog::Alike{"{1} - Datei konnte nicht kopiert werden!"}},
    {Meldung::Log_nicht_erstellt, catalog::Alike{"{1} konnte nicht erstellt werden!"}},
    {Meldung::Log_ohne_Registrierung,
     catalog::Alike{"{1} enthält keine DllRegisterServer-Funktion und wird nicht registriert"}},
    {Meldung::Grund_Rueckgabewert, catalog::Alike{"regsvr32 endete mit {1}"}},
    {Meldung::Grund_nicht_gestartet, catalog::Alike{"regsvr32 konnte nicht gestartet werden"}},
    {Meldung::Grund_keine_Antwort, catalog::Alike{"regsvr32 hat nach {1} Sekunden nicht geendet"}},
    {Meldung::Grund_nicht_lesbar, catalog::Alike{"die Datei ist nicht lesbar"}},
    {Meldung::Log_in_Benutzung,
     catalog::Alike{"{1} wird gerade ausgeführt und kann nicht ersetzt werden"}},
    {Meldung::Log_keine_Verknuepfung, catalog::Alike{"{1} wurde nicht angelegt, weil {2} fehlt"}},
    {Meldung::Log_nicht_eingetragen,
     catalog::Alike{"Trackforge konnte nicht unter Programme und Features eingetragen werden!"}},
    {Meldung::Frage_Programm_laeuft,
     {"{1} läuft gerade und kann nicht ersetzt werden.\n\nBitte schließen Sie Trackforge. Soll "
      "Setup es dann noch einmal versuchen?",
      "{1} is running and cannot be replaced.\n\nPlease close Trackforge. Shall Setup try "
      "again then?"}},
    {Meldung::Ende_Programm_laeuft,
     {"{1} lief noch und wurde nicht ersetzt. Bitte schließen Sie Trackforge und starten Sie "
      "Setup noch einmal.",
      "{1} was still running and was not replaced. Please close Trackforge and run Setup "
      "again."}},
    {Meldung::Ende_fehlt,
     {"Setup konnte nicht alles installieren; nicht installiert: {1}. Warum, steht im "
      "Installationsprotokoll {2}.",
      "Setup could not install everything; not installed: {1}. The install log {2} tells why."}},
    {Meldung::Und, {" und ", " and "}},
    {Meldung::Frage_entfernen,
     {"Möchten Sie {1} mit seinen Verknüpfungen von diesem Computer entfernen?\n\nIhre "
      "Einstellungen bleiben erhalten.",
      "Do you want to remove {1} and its shortcuts from this computer?\n\nYour settings are "
      "kept."}},
    {Meldung::Entfernt, {"{1} wurde entfernt.", "{1} has been removed."}},
    {Meldung::Nicht_entfernt,
     {"Nicht alles konnte entfernt werden:\n\n{1}\n\nLäuft Trackforge noch? Schließen Sie es "
      "und versuchen Sie es noch einmal.",
      "Not everything could be removed:\n\n{1}\n\nIs Trackforge still running? Close it and "
      "try again."}},
    {Meldung::Install_Button_Name, {"Installieren", "Install"}},
    {Meldung::Frage_beenden,
     {"Möchten Sie Setup beenden? Trackforge wird dann nicht installiert.",
      "Do you want to exit Setup? Trackforge will not be installed."}},
    // Shown before any language is chosen; it has always been English.
    {Meldung::Unerwarteter_Fehler, catalog::Alike{"Unexpected error"}},
    {Meldung::Handler_Fehler, {"Das hat leider nicht geklappt.", "Sorry, that did not work."}},
    {Meldung::Aufruf,
     {"Setup.exe         die Installation in vier Fenstern\n"
      "Setup.exe /S      Installation ohne Fenster; Rückgabewert:\n"
      "  0   Trackforge.exe und Sonwerk_Projekt.dll sind installiert (kopiert oder identisch),\n"
      "      die Verknüpfungen und der Eintrag unter Programme und Features sind angelegt\n"
      "  1   Setup selbst ist gescheitert\n"
      "  2   Trackforge.exe ist nicht installiert (auch: es lief noch und war nicht zu ersetzen)\n"
      "  4   Sonwerk_Projekt.dll ist nicht installiert\n"
      "  8   eine Verknüpfung (Desktop, Startmenü) fehlt\n"
      " 16   der Eintrag unter Programme und Features fehlt\n"
      "  Mehrere Fehler ergeben die Summe (6: weder Programm noch Bibliothek).\n"
      "  Warum eine Datei nicht installiert ist, steht in TF_log.txt.\n"
      "Setup.exe /uninstall [/S]  entfernt Trackforge (mit /S ohne Frage); Rückgabewert:\n"
      "  0   alles ist entfernt   2   etwas blieb zurück   3   abgebrochen\n",
      "Setup.exe         the installation in four windows\n"
      "Setup.exe /S      installs without any window; exit status:\n"
      "  0   Trackforge.exe and Sonwerk_Projekt.dll are installed (copied or identical),\n"
      "      the shortcuts and the entry in Programs and Features are made\n"
      "  1   Setup itself failed\n"
      "  2   Trackforge.exe is not installed (also: it was running and could not be replaced)\n"
      "  4   Sonwerk_Projekt.dll is not installed\n"
      "  8   a shortcut (desktop, Start menu) is missing\n"
      " 16   the entry in Programs and Features is missing\n"
      "  Several failures add up (6: neither the program nor the library).\n"
      "  Why a file is not installed is in TF_log.txt.\n"
      "Setup.exe /uninstall [/S]  removes Trackforge (with /S without asking); exit status:\n"
      "  0   everything is removed   2   something was left   3   cancelled\n"}},
};

TF_CATALOG_CHECK(kKatalog, Meldung::Anzahl);

} // namespace

std::string Text(Meldung id, Language sprache, std::initializer_list<std::string_view> args) {
    return catalog::Fill(
        kKatalog[static_cast<std::size_t>(id)].text[static_cast<std::size_t>(sprache)], args);
}

} // namespace tf::setup
