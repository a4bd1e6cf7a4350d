#pragma once
// The fixed table of files the installer puts in place.

#include <array>
#include <string>

namespace tf::setup {

struct Dateieintrag {
    std::string Dateiname;  // bare name, found in the installer's working folder
    std::string Zielordner; // without trailing separator
};

inline constexpr int kDateiAnzahl = 100;
using Dateiliste = std::array<Dateieintrag, kDateiAnzahl>; // entry n at index n - 1

// The table with its system-folder targets built from `Windows_Ordner`
// ("c:/windows/", "c:/winnt/" or empty).
Dateiliste Dateiliste_fuellen(const std::string &Windows_Ordner);

} // namespace tf::setup
