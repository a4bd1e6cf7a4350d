#pragma once
// What the installer's windows share: the platform services, the fixed names
// of the product and its folder, and the one way to end the program.

#include "platform/filesystem.h"
#include "platform/language.h"
#include "platform/services.h"
#include "platform/ui/form.h"

#include <functional>
#include <string>

namespace tf::setup {

inline constexpr const char *kProduktName = "Trackforge";
inline constexpr const char *kHersteller = "NOVALUX";
inline constexpr const char *kVerknuepfungName = "Trackforge.lnk";
inline constexpr const char *kProgrammDatei = "Trackforge.exe";
inline constexpr const char *kBibliotheksDatei = "Sonwerk_Projekt.dll";
inline constexpr const char *kLogDatei = "TF_log.txt";
// The copy of Setup.exe that stays in the program folder to uninstall it.
inline constexpr const char *kDeinstallationsDatei = "Setup.exe";
// The installer never asks where to install; the program always goes here.
inline constexpr const char *kProgrammOrdner = "C:\\Programme\\NOVALUX Trackforge";

// Below HKEY_LOCAL_MACHINE: the entry of "Programs and Features", and the
// count that Windows installers keep of the programs using a shared file.
inline constexpr const char *kDeinstallationsSchluessel =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Trackforge";
inline constexpr const char *kSharedDllsSchluessel =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The per-machine shell folders (a per-machine install shows for every user).
inline constexpr int kCsidlCommonPrograms = 0x0017;
inline constexpr int kCsidlCommonDesktop = 0x0019;

struct SetupServices {
    FileSystem &fs;
    Clock &clock;
    EventPump &events;
    ProcessStarter &processes;
    ShellApi &shell;
    ui::WindowSystem &windows;
    MessageBoxes &boxes;
    Registry &registry;
    // Setup.exe's own full path: the table's files lie beside it, wherever
    // the current folder is.
    std::string setup_datei;
};

// The folder part of a path, "" when it has none.
std::string Ordner_von(const std::string &pfad);

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
    // No window is shown and nobody answers a question.
    bool unbeaufsichtigt = false;
    // The language chosen in the welcome window, for what every window says alike.
    std::function<Language()> Sprache = [] { return Language::German; };

  private:
    bool beendet_ = false;
};

// Lets pending events run until `sekunden` have passed on the seconds-since-
// midnight clock; stops early once the program has been ended.
void Pause(SetupKontext &kontext, double sekunden);

} // namespace tf::setup
