#include "setup/shell_module.h"
#include "platform/trace_log.h"

#include <exception>

namespace tf::setup {

std::string Spezialordner_Pfad(ShellApi &shell, const std::int32_t &CSIDL) {
    try {
        return shell.SpecialFolderPath(CSIDL);
    } catch (const std::exception &e) {
        trace::Swallowed("Spezialordner_Pfad", e.what());
        return {};
    }
}

bool Verknuepfung_erstellen(ShellApi &shell, const std::string &Ziel_Pfad,
                            const std::string &Verknuepfung_Pfad, const std::string &Argumente,
                            const std::string &Beschreibung, const std::string &Arbeitsordner) {
    try {
        return shell.CreateShortcut(Ziel_Pfad, Verknuepfung_Pfad, Argumente, Beschreibung,
                                    Arbeitsordner);
    } catch (const std::exception &e) {
        trace::Swallowed("Verknuepfung_erstellen", e.what());
        return false;
    }
}

} // namespace tf::setup
