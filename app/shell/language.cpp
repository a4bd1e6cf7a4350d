// The language flag and the window texts that follow it.

#include "app/shell/projekt.h"
#include "app/shell/window_texts.h"

#include <array>
#include <stdexcept>
#include <string>

namespace tf {

namespace {

using K = WindowText::Kind;

// The window's texts in both languages, in the order they are set. The title's
// blanks are part of it: it is laid out to line up with the flags beside it.
constexpr std::array kTexts{
    WindowText{"Label1", K::Caption, "  Trackforge             für           Tarvolin  Audio ",
               "  Trackforge             for           Tarvolin  Audio "},
    WindowText{"Label2", K::Caption, "Größe:", "Size:"},
    WindowText{"Frame2", K::Caption, "Wave-Datei in Project-Datei umwandeln",
               "Convert Wave-file into Project-file"},
    WindowText{"Quell_Wave_Button", K::Caption, "Wave-Datei", "Wave-file"},
    WindowText{"Ziel_Projekt_Button", K::Caption, "Project-Datei", "Project-file"},
    WindowText{"Frame1", K::Caption, "Project-Datei auf CF-Karte speichern",
               "Save Project-file to CF card"},
    WindowText{"Ziel_Projekt_Button_2", K::Caption, "Project-Datei", "Project-file"},
    WindowText{"Label3", K::Caption, "Größe:", "Size:"},
    WindowText{"Label5", K::Caption, "CF-Laufwerk:", "CF drive:"},
    WindowText{"Label7", K::Caption, "Freier Speicherplatz:", "Remaining disc space:"},
    WindowText{"Label10", K::Caption, "Freier Speicherplatz:", "Remaining disc space:"},
    WindowText{"Label9", K::Caption, "Inhalt CF-Karte:", "List CF card:"},
    WindowText{"Karte_löschen", K::Caption, "Compact Flash Karte löschen", "Clear CF card"},
    WindowText{"Karte_schreiben", K::Caption, "Project-Datei auf CF-Karte schreiben",
               "Save Project-file to CF card"},
    WindowText{"Command3", K::Caption, "Schließen", "Close"},
    // Only the other language's default name is replaced; a typed name stays.
    WindowText{"Projektname_txt", K::DefaultName, "Unbenannt", "unknown"},
    WindowText{"Quell_Wave_Button", K::ToolTip, "Wave-Datei öffnen", "Open Wave-file"},
    WindowText{"Play_Button", K::ToolTip, "Play Wave-Datei", "Play Wave-file"},
    WindowText{"Pause_Button", K::ToolTip, "Pause", "Pause"},
    WindowText{"Stop_Button", K::ToolTip, "Stop", "Stop"},
    WindowText{"Wave_Größe_txt", K::ToolTip, "Größe der Wave-Datei", "Size of Wave-file"},
    WindowText{"Quell_Wave_txt", K::ToolTip, "Pfad der Wave-Datei", "Path of Wave-file"},
    WindowText{"Ziel_Projekt_Button", K::ToolTip, "Speicherort der Project-Datei",
               "Path of Project-file"},
    WindowText{"Ziel_Projekt_txt", K::ToolTip, "Speicherort der Project-Datei",
               "Path of Project-file"},
    WindowText{"Projektname_txt", K::ToolTip,
               "Der Project Name erscheint im Display des Tarvolin Audio",
               "This Project-name will be shown in the display of the Tarvolin Audio"},
    WindowText{"Status_txt", K::ToolTip, "Zeigt aktuellen Status an", "Status information"},
    WindowText{"OK_Button", K::ToolTip, "Wandelt Wave-Datei (*.wav) in Project-Datei (*.kpf) um",
               "Converts Wave-file (*.wav) to Project-file (*.kpf)"},
    WindowText{"Ziel_Projekt_Button_2", K::ToolTip, "Project - Datei öffnen", "Open Project-file"},
    WindowText{"Ziel_Projekt_txt_2", K::ToolTip, "Speicherort der Project-Datei",
               "Path of project file"},
    WindowText{"Drive1", K::ToolTip, "Auswahl des Compact Flash Laufwerks", "Select the CF drive"},
    WindowText{"Dir1", K::ToolTip, "Inhalt des Datenträgers",
               "Shows the content of the storage medium"},
    WindowText{"File1", K::ToolTip, "Inhalt des Datenträgers",
               "Shows the content of the storage medium"},
    WindowText{"Status2_txt", K::ToolTip, "Zeigt aktuellen Status an", "Status information"},
    WindowText{"Karte_löschen", K::ToolTip,
               "Löscht alle Dateien und Verzeichnisse auf der Compact Flash Karte",
               "All files and directories on the CF card will be deleted"},
    WindowText{"Karte_schreiben", K::ToolTip,
               "Schreibt die Project-Datei (*.kpf) auf die Compact Flash Karte",
               "Save the Project-file (*.kpf) to the CF card"},
    WindowText{"Command3", K::ToolTip, "Beendet den Trackforge", "Close Trackforge"},
    WindowText{"Info_Button", K::ToolTip, "Info über Trackforge", "Info about Trackforge"},
    WindowText{"Drive_txt", K::ToolTip, "Datenträger Typ", "Type of storage medium"},
};

// The default name each language replaces: German turns the English
// "Unnamed" into its own, English turns the German default into "unknown".
constexpr const char *kReplacedByGerman = "Unnamed";
constexpr const char *kReplacedByEnglish = "Unbenannt";

ui::Control &ControlNamed(Projekt &window, const std::string &name) {
    for (ui::Control *c : window.controls())
        if (c->name() == name)
            return *c;
    throw std::logic_error("no control named " + name);
}

void SetCaption(ui::Control &control, const std::string &text) {
    if (auto *label = dynamic_cast<ui::Label *>(&control))
        label->set_caption(text);
    else if (auto *button = dynamic_cast<ui::Button *>(&control))
        button->set_caption(text);
    else
        throw std::logic_error(control.name() + " has no caption");
}

void ReplaceDefaultName(ui::Control &control, bool german, const WindowText &row) {
    auto &box = dynamic_cast<ui::TextBox &>(control);
    const char *replaced = german ? kReplacedByGerman : kReplacedByEnglish;
    if (box.text() == replaced)
        box.set_text(german ? row.german : row.english);
}

} // namespace

std::span<const WindowText> MainWindowTexts() {
    return kTexts;
}

void ApplyWindowTexts(Projekt &window, bool german) {
    for (const WindowText &row : kTexts) {
        ui::Control &control = ControlNamed(window, row.control);
        const char *text = german ? row.german : row.english;
        switch (row.kind) {
        case K::Caption:
            SetCaption(control, text);
            break;
        case K::ToolTip:
            control.set_tooltip(text);
            break;
        case K::DefaultName:
            ReplaceDefaultName(control, german, row);
            break;
        }
    }
}

void Projekt::Sprache_aktualisieren() {
    // Both tests run on purpose: while the settings are read neither option may
    // be selected, and then nothing changes.
    if (Deutsch.value())
        ApplyWindowTexts(*this, true);
    if (Englisch.value())
        ApplyWindowTexts(*this, false);
}

void Projekt::Deutsch_Click() {
    Sprache_aktualisieren();
}

void Projekt::Englisch_Click() {
    Sprache_aktualisieren();
}

} // namespace tf
