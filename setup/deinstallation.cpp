#include "setup/deinstallation.h"

#include "platform/steps.h"
#include "setup/shell_module.h"
#include "setup/texte.h"

namespace tf::setup {

Deinstallation::Deinstallation(SetupServices &services, Language ersatz_sprache)
    : s_(services), sprache_(ersatz_sprache) {
    steps::Skippable("Deinstallation: language", [&] {
        if (auto sp = s_.registry.ReadDword(kDeinstallationsSchluessel, "Sprache"))
            sprache_ = *sp == 1 ? Language::German : Language::English;
    });
}

std::string Deinstallation::Text(Meldung id, std::initializer_list<std::string_view> args) const {
    return setup::Text(id, sprache_, args);
}

int Deinstallation::Ausfuehren(bool still) {
    const std::string titel = Text(Meldung::Titel, {kProduktName});
    if (!still && s_.boxes.Show(Text(Meldung::Frage_entfernen, {kProduktName}), MsgButtons::YesNo,
                                MsgIcon::None, titel) != MsgAnswer::Yes)
        return kAbgebrochen;
    if (vor_dem_entfernen)
        vor_dem_entfernen();

    // Each step on its own: what can go, goes; the rest is named.
    const std::string ordner = kProgrammOrdner;
    for (const std::int32_t csidl : {kCsidlCommonDesktop, kCsidlCommonPrograms}) {
        const std::string o = Spezialordner_Pfad(s_.shell, csidl);
        if (!o.empty())
            Datei_entfernen(o + "\\" + kVerknuepfungName);
    }
    Datei_entfernen(ordner + "\\" + kProgrammDatei);
    Datei_entfernen(ordner + "\\Tools\\cdex_140_deu.zip");
    Ordner_entfernen_wenn_leer(ordner + "\\Tools");
    Datei_entfernen(ordner + "\\" + kLogDatei);
    Datei_entfernen(ordner + "\\" + kDeinstallationsDatei);
    Bibliothek_freigeben();
    // Whatever else lies there (the settings of those who run it) stays, and
    // with it the folder.
    Ordner_entfernen_wenn_leer(ordner);
    if (Verblieben.empty() && !steps::Skippable("Deinstallation: entry", [&] {
            s_.registry.DeleteKey(kDeinstallationsSchluessel);
        }))
        Verblieben.push_back("HKLM\\" + std::string(kDeinstallationsSchluessel));

    if (!still) {
        std::string liste;
        for (const std::string &v : Verblieben)
            liste += v + "\n";
        if (!liste.empty())
            liste.pop_back();
        s_.boxes.Show(Verblieben.empty() ? Text(Meldung::Entfernt, {kProduktName})
                                         : Text(Meldung::Nicht_entfernt, {liste}),
                      MsgButtons::Ok, Verblieben.empty() ? MsgIcon::None : MsgIcon::Exclamation,
                      titel);
    }
    return Verblieben.empty() ? kEntfernt : kEtwasBlieb;
}

void Deinstallation::Datei_entfernen(const std::string &pfad) {
    const bool weg = steps::Skippable("Deinstallation: " + pfad, [&] {
        if (s_.fs.FileExists(pfad))
            s_.fs.DeleteFile(pfad);
    });
    if (!weg)
        Verblieben.push_back(pfad);
}

void Deinstallation::Ordner_entfernen_wenn_leer(const std::string &pfad) {
    const bool ok = steps::Skippable("Deinstallation: " + pfad, [&] {
        if (s_.fs.FolderExists(pfad) && s_.fs.ListFiles(pfad).empty() &&
            s_.fs.ListFolders(pfad).empty())
            s_.fs.DeleteFolder(pfad);
    });
    if (!ok)
        Verblieben.push_back(pfad);
}

// Only a count this install made is taken back; the library goes with the
// last one. A library the install never counted on belongs to someone else.
void Deinstallation::Bibliothek_freigeben() {
    Registry &reg = s_.registry;
    std::string pfad;
    std::uint32_t zahl = 0;
    bool gezaehlt = false;
    const bool gelesen = steps::Skippable("Deinstallation: shared count", [&] {
        gezaehlt = reg.ReadDword(kDeinstallationsSchluessel, "TrackforgeSharedDll").has_value();
        pfad = reg.ReadString(kDeinstallationsSchluessel, "TrackforgeSharedDllPfad").value_or("");
        if (gezaehlt && !pfad.empty())
            zahl = reg.ReadDword(kSharedDllsSchluessel, pfad).value_or(1);
    });
    if (!gelesen) {
        Verblieben.push_back(kBibliotheksDatei);
        return;
    }
    if (!gezaehlt || pfad.empty())
        return;
    // The mark goes with the count, so an uninstall run again after a partial
    // one does not take the count back twice.
    auto zurueck = [&](auto schritt) {
        if (!steps::Skippable("Deinstallation: shared count", [&] {
                schritt();
                reg.DeleteValue(kDeinstallationsSchluessel, "TrackforgeSharedDll");
            }))
            Verblieben.push_back("HKLM\\" + std::string(kSharedDllsSchluessel));
    };
    if (zahl > 1) {
        zurueck([&] { reg.WriteDword(kSharedDllsSchluessel, pfad, zahl - 1); });
        return;
    }
    const std::size_t vorher = Verblieben.size();
    Datei_entfernen(pfad);
    if (Verblieben.size() == vorher)
        zurueck([&] { reg.DeleteValue(kSharedDllsSchluessel, pfad); });
}

} // namespace tf::setup
