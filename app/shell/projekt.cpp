// The main window: its controls and their places, its life from load to unload,
// the preview buttons, the busy cursor and the shared display helpers.

#include "app/shell/projekt.h"
#include "platform/steps.h"

#include "tf_version.h"

#include <string>

namespace tf {

namespace {

const std::string kCaption = "Korvant NOVALUX" + std::string(46, ' ') + "V" TF_VERSION;
constexpr int kClientWidth = 7635;   // twips
constexpr int kClientHeight = 10065; // twips

// Seconds in a day: the clock starts again from 0 at midnight.
constexpr double kSecondsPerDay = 86400.0;

constexpr const char *kFreeSpaceTip = "Freier Speicherplatz auf dem Datenträgers";
constexpr const char *kProjectSizeTip = "Größe der Project-Datei";

// Cursor files of the animated hourglass, in the order they are looked for.
constexpr const char *kHourglass1 = "c:\\windows\\cursors\\Hourglas.ani";
constexpr const char *kHourglass2 = "c:\\winnt\\cursors\\Hourglas.ani";

// Columns and row sizes of both frames (twips). Labels sit in the left column,
// their boxes in the right one; picture buttons take the left column.
constexpr int kLeftCol = 180;
constexpr int kLeftWidth = 1935;
constexpr int kRightCol = 2175;
constexpr int kRightEnd = 7455;
constexpr int kBoxHeight = 315;
constexpr int kLabelHeight = 255;
constexpr int kButtonHeight = 375;
constexpr int kPictureButtonHeight = 675;
constexpr int kNumberBoxWidth = 1935;

void Place(ui::Control &c, int left, int top, int width, int height) {
    c.set_rect(ui::Rect{left, top, width, height});
}

// A label left of the box in the row whose box starts at `box_top`.
void PlaceRowLabel(ui::Label &label, int box_top) {
    Place(label, kLeftCol, box_top + (kBoxHeight - kLabelHeight) / 2, kLeftWidth, kLabelHeight);
    label.alignment = ui::Align::Right;
}

void ReadOnly(ui::TextBox &box, ui::Align alignment = ui::Align::Left) {
    box.locked = true;
    box.alignment = alignment;
}

void Bold(ui::Control &c, double size) {
    ui::Font f;
    f.size = size;
    f.bold = true;
    c.set_font(f);
}

void VerticalLine(ui::Line &line, int x, int top, int bottom) {
    line.x1 = line.x2 = x;
    line.y1 = top;
    line.y2 = bottom;
    Place(line, x, top, 15, bottom - top);
}

} // namespace

Projekt::Projekt(ProjektServices services)
    : ui::Form("Projekt"), player(services.mci, services.clock, &services.fs), Drive1("Drive1", services.fs),
      Dir1("Dir1", services.fs), File1("File1", services.fs),
      CommonDialog1("CommonDialog1", services.dialogs),
      CommonDialog2("CommonDialog2", services.dialogs), s_(services) {
    Layout();
    WireEvents();
    // The drive list shows the machine's drives from the start, with none selected.
    steps::Skippable("Drive1.Refresh", [this] { Drive1.Refresh(); });
}

Projekt::~Projekt() = default;

void Projekt::Layout() {
    set_caption(kCaption);
    client_width = kClientWidth;
    client_height = kClientHeight;
    centered = true;

    // clang-format off
    ui::Control* const creation_order[] = {
        &Label1, &Deutsch, &Englisch, &Label15, &Label11, &Label12, &Label13, &Label14,
        &Label16, &Line1, &Line2, &Line3, &Line4, &Line5, &Image1, &Image2, &Frame2,
        &Quell_Wave_Button, &Quell_Wave_txt, &Label2, &Wave_Größe_txt, &Play_Button,
        &Pause_Button, &Stop_Button, &Label8, &Projektname_txt, &Ziel_Projekt_Button,
        &Ziel_Projekt_txt, &Label10, &Freier_Speicherplatz_txt, &OK_Button, &Label6,
        &Status_txt, &Frame1, &Ziel_Projekt_Button_2, &Ziel_Projekt_txt_2, &Label3,
        &Projekt_Größe_txt, &Label5, &Drive1, &Drive_txt, &Label7, &CF_Größe_txt, &Label9,
        &Dir1, &File1, &Karte_löschen, &Karte_schreiben, &Label4, &Status2_txt,
        &Info_Button, &Command3, &Timer1};
    // clang-format on
    for (ui::Control *c : creation_order)
        Add(*c);

    // Title line across the window; below it the card-size legend and the two flags.
    Place(Label1, 60, 60, 7515, 375);
    Bold(Label1, 13.5);
    Label1.alignment = ui::Align::Center;
    Place(Deutsch, 6060, 450, 660, 435);
    Deutsch.picture = ui::Picture::FlagGerman;
    Place(Englisch, 6780, 450, 660, 435);
    Englisch.picture = ui::Picture::FlagBritish;
    language_group_ = {&Deutsch, &Englisch};
    Deutsch.JoinGroup(&language_group_);
    Englisch.JoinGroup(&language_group_);

    // The card sizes the device takes, separated by lines.
    constexpr int kLegendTop = 540;
    struct LegendEntry {
        ui::Label *label;
        std::string text;
        int left, width;
    };
    auto size = [](int i) { return std::to_string(kCardSizesMb[i]) + " MB"; };
    const LegendEntry legend[] = {
        {&Label15, "Compact Flash", 120, 1320}, {&Label11, size(0), 1500, 600},
        {&Label12, size(1), 2160, 720},         {&Label13, size(2), 2940, 720},
        {&Label14, size(3), 3720, 720},         {&Label16, size(4) + " (1GB)", 4500, 1320},
    };
    static_assert(std::size(kCardSizesMb) == 5, "one legend label per card size");
    for (const LegendEntry &e : legend) {
        Place(*e.label, e.left, kLegendTop, e.width, kLabelHeight);
        e.label->set_caption(e.text);
        e.label->alignment = ui::Align::Center;
        Bold(*e.label, 8.25);
    }
    ui::Line *lines[] = {&Line1, &Line2, &Line3, &Line4, &Line5};
    for (int i = 0; i < 5; ++i) {
        const ui::Rect &r = legend[i].label->rect();
        const int gap_middle = (r.left + r.width + legend[i + 1].left) / 2;
        VerticalLine(*lines[i], gap_middle, kLegendTop - 15, kLegendTop + kLabelHeight + 15);
    }
    // Decorations between the two buttons of the bottom row.
    Place(Image1, 1680, 9240, 2040, 705);
    Image1.picture = ui::Picture::Decoration1;
    Place(Image2, 3915, 9240, 2040, 705);
    Image2.picture = ui::Picture::Decoration2;

    // Upper frame: from the wave file to the project file.
    Place(Frame2, 60, 900, 7515, 3450);
    Place(Quell_Wave_Button, kLeftCol, 1140, kLeftWidth, kPictureButtonHeight);
    Quell_Wave_Button.picture = ui::Picture::OpenWave;
    Place(Quell_Wave_txt, kRightCol, 1320, kRightEnd - kRightCol, kBoxHeight);
    ReadOnly(Quell_Wave_txt);
    PlaceRowLabel(Label2, 1905);
    Place(Wave_Größe_txt, kRightCol, 1905, kNumberBoxWidth, kBoxHeight);
    ReadOnly(Wave_Größe_txt, ui::Align::Right);
    struct Symbol {
        ui::Button *button;
        const char *glyph;
        int left;
    };
    for (const Symbol &s : {Symbol{&Play_Button, "4", 5835}, Symbol{&Pause_Button, ";", 6375},
                            Symbol{&Stop_Button, "<", 6915}}) {
        Place(*s.button, s.left, 1875, 480, kButtonHeight);
        s.button->set_caption(s.glyph);
        s.button->symbol_font = true;
    }
    PlaceRowLabel(Label8, 2325);
    Label8.set_caption("Project Name:");
    Place(Projektname_txt, kRightCol, 2325, kNumberBoxWidth, kBoxHeight);
    Projektname_txt.max_length = 12;
    Place(Ziel_Projekt_Button, kLeftCol, 2730, kLeftWidth, kPictureButtonHeight);
    Ziel_Projekt_Button.picture = ui::Picture::SaveProject;
    Place(Ziel_Projekt_txt, kRightCol, 2910, kRightEnd - kRightCol, kBoxHeight);
    ReadOnly(Ziel_Projekt_txt);
    PlaceRowLabel(Label10, 3495);
    Place(Freier_Speicherplatz_txt, kRightCol, 3495, kNumberBoxWidth, kBoxHeight);
    ReadOnly(Freier_Speicherplatz_txt, ui::Align::Right);
    Freier_Speicherplatz_txt.set_tooltip(kFreeSpaceTip);
    Place(OK_Button, 5835, 3465, kRightEnd - 5835, kButtonHeight);
    OK_Button.set_caption("Start");
    PlaceRowLabel(Label6, 3915);
    Label6.set_caption("Status:");
    Place(Status_txt, kRightCol, 3915, kRightEnd - kRightCol, kBoxHeight);
    ReadOnly(Status_txt);

    // Lower frame: the card.
    Place(Frame1, 60, 4440, 7515, 4425);
    Place(Ziel_Projekt_Button_2, kLeftCol, 4680, kLeftWidth, kPictureButtonHeight);
    Ziel_Projekt_Button_2.picture = ui::Picture::OpenProject;
    Place(Ziel_Projekt_txt_2, kRightCol, 4860, kRightEnd - kRightCol, kBoxHeight);
    ReadOnly(Ziel_Projekt_txt_2);
    PlaceRowLabel(Label3, 5445);
    Place(Projekt_Größe_txt, kRightCol, 5445, kNumberBoxWidth, kBoxHeight);
    ReadOnly(Projekt_Größe_txt, ui::Align::Right);
    Projekt_Größe_txt.set_tooltip(kProjectSizeTip);
    PlaceRowLabel(Label5, 5850);
    Place(Drive1, kRightCol, 5850, kNumberBoxWidth, kBoxHeight);
    Place(Drive_txt, 4230, 5850, kRightEnd - 4230, kBoxHeight);
    ReadOnly(Drive_txt);
    PlaceRowLabel(Label7, 6255);
    Place(CF_Größe_txt, kRightCol, 6255, kNumberBoxWidth, kBoxHeight);
    ReadOnly(CF_Größe_txt, ui::Align::Right);
    CF_Größe_txt.set_tooltip(kFreeSpaceTip);
    PlaceRowLabel(Label9, 6660);
    Place(Dir1, kRightCol, 6660, 2580, 1215);
    Place(File1, 4875, 6660, kRightEnd - 4875, 1215);
    Place(Karte_löschen, kLeftCol, 7965, 3555, kButtonHeight);
    Place(Karte_schreiben, 3840, 7965, kRightEnd - 3840, kButtonHeight);
    PlaceRowLabel(Label4, 8430);
    Label4.set_caption("Status:");
    Place(Status2_txt, kRightCol, 8430, kRightEnd - kRightCol, kBoxHeight);
    ReadOnly(Status2_txt);

    // Bottom row.
    Place(Info_Button, kLeftCol, 9405, 1335, kButtonHeight);
    Info_Button.set_caption("Info");
    Place(Command3, kRightEnd - 1335, 9405, 1335, kButtonHeight);
    Timer1.interval_ms = 5000;
    Timer1.timer_enabled = true;

    // The window is created in German; the settings may switch it at activation.
    ApplyWindowTexts(*this, Language::German);
    Deutsch.set_value(true);
}

void Projekt::WireEvents() {
    Deutsch.on_click = [this] { Deutsch_Click(); };
    Englisch.on_click = [this] { Englisch_Click(); };
    Quell_Wave_Button.on_click = [this] { Quell_Wave_Button_Click(); };
    Play_Button.on_click = [this] { Play_Button_Click(); };
    Pause_Button.on_click = [this] { Pause_Button_Click(); };
    Stop_Button.on_click = [this] { Stop_Button_Click(); };
    Ziel_Projekt_Button.on_click = [this] { Ziel_Projekt_Button_Click(); };
    OK_Button.on_click = [this] { OK_Button_Click(); };
    Ziel_Projekt_Button_2.on_click = [this] { Ziel_Projekt_Button_2_Click(); };
    Drive1.on_change = [this] { Drive1_Change(); };
    Dir1.on_change = [this] { Dir1_Change(); };
    Dir1.on_click = [this] { Dir1_Click(); };
    Karte_löschen.on_click = [this] { Karte_löschen_Click(); };
    Karte_schreiben.on_click = [this] { Karte_schreiben_Click(); };
    Info_Button.on_click = [this] { Info_Button_Click(); };
    Command3.on_click = [this] { Command3_Click(); };
    Timer1.on_tick = [this] { Timer1_Timer(); };
}

void Projekt::Form_Load() {
    CF_Laufwerk.clear();
    Projektname_txt.set_text("Unbenannt");
}

void Projekt::Form_Activate() {
    Einstellungen_öffnen();
    ShowDriveType();
    WaitProcessingEvents(0.5);
}

void Projekt::Timer1_Timer() {
    // A failing refresh ends this tick only; the next one starts afresh.
    steps::UntilFailure("Timer1_Timer", [this] {
        Drive1.Refresh();
        File1.Refresh();
        Dir1.Refresh();
        ShowDriveType();
    });
}

void Projekt::Command3_Click() {
    s_.windows.Unload(*this);
}

void Projekt::Form_Unload() {
    player.mmStop();
    player.mmClose();
    WriteSettingsFile();
    // The program ends here: this is the start window, and the window system
    // leaves its message loop once the start window is unloaded. Calling
    // EndProgram from inside the unload would cut that short.
}

void Projekt::Info_Button_Click() {
    Trackforge_Info info(*this);
    s_.windows.ShowModal(info, *this);
}

void Projekt::Play_Button_Click() {
    player.Wait(false);
    player.mmOpen(Quell_Wave_txt.text());
    player.mmPlay();
}

void Projekt::Pause_Button_Click() {
    player.mmPause();
}

void Projekt::Stop_Button_Click() {
    player.mmStop();
}

void Projekt::InitAniCursor() {
    // Every step that fails is skipped; the busy period runs regardless.
    bool first = false;
    bool second = false;
    steps::Skippable("InitAniCursor: FileExists", [&] { first = s_.fs.FileExists(kHourglass1); });
    if (first) {
        steps::Skippable("InitAniCursor: LoadCursorFromFile",
                         [&] { AniCursorHandle = s_.cursor.LoadCursorFromFile(kHourglass1); });
    } else {
        steps::Skippable("InitAniCursor: FileExists", [&] { second = s_.fs.FileExists(kHourglass2); });
        if (second)
            steps::Skippable("InitAniCursor: LoadCursorFromFile",
                             [&] { AniCursorHandle = s_.cursor.LoadCursorFromFile(kHourglass2); });
    }
    steps::Skippable("InitAniCursor: SetCapture",
                     [&] { s_.cursor.SetCapture(s_.windows.Handle(*this)); });
    // Without an hourglass file the pointer would vanish; the system's own
    // wait cursor still tells the user to wait.
    steps::Skippable("InitAniCursor: SetCursor", [&] {
        const std::uintptr_t busy =
            AniCursorHandle != 0 ? AniCursorHandle : s_.cursor.StandardWaitCursor();
        PreviousCursorHandle = s_.cursor.SetCursor(busy);
    });
}

void Projekt::ExitAniCursor() {
    s_.cursor.ReleaseCapture();
    s_.cursor.SetCursor(PreviousCursorHandle);
    AniCursorHandle = 0;
}

std::string Projekt::KbText(std::int32_t kb) const {
    return s_.locale.GroupDigits(kb) + " kByte";
}

void Projekt::WaitProcessingEvents(double seconds) {
    const double start = s_.clock.SecondsSinceMidnight();
    for (;;) {
        double now = s_.clock.SecondsSinceMidnight();
        if (now < start)
            now += kSecondsPerDay;
        if (now - start >= seconds)
            return;
        s_.events.DoEvents();
    }
}

} // namespace tf
