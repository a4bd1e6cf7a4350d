#pragma once
// What the installer's windows share: the platform services, the fixed names
// of the product and its folder, and the one way to end the program.

#include "platform/filesystem.h"
#include "platform/services.h"
#include "platform/ui/form.h"

#include <string>

namespace tf::setup {

inline constexpr const char *kProduktName = "Trackforge";
inline constexpr const char *kVerknuepfungName = "Trackforge.lnk";
// The installer never asks where to install; the program always goes here.
inline constexpr const char *kProgrammOrdner = "C:\\Programme\\NOVALUX Trackforge";

struct SetupServices {
    FileSystem &fs;
    Clock &clock;
    EventPump &events;
    ProcessStarter &processes;
    ShellApi &shell;
    ui::WindowSystem &windows;
};

class SetupKontext {
  public:
    explicit SetupKontext(SetupServices s) : services(s) {}
    SetupServices services;

    // On Windows EndProgram does not return. Where it does (the test doubles),
    // the flag lets the install run and the pauses stop as if it had not.
    void Programm_beenden(int exit_code = 0) {
        beendet_ = true;
        services.windows.EndProgram(exit_code);
    }
    bool beendet() const { return beendet_; }

    // A window shown only for its picture: it shows itself, its buttons do
    // nothing, and closing it ends the program as usual.
    bool vorschau = false;

  private:
    bool beendet_ = false;
};

// Lets pending events run until `sekunden` have passed on the seconds-since-
// midnight clock; stops early once the program has been ended.
void Pause(SetupKontext &kontext, double sekunden);

} // namespace tf::setup
