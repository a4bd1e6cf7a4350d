// The main window: its controls and their places, its life from load to unload,
// the preview buttons, the busy cursor and the shared display helpers.

#include "app/shell/projekt.h"
#include "app/shell/pictures.h"
#include "platform/steps.h"
#include "shared/language_flags.h"

#include "tf_version.h"

#include <algorithm>
#include <iterator>
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

// How a control of the table looks beyond its place.
enum Look : unsigned {
    kPlain = 0,
    kReadOnly = 1,    // a box the user cannot edit
    kRight = 2,       // text aligned right (labels left of their box, numbers)
    kCenter = 4,      // text centred
    kTitleFont = 8,   // bold 13.5 pt
    kLegendFont = 16, // bold 8.25 pt
    kSymbols = 32,    // the caption is a glyph of the symbol font
    kVertical = 64    // a line from the top to the bottom of its rectangle
};

struct Placement {
    const char *control; // its name
    ui::Rect rect;       // twips
    unsigned look;
    const char *caption; // fixed caption, nullptr when the language sets it
};

void Apply(ui::Control &c, const Placement &p) {
    c.set_rect(p.rect);
    if (p.look & (kTitleFont | kLegendFont))
        c.set_font(ui::Font{"MS Sans Serif", (p.look & kTitleFont) ? 13.5 : 8.25, true});
    const ui::Align align = (p.look & kRight)    ? ui::Align::Right
                            : (p.look & kCenter) ? ui::Align::Center
                                                 : ui::Align::Left;
    if (auto *box = dynamic_cast<ui::TextBox *>(&c)) {
        box->locked = p.look & kReadOnly;
        box->alignment = align;
    } else if (auto *label = dynamic_cast<ui::Label *>(&c)) {
        label->alignment = align;
        if (p.caption)
            label->set_caption(p.caption);
    } else if (auto *button = dynamic_cast<ui::Button *>(&c)) {
        button->symbol_font = p.look & kSymbols;
        if (p.caption)
            button->set_caption(p.caption);
    } else if (auto *line = dynamic_cast<ui::Line *>(&c); line && (p.look & kVertical)) {
        line->x1 = line->x2 = p.rect.left;
        line->y1 = p.rect.top;
        line->y2 = p.rect.top + p.rect.height;
    }
}

// The main window's controls in creation order; labels sit in the left column
// (180..2115), their boxes in the right one (2175..7455); the legend's lines
// lie in the gaps between its labels.
// clang-format off
constexpr Placement kPlaces[] = {
        {"Label1",                 {60, 60, 7515, 375},     kTitleFont | kCenter, nullptr},
        {"Deutsch",                {6060, 450, 660, 435},   kPlain, nullptr},
        {"Englisch",               {6780, 450, 660, 435},   kPlain, nullptr},
        {"Label15",                {120, 540, 1320, 255},   kLegendFont | kCenter, "Compact Flash"},
        {"Label11",                {1500, 540, 600, 255},   kLegendFont | kCenter, nullptr},
        {"Label12",                {2160, 540, 720, 255},   kLegendFont | kCenter, nullptr},
        {"Label13",                {2940, 540, 720, 255},   kLegendFont | kCenter, nullptr},
        {"Label14",                {3720, 540, 720, 255},   kLegendFont | kCenter, nullptr},
        {"Label16",                {4500, 540, 1320, 255},  kLegendFont | kCenter, nullptr},
        {"Line1",                  {1470, 525, 15, 285},    kVertical, nullptr},
        {"Line2",                  {2130, 525, 15, 285},    kVertical, nullptr},
        {"Line3",                  {2910, 525, 15, 285},    kVertical, nullptr},
        {"Line4",                  {3690, 525, 15, 285},    kVertical, nullptr},
        {"Line5",                  {4470, 525, 15, 285},    kVertical, nullptr},
        {"Image1",                 {1680, 9240, 2040, 705}, kPlain, nullptr},
        {"Image2",                 {3915, 9240, 2040, 705}, kPlain, nullptr},
        {"Frame2",                 {60, 900, 7515, 3450},   kPlain, nullptr},
        {"Quell_Wave_Button",      {180, 1140, 1935, 675},  kPlain, nullptr},
        {"Quell_Wave_txt",         {2175, 1320, 5280, 315}, kReadOnly, nullptr},
        {"Label2",                 {180, 1935, 1935, 255},  kRight, nullptr},
        {"Wave_Größe_txt",         {2175, 1905, 1935, 315}, kReadOnly | kRight, nullptr},
        {"Play_Button",            {5835, 1875, 480, 375},  kSymbols, "4"},
        {"Pause_Button",           {6375, 1875, 480, 375},  kSymbols, ";"},
        {"Stop_Button",            {6915, 1875, 480, 375},  kSymbols, "<"},
        {"Label8",                 {180, 2355, 1935, 255},  kRight, "Project Name:"},
        {"Projektname_txt",        {2175, 2325, 1935, 315}, kPlain, nullptr},
        {"Ziel_Projekt_Button",    {180, 2730, 1935, 675},  kPlain, nullptr},
        {"Ziel_Projekt_txt",       {2175, 2910, 5280, 315}, kReadOnly, nullptr},
        {"Label10",                {180, 3525, 1935, 255},  kRight, nullptr},
        {"Freier_Speicherplatz_txt", {2175, 3495, 1935, 315}, kReadOnly | kRight, nullptr},
        {"OK_Button",              {5835, 3465, 1620, 375}, kPlain, "Start"},
        {"Label6",                 {180, 3945, 1935, 255},  kRight, "Status:"},
        {"Status_txt",             {2175, 3915, 5280, 315}, kReadOnly, nullptr},
        {"Frame1",                 {60, 4440, 7515, 4425},  kPlain, nullptr},
        {"Ziel_Projekt_Button_2",  {180, 4680, 1935, 675},  kPlain, nullptr},
        {"Ziel_Projekt_txt_2",     {2175, 4860, 5280, 315}, kReadOnly, nullptr},
        {"Label3",                 {180, 5475, 1935, 255},  kRight, nullptr},
        {"Projekt_Größe_txt",      {2175, 5445, 1935, 315}, kReadOnly | kRight, nullptr},
        {"Label5",                 {180, 5880, 1935, 255},  kRight, nullptr},
        {"Drive1",                 {2175, 5850, 1935, 315}, kPlain, nullptr},
        {"Drive_txt",              {4230, 5850, 3225, 315}, kReadOnly, nullptr},
        {"Label7",                 {180, 6285, 1935, 255},  kRight, nullptr},
        {"CF_Größe_txt",           {2175, 6255, 1935, 315}, kReadOnly | kRight, nullptr},
        {"Label9",                 {180, 6690, 1935, 255},  kRight, nullptr},
        {"Dir1",                   {2175, 6660, 2580, 1215}, kPlain, nullptr},
        {"File1",                  {4875, 6660, 2580, 1215}, kPlain, nullptr},
        {"Karte_löschen",          {180, 7965, 3555, 375},  kPlain, nullptr},
        {"Karte_schreiben",        {3840, 7965, 3615, 375}, kPlain, nullptr},
        {"Label4",                 {180, 8460, 1935, 255},  kRight, "Status:"},
        {"Status2_txt",            {2175, 8430, 5280, 315}, kReadOnly, nullptr},
        {"Info_Button",            {180, 9405, 1335, 375},  kPlain, "Info"},
        {"Command3",               {6120, 9405, 1335, 375}, kPlain, nullptr},
        {"Timer1",                 {},                      kPlain, nullptr},
    };
// clang-format on

} // namespace

Projekt::Projekt(ProjektServices services)
    : ui::Form("Projekt"), player(services.mci, services.clock, &services.fs),
      Drive1("Drive1", services.fs), Dir1("Dir1", services.fs), File1("File1", services.fs),
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
    icon = &pictures::AppIcon();
    accepts_dropped_files = true;

    // clang-format off
    ui::Control *const all[] = {
        &Label1, &Deutsch, &Englisch, &Label15, &Label11, &Label12, &Label13, &Label14, &Label16,
        &Line1, &Line2, &Line3, &Line4, &Line5, &Image1, &Image2, &Frame2, &Quell_Wave_Button,
        &Quell_Wave_txt, &Label2, &Wave_Größe_txt, &Play_Button, &Pause_Button, &Stop_Button,
        &Label8, &Projektname_txt, &Ziel_Projekt_Button, &Ziel_Projekt_txt, &Label10,
        &Freier_Speicherplatz_txt, &OK_Button, &Label6, &Status_txt, &Frame1,
        &Ziel_Projekt_Button_2, &Ziel_Projekt_txt_2, &Label3, &Projekt_Größe_txt, &Label5,
        &Drive1, &Drive_txt, &Label7, &CF_Größe_txt, &Label9, &Dir1, &File1, &Karte_löschen,
        &Karte_schreiben, &Label4, &Status2_txt, &Info_Button, &Command3, &Timer1};
    // clang-format on
    for (const Placement &p : kPlaces) {
        ui::Control *c = *std::find_if(std::begin(all), std::end(all),
                                       [&](ui::Control *x) { return x->name() == p.control; });
        Add(*c);
        Apply(*c, p);
    }
    // The legend names the card sizes from their one list.
    ui::Label *const legend[] = {&Label11, &Label12, &Label13, &Label14, &Label16};
    static_assert(std::size(legend) == std::size(kCardSizesMb), "one legend label per card size");
    for (std::size_t i = 0; i < std::size(legend); ++i)
        legend[i]->set_caption(std::to_string(kCardSizesMb[i]) + " MB" +
                               (i + 1 == std::size(legend) ? " (1GB)" : ""));
    Projektname_txt.max_length = 12;
    Status_txt.shows_end = Status2_txt.shows_end = true;
    Freier_Speicherplatz_txt.set_tooltip(kFreeSpaceTip);
    CF_Größe_txt.set_tooltip(kFreeSpaceTip);
    Projekt_Größe_txt.set_tooltip(kProjectSizeTip);
    Timer1.interval_ms = 5000;
    Timer1.timer_enabled = true;

    Deutsch.picture = &pictures::GermanFlag();
    Englisch.picture = &pictures::BritishFlag();
    // Each language is named in itself, so that a user who reads neither
    // the window's language nor its flags still finds their own.
    Deutsch.set_accessible_name("Deutsch");
    Englisch.set_accessible_name("English");
    Image1.picture = &pictures::CompactFlashCard();
    Image2.picture = &pictures::Loudspeaker();
    Quell_Wave_Button.picture = &pictures::OpenWave();
    Ziel_Projekt_Button.picture = &pictures::SaveProject();
    Ziel_Projekt_Button_2.picture = &pictures::OpenProject();
    language_group_ = {&Deutsch, &Englisch};
    Deutsch.JoinGroup(&language_group_);
    Englisch.JoinGroup(&language_group_);

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

bool Projekt::Form_QueryUnload() {
    if (!busy_)
        return true;
    close_asked_ = true;
    return false;
}

std::string Projekt::Form_SessionBlocker() {
    if (!busy_)
        return {};
    const std::string doing = busy_status_ ? busy_status_->text() : std::string();
    return doing.empty() ? std::string("Trackforge") : doing;
}

void Projekt::AfterLongStep() {
    if (busy_)
        return;
    if (close_asked_) {
        close_asked_ = false;
        held_back_.clear();
        s_.windows.Unload(*this);
        return;
    }
    // In the order they came, as if each had been taken at once; a batch
    // that starts a step of its own holds back what comes during that one.
    while (!held_back_.empty() && !busy_ && !close_asked_) {
        const std::vector<std::string> files = std::move(held_back_.front());
        held_back_.erase(held_back_.begin());
        Dateien_übernehmen(files);
    }
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

void Projekt::InitAniCursor(const ui::TextBox *status) {
    busy_ = true;
    busy_status_ = status;
    // Every step that fails is skipped; the busy period runs regardless.
    bool first = false;
    bool second = false;
    steps::Skippable("InitAniCursor: FileExists", [&] { first = s_.fs.FileExists(kHourglass1); });
    if (first) {
        steps::Skippable("InitAniCursor: LoadCursorFromFile",
                         [&] { AniCursorHandle = s_.cursor.LoadCursorFromFile(kHourglass1); });
    } else {
        steps::Skippable("InitAniCursor: FileExists",
                         [&] { second = s_.fs.FileExists(kHourglass2); });
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
    // Clicks and keys given while busy were meant for nothing: without this
    // they would run their handlers now, after the busy period.
    s_.windows.DropPendingInput();
    s_.cursor.ReleaseCapture();
    s_.cursor.SetCursor(PreviousCursorHandle);
    AniCursorHandle = 0;
    busy_ = false;
    busy_status_ = nullptr;
}

std::string Projekt::UnexpectedErrorText() const {
    return Text(Msg::UnexpectedError);
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
        if (now - start >= seconds || close_asked_)
            return;
        s_.events.DoEvents();
    }
}

} // namespace tf
