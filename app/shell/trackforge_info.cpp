// The about window: name, device, version and a short description over a
// full-window picture, in the language in force when it opens.

#include "app/shell/pictures.h"
#include "app/shell/projekt.h"

namespace tf {

namespace {

constexpr unsigned kWhite = 0xFFFFFF;

void Place(ui::Control &c, int left, int top, int width, int height) {
    c.set_rect(ui::Rect{left, top, width, height});
}

void WhiteOverPicture(ui::Label &label, double size) {
    label.transparent = true;
    label.color = kWhite;
    ui::Font f;
    f.size = size;
    label.set_font(f);
}

} // namespace

Trackforge_Info::Trackforge_Info(Projekt &owner) : ui::Form("Trackforge_Info"), owner_(owner) {
    set_caption("Info über Trackforge");
    client_width = 12015;
    client_height = 9015;
    icon = &pictures::AppIcon();

    // The picture first, so everything else is drawn over it.
    Add(Picture1);
    Place(Picture1, 0, 0, client_width, client_height);
    Picture1.picture = &pictures::AboutBackground();

    struct Title {
        ui::Label *label;
        const char *text;
        int top;
    };
    for (const Title &t :
         {Title{&Label3, "Trackforge", 720}, Title{&Label1, "für", 1440},
          Title{&Label2, "Tarvolin Audio", 2160}, Title{&Label4, "V 2.1.0.7", 2880}}) {
        Add(*t.label);
        Place(*t.label, 720, t.top, 6000, 600);
        t.label->set_caption(t.text);
        WhiteOverPicture(*t.label, 24);
    }
    Add(Label5);
    Place(Label5, 720, 6120, 10575, 1500);
    WhiteOverPicture(Label5, 9.75);
    Label5.alignment = ui::Align::Center;

    Add(Beenden_Button);
    Place(Beenden_Button, 10320, 8280, 1215, 435);
    Beenden_Button.set_caption("OK");
    Beenden_Button.set_tooltip("EXIT");
    Beenden_Button.on_click = [this] { Beenden_Button_Click(); };
}

void Trackforge_Info::Form_Load() {
    if (owner_.German()) {
        Label1.set_caption("für");
        Label5.set_caption(
            "Mit diesem Programm ist es möglich, eine WAV-Datei in eine Project-Datei "
            "umzuwandeln, die dann vom Tarvolin Audio abgespielt werden kann.    Außerdem "
            "können Dateien und Verzeichnisse auf der CF-Karte gelöscht werden. Anschließend "
            "kann die Project-Datei auf die Karte geschrieben werden.");
        set_caption("Info über Trackforge");
    } else {
        Label1.set_caption("for");
        Label5.set_caption(
            "This program is used to convert a Wave-file into a Project-file, which can be "
            "played by the Tarvolin Audio. In addition you can delete and save files and "
            "directories on the CF card.");
        set_caption("Info about Trackforge");
    }
}

void Trackforge_Info::Beenden_Button_Click() {
    owner_.services().windows.Unload(*this);
}

} // namespace tf
