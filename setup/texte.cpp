#include "setup/texte.h"

#include <array>
#include <cstddef>
#include <iterator>

namespace tf::setup {

namespace {

constexpr std::size_t kSprachen = 2;

// One column per language, in the order of `Language`. A column left empty
// (nullptr) shows the German text: the log lines, and the few texts the
// installer shows alike in every language.
struct Eintrag {
    Meldung id;
    std::array<const char *, kSprachen> text;
};

constexpr Eintrag kKatalog[] = {
    {Meldung::Titel, {"Setup {}", nullptr}},
    {Meldung::Willkommen, {"Willkommen zum {} Installationsprogramm", "Welcome to {} Setup"}},
    {Meldung::Hinweis,
     {"Setup kann Systemdateien oder gemeinsame Dateien nicht aktualisieren, wenn sie bereits "
      "verwendet werden. Bevor Sie fortfahren, sollten Sie alle geöffneten Anwendungen schließen.",
      "Setup is not able to update system files or shared files, if they are open. Please close "
      "all applications before you go on."}},
    {Meldung::Setup_beenden, {"Setup beenden", "Exit Setup"}},
    {Meldung::OK, {"OK", nullptr}},
    {Meldung::Start_Hinweis,
     {"Starten Sie die Installation, indem Sie auf die Schaltfläche klicken.",
      "Press button to start Setup"}},
    {Meldung::Install_Hinweis,
     {"Klicken Sie auf diese Schaltfläche um die Software in das angegebene Verzeichnis zu "
      "installieren.",
      "Press this button to install the program to the directory displayed below."}},
    {Meldung::Verzeichnis, {"Verzeichnis:", nullptr}},
    {Meldung::Verzeichnis_wechseln, {"Verzeichnis wechseln", "Change Directory"}},
    {Meldung::Quelle, {"Quelle", nullptr}},
    {Meldung::Ziel, {"Ziel", nullptr}},
    {Meldung::Status, {"Status", nullptr}},
    {Meldung::Windows, {"Windows", nullptr}},
    {Meldung::WinNT, {"WinNT", nullptr}},
    {Meldung::Kopiert_Anzahl, {"Es wurde(n) {} Datei(en) kopiert", nullptr}},
    {Meldung::Aktualisiert,
     {"Setup aktualisiert Ihr System ...", "Setup is updating your system ..."}},
    {Meldung::Erfolgreich,
     {"Das Setup wurde erfolgreich abgeschlossen.", "The Setup was successful."}},
    {Meldung::Log_kopiert, {"{} wurde nach {} kopiert", nullptr}},
    {Meldung::Log_registriert, {"{} wurde registriert", nullptr}},
    {Meldung::Log_nicht_registriert, {"{} konnte nicht registriert werden! ({})", nullptr}},
    {Meldung::Log_identisch,
     {"{} - Datei ist identisch mit der Datei auf der Festplatte", nullptr}},
    {Meldung::Log_aelter, {"{} - Datei ist älter als die Datei auf der Festplatte", nullptr}},
    {Meldung::Log_nicht_kopiert, {"{} - Datei konnte nicht kopiert werden!", nullptr}},
    {Meldung::Log_nicht_erstellt, {"{} konnte nicht erstellt werden!", nullptr}},
    {Meldung::Log_ohne_Registrierung,
     {"{} enthält keine DllRegisterServer-Funktion und wird nicht registriert", nullptr}},
    {Meldung::Grund_Rueckgabewert, {"regsvr32 endete mit {}", nullptr}},
    {Meldung::Grund_nicht_gestartet, {"regsvr32 konnte nicht gestartet werden", nullptr}},
    {Meldung::Grund_keine_Antwort, {"regsvr32 hat nach {} Sekunden nicht geendet", nullptr}},
    {Meldung::Grund_nicht_lesbar, {"die Datei ist nicht lesbar", nullptr}},
    {Meldung::Log_in_Benutzung,
     {"{} wird gerade ausgeführt und kann nicht ersetzt werden", nullptr}},
    {Meldung::Log_keine_Verknuepfung, {"{} wurde nicht angelegt, weil {} fehlt", nullptr}},
    {Meldung::Log_nicht_eingetragen,
     {"Trackforge konnte nicht unter Programme und Features eingetragen werden!", nullptr}},
    {Meldung::Frage_Programm_laeuft,
     {"{} läuft gerade und kann nicht ersetzt werden.\n\nBitte schließen Sie Trackforge. Soll "
      "Setup es dann noch einmal versuchen?",
      "{} is running and cannot be replaced.\n\nPlease close Trackforge. Shall Setup try "
      "again then?"}},
    {Meldung::Ende_Programm_laeuft,
     {"{} lief noch und wurde nicht ersetzt. Bitte schließen Sie Trackforge und starten Sie "
      "Setup noch einmal.",
      "{} was still running and was not replaced. Please close Trackforge and run Setup "
      "again."}},
    {Meldung::Ende_fehlt,
     {"Setup konnte nicht alles installieren; nicht installiert: {}. Warum, steht im "
      "Installationsprotokoll {}.",
      "Setup could not install everything; not installed: {}. The install log {} tells why."}},
    {Meldung::Und, {" und ", " and "}},
    {Meldung::Frage_entfernen,
     {"Möchten Sie {} mit seinen Verknüpfungen von diesem Computer entfernen?\n\nIhre "
      "Einstellungen bleiben erhalten.",
      "Do you want to remove {} and its shortcuts from this computer?\n\nYour settings are "
      "kept."}},
    {Meldung::Entfernt, {"{} wurde entfernt.", "{} has been removed."}},
    {Meldung::Nicht_entfernt,
     {"Nicht alles konnte entfernt werden:\n\n{}\n\nLäuft Trackforge noch? Schließen Sie es "
      "und versuchen Sie es noch einmal.",
      "Not everything could be removed:\n\n{}\n\nIs Trackforge still running? Close it and "
      "try again."}},
    {Meldung::Install_Button_Name, {"Installieren", "Install"}},
    {Meldung::Frage_beenden,
     {"Möchten Sie Setup beenden? Trackforge wird dann nicht installiert.",
      "Do you want to exit Setup? Trackforge will not be installed."}},
    // Shown before any language is chosen; it has always been English.
    {Meldung::Unerwarteter_Fehler, {"Unexpected error", nullptr}},
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

constexpr bool InIdOrder() {
    for (std::size_t i = 0; i < std::size(kKatalog); ++i)
        if (static_cast<std::size_t>(kKatalog[i].id) != i)
            return false;
    return std::size(kKatalog) == static_cast<std::size_t>(Meldung::Aufruf) + 1;
}
static_assert(InIdOrder(), "one catalog row per message, in the order of Meldung");
static_assert(static_cast<std::size_t>(Language::English) + 1 == kSprachen);

} // namespace

std::string Text(Meldung id, Language sprache, std::initializer_list<std::string_view> args) {
    const Eintrag &e = kKatalog[static_cast<std::size_t>(id)];
    const char *vorlage = e.text[static_cast<std::size_t>(sprache)];
    const std::string_view v = vorlage ? vorlage : e.text[0];
    std::string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v.compare(i, 2, "{}") == 0 && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += v[i];
        }
    }
    return out;
}

} // namespace tf::setup
