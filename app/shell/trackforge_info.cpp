// The about window: name, device, version and a short description over a
// full-window picture, in the language in force when it opens.

#include "app/shell/pictures.h"
#include "app/shell/projekt.h"
#include "tf_version.h"

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
          Title{&Label2, "Tarvolin Audio", 2160}, Title{&Label4, "V " TF_VERSION, 2880}}) {
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
    // Enter and Escape both close it; it opens with the focus on OK.
    default_button = cancel_button = &Beenden_Button;
}

void Trackforge_Info::Form_Load() {
    const Language language = owner_.Sprache();
    Label1.set_caption(Text(Msg::AboutFor, language));
    Label5.set_caption(Text(Msg::AboutDescription, language));
    set_caption(Text(Msg::AboutCaption, language));
}

void Trackforge_Info::Beenden_Button_Click() {
    owner_.services().windows.Unload(*this);
}

} // namespace tf
