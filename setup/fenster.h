#pragma once
// The installer's four windows, always shown in this order: welcome and
// language (Fenster1), the install window (Fenster2), a short notice while
// the system is updated (Fenster3) and the completion message (Fenster4).

#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "setup/dateiliste.h"
#include "setup/setup_kontext.h"
#include "setup/texte.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace tf::setup {

class Fenster1;

// What every installer window does the same way: its language, the step to
// the next window, and ending the program when the user closes it.
class SetupFenster : public ui::Form {
  public:
    SetupFenster(std::string name, SetupKontext &kontext) : Form(std::move(name)), k_(kontext) {}
    // Closing a window by hand ends the installer; only the step to the next
    // window closes one without ending it.
    void Form_Unload() override;
    // Escape leaves the installer only when the user says so.
    void Form_Escape() override;

  protected:
    SetupServices &s() { return k_.services; }
    // A click handler that does nothing while the window is only shown for a picture.
    std::function<void()> Aktion(std::function<void()> handler);
    SetupKontext &kontext() { return k_; }
    void Weiter_zu(ui::Form &naechstes);
    static std::string Titel();

  private:
    SetupKontext &k_;
    bool weiter_ = false;
};

class Fenster1 : public SetupFenster {
  public:
    Fenster1(SetupKontext &kontext, ui::Form &fenster2);

    // 1 is German, any other value English. Outlives the window: the later
    // windows read it from here.
    std::int16_t Sprache = 1;
    Language Gewaehlte_Sprache() const {
        return Sprache == 1 ? Language::German : Language::English;
    }
    std::string Text(Meldung id, std::initializer_list<std::string_view> args = {}) const {
        return setup::Text(id, Gewaehlte_Sprache(), args);
    }

    ui::PictureBox imgMsg{"imgMsg"};
    ui::Line Shape1_oben{"Shape1_oben"}, Shape1_unten{"Shape1_unten"}, Shape1_links{"Shape1_links"},
        Shape1_rechts{"Shape1_rechts"};
    ui::Label Willkommen_txt{"Willkommen_txt"};
    ui::Label Label2{"Label2"};
    ui::Frame Frame1{"Frame1"};
    ui::OptionButton Deutsch{"Deutsch"};
    ui::OptionButton Englisch{"Englisch"};
    ui::Button OK_Button{"OK_Button"};
    ui::Button Abbrechen_Button{"Abbrechen_Button"};

    void Form_Load() override;
    void Deutsch_Click();
    void Englisch_Click();
    void Sprache_aktualisieren();
    void OK_Button_Click();
    void Abbrechen_Button_Click();

  private:
    void Layout();
    ui::Form &fenster2_;
    std::vector<ui::OptionButton *> flaggen_;
};

class Fenster2 : public SetupFenster {
  public:
    Fenster2(SetupKontext &kontext, Fenster1 &fenster1, ui::Form &fenster3);

    std::string Windows_Ordner; // with trailing "/", empty when not found
    Dateiliste Dateien{};
    std::int16_t Kopiert_Anzahl = 0;

    // What became of each entry in this run; the unattended install's exit
    // status is read from here.
    enum class Ergebnis { Leer, Kopiert, Identisch, Aelter, Fehlgeschlagen };
    std::array<Ergebnis, kDateiAnzahl> Ergebnisse{};
    bool Verknuepfung_erstellt = false;
    bool Deinstallation_eingetragen = false;
    // The program could not be replaced because it was running.
    bool Programm_lief = false;
    // True when the entry of that name was copied in this run or found identical.
    bool Installiert(const std::string &Dateiname) const;
    // What the run left in place, as the unattended install's exit status.
    int Rueckgabe() const;

    ui::Label Label4{"Label4"};
    ui::Button Install_Button{"Install_Button"};
    ui::Label Label5{"Label5"};
    ui::Frame Verzeichnis_Frame{"Verzeichnis_Frame"};
    ui::Label Verzeichnis_txt{"Verzeichnis_txt"};
    ui::Button Verzeichnis_wechseln_Button{"Verzeichnis_wechseln_Button"};
    ui::Button Abbrechen_Button{"Abbrechen_Button"};
    // Below the visible client area: written by the run, never seen.
    ui::Label Label1{"Label1"}, Label2{"Label2"}, Label3{"Label3"};
    ui::TextBox Quelle_txt{"Quelle_txt"}, Ziel_txt{"Ziel_txt"}, Status_txt{"Status_txt"};
    ui::TextBox LOG_txt{"LOG_txt"};

    void Form_Load() override;
    void Install_Button_Click();
    void Abbrechen_Button_Click();
    void Verzeichnis_wechseln_Button_Click() {}

    // The copy run, the shortcut and the log, without the pause and the window
    // change; the unattended install runs exactly this.
    void Installation_ausfuehren();
    void Kopieren(const std::int16_t &Feldnummer);
    void CreatePath(const std::string &Pfad);
    void Verknuepfung_anlegen();
    void Deinstallation_eintragen();
    void Log_TXT_Speichern();

  private:
    void Layout();
    void Windows_Ordner_suchen();
    std::string Quelle(const std::string &Dateiname);
    Ergebnis Eintrag_installieren(const Dateieintrag &e);
    void Warten_bis_frei(const std::string &ziel);
    void Registrieren(const std::string &Dateiname, const std::string &ziel);
    void Bibliothek_zaehlen(bool schon_eingetragen);
    void Log(const std::string &zeile);
    Fenster1 &fenster1_;
    ui::Form &fenster3_;
    bool installiert_ = false;
};

class Fenster3 : public SetupFenster {
  public:
    Fenster3(SetupKontext &kontext, Fenster1 &fenster1, ui::Form &fenster4);

    ui::PictureBox Image1{"Image1"};
    ui::Label Label1{"Label1"};

    void Form_Activate() override;

  private:
    Fenster1 &fenster1_;
    ui::Form &fenster4_;
};

class Fenster4 : public SetupFenster {
  public:
    Fenster4(SetupKontext &kontext, Fenster1 &fenster1, Fenster2 &fenster2);

    ui::Label Label1{"Label1"};
    ui::Button OK_Button{"OK_Button"};

    void Form_Load() override;
    // Nothing is left to lose: Escape is OK here.
    void Form_Escape() override {
        if (!kontext().vorschau)
            OK_Button_Click();
    }
    void OK_Button_Click();

  private:
    std::string Ergebnistext() const;
    Fenster1 &fenster1_;
    Fenster2 &fenster2_;
};

// Exit status of the unattended install. Failures add up: 6 is neither the
// program nor the library. `Setup.exe /?` and the README explain them; the
// last window names the same cases.
enum Rueckgabe : int {
    kInstalliert = 0,
    kSetupGescheitert = 1,  // an unexpected error ended Setup itself
    kProgrammFehlt = 2,     // Trackforge.exe neither copied nor identical
    kBibliothekFehlt = 4,   // Sonwerk_Projekt.dll neither copied nor identical
    kVerknuepfungFehlt = 8, // the program is in place, a shortcut to it is not
    kEintragFehlt = 16,     // the program is in place, its uninstall entry is not
};

// The four windows wired to each other.
class SetupProgramm {
  public:
    explicit SetupProgramm(SetupServices services) : kontext(services) {}
    SetupKontext kontext;
    Fenster1 fenster1{kontext, fenster2};
    Fenster2 fenster2{kontext, fenster1, fenster3};
    Fenster3 fenster3{kontext, fenster1, fenster4};
    Fenster4 fenster4{kontext, fenster1, fenster2};

    // Shows the welcome window; the window system's message loop does the rest.
    void Starten();
    // The install with German log lines and no window shown; the exit code.
    int Unbeaufsichtigt_installieren();
};

} // namespace tf::setup
