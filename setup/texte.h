#pragma once
// Every text the installer shows or writes, keyed by message id. A window asks
// for a message in the language chosen in Fenster1; the install log and the
// status count are German in every language.

#include "platform/language.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace tf::setup {

enum class Meldung {
    Titel,      // "Setup " + product name
    Willkommen, // + product name
    Hinweis,    // close the other applications first
    Setup_beenden,
    OK,
    Start_Hinweis,   // Fenster2, top line
    Install_Hinweis, // Fenster2, beside the install button
    Verzeichnis,
    Verzeichnis_wechseln,
    Quelle,
    Ziel,
    Status,
    Windows,
    WinNT,
    Kopiert_Anzahl,  // + count
    Aktualisiert,    // Fenster3
    Erfolgreich,     // Fenster4
    Log_kopiert,     // + file name, target file
    Log_registriert, // + file name
    Log_nicht_registriert,
    Log_identisch,
    Log_aelter,
    Log_nicht_kopiert,
    Log_nicht_erstellt, // + shortcut file name
    Unerwarteter_Fehler,
    Handler_Fehler, // a failure no handler expected; the detail goes to the trace
    Aufruf,         // what "Setup.exe /?" shows
};

// The message with each "{}" replaced by the next argument, in order.
std::string Text(Meldung id, Language sprache, std::initializer_list<std::string_view> args = {});

// The install log's lines and the copied-files count: German whatever the language.
inline std::string Logtext(Meldung id, std::initializer_list<std::string_view> args = {}) {
    return Text(id, Language::German, args);
}

} // namespace tf::setup
