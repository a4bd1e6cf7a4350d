#include "setup/dateiliste.h"

#include "setup/setup_kontext.h"

namespace tf::setup {

namespace {
enum class Ziel { System, Tools, Programm };

struct Zeile {
    int nummer;
    const char *name;
    Ziel ziel;
};

// Numbers that are not listed stay empty.
constexpr Zeile kTabelle[] = {
    {1, "VB6STKIT.dll", Ziel::System},      {2, "MSVCRT40.dll", Ziel::System},
    {3, "COMCAT.dll", Ziel::System},        {4, "VB6DE.dll", Ziel::System},
    {5, "STDOLE2.tlb", Ziel::System},       {6, "asycfilt.dll", Ziel::System},
    {7, "olepro32.dll", Ziel::System},      {8, "OLEAUT32.dll", Ziel::System},
    {9, "msvbvm60.dll", Ziel::System},      {10, "SHELLLNK.tlb", Ziel::System},
    {15, "cdex_140_deu.zip", Ziel::Tools},  {16, "VB5DB.dll", Ziel::System},
    {17, "MSREPL35.dll", Ziel::System},     {18, "MSRD2X35.dll", Ziel::System},
    {19, "expsrv.dll", Ziel::System},       {20, "vbajet32.dll", Ziel::System},
    {21, "MSJINT35.dll", Ziel::System},     {22, "MSJTER35.dll", Ziel::System},
    {23, "MSJET35.dll", Ziel::System},      {25, "CMDLGDE.dll", Ziel::System},
    {26, "Comdlg32.ocx", Ziel::System},     {27, "Sonwerk_Projekt.dll", Ziel::System},
    {28, "Trackforge.exe", Ziel::Programm},
};
} // namespace

Dateiliste Dateiliste_fuellen(const std::string &Windows_Ordner) {
    const std::string system = Windows_Ordner + "System32";
    const std::string programm = kProgrammOrdner;
    Dateiliste liste{};
    for (const Zeile &z : kTabelle) {
        Dateieintrag &e = liste[z.nummer - 1];
        e.Dateiname = z.name;
        switch (z.ziel) {
        case Ziel::System:
            e.Zielordner = system;
            break;
        case Ziel::Tools:
            e.Zielordner = programm + "/Tools";
            break;
        case Ziel::Programm:
            e.Zielordner = programm;
            break;
        }
    }
    return liste;
}

} // namespace tf::setup
