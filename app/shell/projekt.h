#pragma once
// The main window: conversion of a wave file into a project file (upper frame),
// the card drive, its contents and the copy onto the card (lower frame), the
// language flags, the preview buttons and the about window.
//
// One class over three folders: app/conversion, app/card and app/shell each
// hold the handlers of their part of the window.

#include "app/shell/messages.h"
#include "app/shell/mmedia.h"
#include "platform/filesystem.h"
#include "platform/services.h"
#include "platform/ui/controls.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/form.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tf {

struct ProjektServices {
    FileSystem &fs;
    MessageBoxes &msg;
    ui::FileDialogService &dialogs;
    Clock &clock;
    EventPump &events;
    MciApi &mci;
    CursorApi &cursor;
    ConversionLibrary &library;
    AppPaths &paths;
    Locale &locale;
    ui::WindowSystem &windows;
    ShellApi &shell;
    AudioPreparation &audio;
};

// Titles of the message boxes.
inline constexpr const char *kTitleCard = "NOVALUX";
inline constexpr const char *kTitleApp = "Trackforge";

// Card sizes the device accepts, in kB.
inline constexpr std::int32_t kCardMinKb = 60000;
inline constexpr std::int32_t kCardMaxKb = 1100000;
// The card sizes in MB as the legend shows them; the size messages name all
// but the last (the 1 GB card is taken without being advertised).
inline constexpr int kCardSizesMb[] = {64, 128, 256, 512, 1024};

// CF_Laufwerk after a refused drive.
inline const std::string kNoCardDrive(42, ' ');

class Trackforge_Info;

class Projekt : public ui::Form {
  public:
    explicit Projekt(ProjektServices services);
    ~Projekt() override;

    // Fields.
    std::uintptr_t AniCursorHandle = 0;
    std::uintptr_t PreviousCursorHandle = 0;
    Mmedia player;
    std::string CF_Laufwerk;
    std::string Quell_Wave_Pfad;
    std::string Ziel_Projekt_Pfad;

    // Controls, in the order the window creates them.
    ui::Label Label1{"Label1"};
    ui::OptionButton Deutsch{"Deutsch"};
    ui::OptionButton Englisch{"Englisch"};
    ui::Label Label15{"Label15"}, Label11{"Label11"}, Label12{"Label12"}, Label13{"Label13"},
        Label14{"Label14"}, Label16{"Label16"};
    ui::Line Line1{"Line1"}, Line2{"Line2"}, Line3{"Line3"}, Line4{"Line4"}, Line5{"Line5"};
    ui::PictureBox Image1{"Image1"}, Image2{"Image2"};
    ui::Frame Frame2{"Frame2"};
    ui::Button Quell_Wave_Button{"Quell_Wave_Button"};
    ui::TextBox Quell_Wave_txt{"Quell_Wave_txt"};
    ui::Label Label2{"Label2"};
    ui::TextBox Wave_Größe_txt{"Wave_Größe_txt"};
    ui::Button Play_Button{"Play_Button"}, Pause_Button{"Pause_Button"}, Stop_Button{"Stop_Button"};
    ui::Label Label8{"Label8"};
    ui::TextBox Projektname_txt{"Projektname_txt"};
    ui::Button Ziel_Projekt_Button{"Ziel_Projekt_Button"};
    ui::TextBox Ziel_Projekt_txt{"Ziel_Projekt_txt"};
    ui::Label Label10{"Label10"};
    ui::TextBox Freier_Speicherplatz_txt{"Freier_Speicherplatz_txt"};
    ui::Button OK_Button{"OK_Button"};
    ui::Label Label6{"Label6"};
    ui::TextBox Status_txt{"Status_txt"};
    ui::Frame Frame1{"Frame1"};
    ui::Button Ziel_Projekt_Button_2{"Ziel_Projekt_Button_2"};
    ui::TextBox Ziel_Projekt_txt_2{"Ziel_Projekt_txt_2"};
    ui::Label Label3{"Label3"};
    ui::TextBox Projekt_Größe_txt{"Projekt_Größe_txt"};
    ui::Label Label5{"Label5"};
    ui::DriveListBox Drive1;
    ui::TextBox Drive_txt{"Drive_txt"};
    ui::Label Label7{"Label7"};
    ui::TextBox CF_Größe_txt{"CF_Größe_txt"};
    ui::Label Label9{"Label9"};
    ui::DirListBox Dir1;
    ui::FileListBox File1;
    ui::Button Karte_löschen{"Karte_löschen"};
    ui::Button Karte_schreiben{"Karte_schreiben"};
    ui::Label Label4{"Label4"};
    ui::TextBox Status2_txt{"Status2_txt"};
    ui::Button Info_Button{"Info_Button"};
    ui::Button Command3{"Command3"};
    ui::Timer Timer1{"Timer1"};
    ui::FileDialog CommonDialog1;
    ui::FileDialog CommonDialog2;

    // Life of the window and its settings (app/shell).
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload() override;
    // A close asked for during a long step waits for its end: a file half
    // written must neither be left nor be reported complete.
    bool Form_QueryUnload() override;
    std::string Form_SessionBlocker() override;
    void Timer1_Timer();
    void Command3_Click();
    void Einstellungen_öffnen();
    void WriteSettingsFile();
    void Info_Button_Click();

    // Language (app/shell).
    // German exactly while its flag is selected; otherwise (English, or neither
    // while the settings are read) English.
    Language Sprache() const { return Deutsch.value() ? Language::German : Language::English; }
    const char *Text(Msg id) const { return tf::Text(id, Sprache()); }
    std::string Text(Msg id, const std::string &first, const std::string &second) const {
        return tf::Text(id, Sprache(), first, second);
    }
    std::string Text(Msg id, const std::string &argument) const {
        return tf::Text(id, Sprache(), argument);
    }
    void Sprache_aktualisieren();
    void Deutsch_Click();
    void Englisch_Click();

    // Preview and busy cursor (app/shell).
    void Play_Button_Click();
    void Pause_Button_Click();
    void Stop_Button_Click();
    // `status`: the box the long step shows its progress in.
    void InitAniCursor(const ui::TextBox *status = nullptr);
    void ExitAniCursor();

    // Conversion (app/conversion).
    std::uint8_t Header_auslesen();
    void Quell_Wave_Button_Click();
    void Ziel_Projekt_Button_Click();
    void OK_Button_Click();
    std::string Real_Spaces(const std::string &name) const;
    // Why the library's `result` (not success) ended the run, as the user is told.
    Msg Conversion_Fehlergrund(std::int32_t result, const std::string &source,
                               const std::string &target);
    // A wave file chosen in the dialog, dropped on the window or named on the
    // command line: checked, offered for preparation when refused, and shown.
    void Wave_übernehmen(const std::string &Pfad);

    // Other ways in: files dropped on the window or named on the command line.
    // A project file is taken for the card, anything else as the wave file.
    void Form_OLEDragDrop(const std::vector<std::string> &Dateien) override;
    void Befehlszeile(const std::vector<std::string> &Argumente);
    // A later start in this program folder handed its command line over.
    void Form_CommandLine(const std::vector<std::string> &Argumente) override {
        Befehlszeile(Argumente);
    }

    // Card (app/card). The size queries throw FsError when the drive does not answer.
    void Drive1_Change();
    void ShowDriveType();
    bool ShowFileSystemType();
    bool Laufwerk_bereit(const std::string &Pfad);
    std::int32_t ShowTotalSpace(const std::string &Pfad);
    std::int32_t ShowSpaceInfoDrive(const std::string &Pfad);
    std::int32_t ShowFolderSize(const std::string &Pfad);
    bool Speicherplatz(const std::string &Drive_Pfad, const std::string &File_Pfad);
    bool Ist_Datenträger_Leer(const std::string &Pfad);
    void Dir1_Change();
    void Dir1_Click();
    void Ziel_Projekt_Button_2_Click();
    // A project file chosen for the card; throws when its size cannot be read.
    void Projektdatei_übernehmen(const std::string &Pfad);
    void Karte_schreiben_Click();
    void Karte_löschen_Click();

    // What the user reads when something unexpected ends a handler.
    std::string UnexpectedErrorText() const;
    // A kB count as the boxes show it: grouped digits and " kByte".
    std::string KbText(std::int32_t kb) const;
    // Waits `seconds` on the clock while window events keep running; survives
    // midnight. A close asked for meanwhile ends the wait early.
    void WaitProcessingEvents(double seconds);
    // Once a long step has ended: runs the close the user asked for meanwhile,
    // or else takes the files dropped or handed over meanwhile.
    void AfterLongStep();

    ProjektServices &services() { return s_; }

  private:
    bool Wave_prüfen(const std::string &Pfad);
    std::string Kopie_erstellen(const std::string &Pfad);
    void Dateien_übernehmen(const std::vector<std::string> &Dateien);
    void Layout();     // geometry, fonts and fixed texts (app/shell)
    void WireEvents(); // control events to handlers (app/shell)
    // After a verified write: offers to eject the card and tells how that went.
    void Karte_auswerfen(const std::string &card);
    ProjektServices s_;
    std::vector<ui::OptionButton *> language_group_;
    bool busy_ = false; // inside the busy bracket
    const ui::TextBox *busy_status_ = nullptr;
    bool close_asked_ = false; // a close waits for the long step's end
    // So do files dropped or handed over meanwhile, each batch as it came.
    std::vector<std::vector<std::string>> held_back_;
};

// Sets the main window's captions and tooltips of one language, in their order.
void ApplyWindowTexts(Projekt &window, Language language);

// The about window.
class Trackforge_Info : public ui::Form {
  public:
    Trackforge_Info(Projekt &owner);
    ui::PictureBox Picture1{"Picture1"};
    ui::Label Label3{"Label3"}, Label1{"Label1"}, Label2{"Label2"}, Label4{"Label4"},
        Label5{"Label5"};
    ui::Button Beenden_Button{"Beenden_Button"};
    void Form_Load() override;
    void Beenden_Button_Click();

  private:
    Projekt &owner_;
};

} // namespace tf
