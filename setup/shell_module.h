#pragma once
// The installer's two small shell modules: resolving a special folder and
// writing a shortcut file.

#include "platform/services.h"

#include <cstdint>
#include <string>

namespace tf::setup {

inline constexpr std::int32_t kCsidlDesktop = 0;

// Standard_Ordner: the folder's path without trailing separator, "" when the
// shell cannot resolve it.
std::string Spezialordner_Pfad(ShellApi &shell, const std::int32_t &CSIDL);

// Verknüpfung: writes the shortcut file; arguments, description and working
// folder are only set when not empty. False when it could not be created or saved.
bool Verknuepfung_erstellen(ShellApi &shell, const std::string &Ziel_Pfad,
                            const std::string &Verknuepfung_Pfad, const std::string &Argumente,
                            const std::string &Beschreibung, const std::string &Arbeitsordner);

} // namespace tf::setup
