// The settings file Trackforge.kps: the card drive, the last wave and project
// paths and the language, carried from one run to the next. Four lines of 8-bit
// text, each ended by CR LF; the language as -1 (German) or 0 (English).
//
// It lives in the program's folder. Where that folder cannot be written (an
// installation below the system's program folder, run by a plain user), the
// file goes to the user's own application-data folder instead, into a folder
// of that program folder's own: several copies of the program on one machine
// each keep their settings, and none reads or removes another's.

#include "app/shell/settings.h"
#include "app/shell/projekt.h"
#include "platform/steps.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace tf {

namespace {

constexpr const char *kFileName = "Trackforge.kps";
constexpr const char *kUserFolderName = "Trackforge";

std::string UpperAscii(std::string s) {
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trimmed(const std::string &s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// Line 4 as written ("-1", "0") or as a Boolean word in either language.
bool ParseBoolean(const std::string &line) {
    const std::string v = UpperAscii(Trimmed(line));
    if (v == "-1" || v == "TRUE" || v == "WAHR")
        return true;
    if (v == "0" || v == "FALSE" || v == "FALSCH")
        return false;
    throw std::invalid_argument("not a Boolean: " + line);
}

std::string ProgramSettingsPath(AppPaths &paths) {
    return paths.ProgramFolder() + "\\" + kFileName;
}

// The program folder as one folder name: its last part, readable, and a hash
// of the whole path, case and separators folded, so two copies never share it.
std::string FolderKey(std::string program_folder) {
    std::replace(program_folder.begin(), program_folder.end(), '/', '\\');
    while (!program_folder.empty() && program_folder.back() == '\\')
        program_folder.pop_back();
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : UpperAscii(program_folder))
        hash = (hash ^ c) * 1099511628211ull;
    std::string name = program_folder.substr(program_folder.find_last_of("\\:") + 1);
    for (char &c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("*?\"<>|", c))
            c = '_';
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return (name.empty() ? std::string() : name + "-") + hex;
}

std::string UserSettingsBase(AppPaths &paths) {
    const std::string base = paths.UserDataFolder();
    return base.empty() ? std::string() : base + "\\" + kUserFolderName;
}

std::string UserSettingsFolder(AppPaths &paths) {
    const std::string base = UserSettingsBase(paths);
    return base.empty() ? std::string() : base + "\\" + FolderKey(paths.ProgramFolder());
}

bool Exists(FileSystem &fs, const std::string &path) {
    bool exists = false;
    steps::Skippable("Settings: FileExists",
                     [&] { exists = !path.empty() && fs.FileExists(path); });
    return exists;
}

// Creates, writes and closes the file; each failing step is skipped and the
// next one tried. True only when every step went through.
bool WriteFourLines(FileSystem &fs, const std::string &path, const std::string (&lines)[4]) {
    std::unique_ptr<TextWriter> out;
    bool ok =
        steps::Skippable("Settings: CreateTextFile", [&] { out = fs.CreateTextFile(path); }) &&
        out != nullptr;
    for (const std::string &line : lines)
        ok = steps::Skippable("Settings: WriteLine",
                              [&] {
                                  if (out)
                                      out->WriteLine(line);
                              }) &&
             ok;
    ok = steps::Skippable("Settings: Close",
                          [&] {
                              if (out)
                                  out->Close();
                          }) &&
         ok;
    return ok;
}

void EnsureFolder(FileSystem &fs, const std::string &folder) {
    bool exists = false;
    steps::Skippable("Settings: FolderExists", [&] { exists = fs.FolderExists(folder); });
    if (!exists)
        steps::Skippable("Settings: CreateFolder", [&] { fs.CreateFolder(folder); });
}

} // namespace

std::string UserSettingsFile(AppPaths &paths) {
    const std::string folder = UserSettingsFolder(paths);
    return folder.empty() ? std::string() : folder + "\\" + kFileName;
}

void Projekt::Einstellungen_öffnen() {
    std::string path = UserSettingsFile(s_.paths);
    if (!Exists(s_.fs, path))
        path = ProgramSettingsPath(s_.paths);

    bool read = true;
    if (Exists(s_.fs, path)) {
        // The first failing step ends the reading; what was stored before stays.
        read = steps::UntilFailure("Einstellungen_öffnen", [&] {
            std::unique_ptr<TextReader> in = s_.fs.OpenTextForReading(path);
            CF_Laufwerk = UpperAscii(in->ReadLine());
            Quell_Wave_Pfad = in->ReadLine();
            Ziel_Projekt_Pfad = in->ReadLine();
            Deutsch.set_value(ParseBoolean(in->ReadLine()));
            in->Close();
            CommonDialog1.InitDir = Quell_Wave_Pfad;
            CommonDialog2.InitDir = Ziel_Projekt_Pfad;
            // A blank line 1 means no card drive was chosen last time; the
            // list keeps its drive rather than losing the rest of the settings.
            if (!Trimmed(CF_Laufwerk).empty())
                Drive1.set_drive(CF_Laufwerk);
        });
    }

    if (!read) {
        Deutsch.set_value(true); // its click handler applies the German texts
        return;
    }
    if (Deutsch.value())
        Deutsch.set_value(true);
    else
        Englisch.set_value(true);
    Sprache_aktualisieren();
}

void Projekt::WriteSettingsFile() {
    const std::string lines[4] = {CF_Laufwerk, Quell_Wave_Pfad, Ziel_Projekt_Pfad,
                                  Deutsch.value() ? "-1" : "0"};
    const std::string user_path = UserSettingsFile(s_.paths);
    if (WriteFourLines(s_.fs, ProgramSettingsPath(s_.paths), lines)) {
        // The program folder's copy is current again; this folder's older
        // per-user copy would otherwise be read in its place.
        if (Exists(s_.fs, user_path))
            steps::Skippable("WriteSettingsFile: DeleteFile", [&] { s_.fs.DeleteFile(user_path); });
        return;
    }
    if (user_path.empty())
        return;
    EnsureFolder(s_.fs, UserSettingsBase(s_.paths));
    EnsureFolder(s_.fs, UserSettingsFolder(s_.paths));
    WriteFourLines(s_.fs, user_path, lines);
}

} // namespace tf
