// The language flag and the window texts that follow it.

#include "app/shell/messages.h"
#include "app/shell/projekt.h"

#include <stdexcept>
#include <string>

namespace tf {

namespace {

// Name: what a screen reader says for a control whose face is a glyph, or a
// box that has no label of its own beside it.
enum class Kind { Caption, ToolTip, DefaultName, Name };
using K = Kind;

struct WindowText {
    const char *control; // the control's name
    Kind kind;
    Msg text;
};

// The window's texts, in the order they are set.
constexpr WindowText kTexts[] = {
    {"Label1", K::Caption, Msg::Title},
    {"Label2", K::Caption, Msg::SizeLabel},
    {"Frame2", K::Caption, Msg::ConvertFrame},
    {"Quell_Wave_Button", K::Caption, Msg::WaveButton},
    {"Ziel_Projekt_Button", K::Caption, Msg::ProjectButton},
    {"Frame1", K::Caption, Msg::CardFrame},
    {"Ziel_Projekt_Button_2", K::Caption, Msg::ProjectButton},
    {"Label3", K::Caption, Msg::SizeLabel},
    {"Label5", K::Caption, Msg::CardDriveLabel},
    {"Label7", K::Caption, Msg::FreeSpaceLabel},
    {"Label10", K::Caption, Msg::FreeSpaceLabel},
    {"Label9", K::Caption, Msg::CardContentsLabel},
    {"Karte_löschen", K::Caption, Msg::ClearCardButton},
    {"Karte_schreiben", K::Caption, Msg::WriteCardButton},
    {"Command3", K::Caption, Msg::CloseButton},
    {"Projektname_txt", K::DefaultName, Msg::DefaultName},
    {"Quell_Wave_Button", K::ToolTip, Msg::WaveButtonTip},
    {"Play_Button", K::ToolTip, Msg::PlayTip},
    {"Pause_Button", K::ToolTip, Msg::PauseTip},
    {"Stop_Button", K::ToolTip, Msg::StopTip},
    {"Wave_Größe_txt", K::ToolTip, Msg::WaveSizeTip},
    {"Quell_Wave_txt", K::ToolTip, Msg::WavePathTip},
    {"Ziel_Projekt_Button", K::ToolTip, Msg::ProjectPathTip},
    {"Ziel_Projekt_txt", K::ToolTip, Msg::ProjectPathTip},
    {"Projektname_txt", K::ToolTip, Msg::ProjectNameTip},
    {"Status_txt", K::ToolTip, Msg::StatusTip},
    {"OK_Button", K::ToolTip, Msg::StartTip},
    {"Ziel_Projekt_Button_2", K::ToolTip, Msg::OpenProjectTip},
    {"Ziel_Projekt_txt_2", K::ToolTip, Msg::CardProjectPathTip},
    {"Drive1", K::ToolTip, Msg::DriveListTip},
    {"Dir1", K::ToolTip, Msg::CardContentsTip},
    {"File1", K::ToolTip, Msg::CardContentsTip},
    {"Status2_txt", K::ToolTip, Msg::StatusTip},
    {"Karte_löschen", K::ToolTip, Msg::ClearCardTip},
    {"Karte_schreiben", K::ToolTip, Msg::WriteCardTip},
    {"Command3", K::ToolTip, Msg::CloseTip},
    {"Info_Button", K::ToolTip, Msg::InfoTip},
    {"Drive_txt", K::ToolTip, Msg::DriveTypeTip},
    {"Play_Button", K::Name, Msg::PlayName},
    {"Pause_Button", K::Name, Msg::PauseName},
    {"Stop_Button", K::Name, Msg::StopName},
    {"Quell_Wave_txt", K::Name, Msg::WavePathTip},
    {"Ziel_Projekt_txt", K::Name, Msg::ProjectPathTip},
    {"Ziel_Projekt_txt_2", K::Name, Msg::CardProjectPathTip},
    {"Drive_txt", K::Name, Msg::DriveTypeTip},
    {"Dir1", K::Name, Msg::CardFoldersName},
    {"File1", K::Name, Msg::CardFilesName},
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

void ReplaceDefaultName(ui::Control &control, Language language) {
    auto &box = dynamic_cast<ui::TextBox &>(control);
    const char *replaced = language == Language::German ? kReplacedByGerman : kReplacedByEnglish;
    if (box.text() == replaced)
        box.set_text(Text(Msg::DefaultName, language));
}

} // namespace

void ApplyWindowTexts(Projekt &window, Language language) {
    for (const WindowText &row : kTexts) {
        ui::Control &control = ControlNamed(window, row.control);
        const char *text = Text(row.text, language);
        switch (row.kind) {
        case K::Caption:
            SetCaption(control, text);
            break;
        case K::ToolTip:
            control.set_tooltip(text);
            break;
        case K::DefaultName:
            ReplaceDefaultName(control, language);
            break;
        case K::Name:
            control.set_accessible_name(text);
            break;
        }
    }
}

void Projekt::Sprache_aktualisieren() {
    // Both tests run on purpose: while the settings are read neither option may
    // be selected, and then nothing changes.
    if (Deutsch.value())
        ApplyWindowTexts(*this, Language::German);
    if (Englisch.value())
        ApplyWindowTexts(*this, Language::English);
}

void Projekt::Deutsch_Click() {
    Sprache_aktualisieren();
}

void Projekt::Englisch_Click() {
    Sprache_aktualisieren();
}

} // namespace tf
