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
    Kopiert_Anzahl,        // + count
    Aktualisiert,          // Fenster3
    Erfolgreich,           // Fenster4
    Log_kopiert,           // + file name, target file
    Log_registriert,       // + file name
    Log_nicht_registriert, // + file name, reason
    Log_identisch,
    Log_aelter,
    Log_nicht_kopiert,
    Log_nicht_erstellt,     // + shortcut file name
    Log_ohne_Registrierung, // + file name: exports no DllRegisterServer
    Grund_Rueckgabewert,    // + regsvr32's exit status
    Grund_nicht_gestartet,
    Grund_keine_Antwort, // + seconds
    Grund_nicht_lesbar,
    Log_in_Benutzung,       // + file name
    Log_keine_Verknuepfung, // + shortcut name, program file
    Log_nicht_eingetragen,
    Frage_Programm_laeuft, // + program file
    Ende_Programm_laeuft,  // + program file
    Ende_fehlt,            // + missing names, log file
    Und,                   // joins two names
    Frage_entfernen,       // + product name
    Entfernt,              // + product name
    Nicht_entfernt,        // + the list of what is left
    Install_Button_Name,   // what a screen reader says for the picture button
    Frage_beenden,         // Escape in an installer window
    Unerwarteter_Fehler,
    Handler_Fehler, // a failure no handler expected; the detail goes to the trace
    Aufruf,         // what "Setup.exe /?" shows
    Anzahl          // not a message: how many there are
};

// The message with each placeholder {n} replaced by the n-th argument.
std::string Text(Meldung id, Language sprache, std::initializer_list<std::string_view> args = {});

// The install log's lines and the copied-files count: German whatever the language.
inline std::string Logtext(Meldung id, std::initializer_list<std::string_view> args = {}) {
    return Text(id, Language::German, args);
}

} // namespace tf::setup
