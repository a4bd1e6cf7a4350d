#pragma once
// Removing Trackforge again: what the install put in place goes, the users'
// settings and logs stay, and the library in the system folder goes only
// when no other program counts on it.

#include "platform/language.h"
#include "setup/setup_kontext.h"
#include "setup/texte.h"

#include <functional>
#include <string>
#include <vector>

namespace tf::setup {

// Exit status of `Setup.exe /uninstall`.
enum DeinstallationsRueckgabe : int {
    kEntfernt = 0,
    kEtwasBlieb = 2,
    kAbgebrochen = 3,
};

class Deinstallation {
  public:
    // `ersatz_sprache`: for an entry that does not say which language the
    // install was made in.
    Deinstallation(SetupServices &services, Language ersatz_sprache);

    // Asks once unless `still`, removes, and with a window tells what is left.
    int Ausfuehren(bool still);

    // Runs once the user has agreed, before anything is removed.
    std::function<void()> vor_dem_entfernen;

    // What could not be removed, one path or name each.
    std::vector<std::string> Verblieben;

  private:
    void Datei_entfernen(const std::string &pfad);
    void Ordner_entfernen_wenn_leer(const std::string &pfad);
    void Bibliothek_freigeben();
    std::string Text(Meldung id, std::initializer_list<std::string_view> args = {}) const;
    SetupServices &s_;
    Language sprache_;
};

} // namespace tf::setup
