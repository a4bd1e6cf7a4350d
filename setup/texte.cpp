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
    {Meldung::Log_nicht_registriert, {"{} konnte nicht registriert werden!", nullptr}},
    {Meldung::Log_identisch,
     {"{} - Datei ist identisch mit der Datei auf der Festplatte", nullptr}},
    {Meldung::Log_aelter, {"{} - Datei ist älter als die Datei auf der Festplatte", nullptr}},
    {Meldung::Log_nicht_kopiert, {"{} - Datei konnte nicht kopiert werden!", nullptr}},
    {Meldung::Log_nicht_erstellt, {"{} konnte nicht erstellt werden!", nullptr}},
    // Shown before any language is chosen; it has always been English.
    {Meldung::Unerwarteter_Fehler, {"Unexpected error", nullptr}},
    {Meldung::Handler_Fehler, {"Das hat leider nicht geklappt.", "Sorry, that did not work."}},
    {Meldung::Aufruf,
     {"Setup.exe         die Installation in vier Fenstern\n"
      "Setup.exe /S      Installation ohne Fenster; Rückgabewert:\n"
      "  0   Trackforge.exe und Sonwerk_Projekt.dll sind installiert (kopiert oder identisch),\n"
      "      die Verknüpfung auf dem Desktop ist angelegt\n"
      "  1   Setup selbst ist gescheitert\n"
      "  2   Trackforge.exe ist nicht installiert\n"
      "  4   Sonwerk_Projekt.dll ist nicht installiert\n"
      "  8   die Verknüpfung auf dem Desktop fehlt\n"
      "  Mehrere Fehler ergeben die Summe (6: weder Programm noch Bibliothek).\n"
      "  Warum eine Datei nicht installiert ist, steht in TF_log.txt.\n",
      "Setup.exe         the installation in four windows\n"
      "Setup.exe /S      installs without any window; exit status:\n"
      "  0   Trackforge.exe and Sonwerk_Projekt.dll are installed (copied or identical),\n"
      "      the desktop shortcut is made\n"
      "  1   Setup itself failed\n"
      "  2   Trackforge.exe is not installed\n"
      "  4   Sonwerk_Projekt.dll is not installed\n"
      "  8   the desktop shortcut is missing\n"
      "  Several failures add up (6: neither the program nor the library).\n"
      "  Why a file is not installed is in TF_log.txt.\n"}},
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
