// Forms become top-level windows and controls child windows. Every handler
// the program supplies runs through Impl::Guard, so an error that escapes a
// handler is shown to the user and never unwinds through Win32's frames.
#include "platform/win32/ui/window_system_win32.h"

#include "platform/ui/file_dialog.h"
#include "platform/win32/ui/gdi.h"
#include "platform/win32/ui/pictures.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace tf::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"TrackforgeForm";
constexpr int kFirstControlId = 100;
constexpr UINT_PTR kFirstTimerId = 1000;
constexpr int kDropDownItems = 8;

enum class Kind {
    Label,
    TransparentLabel,
    Frame,
    TextBox,
    Button,
    SymbolButton, // play/pause/stop drawn as shapes when Webdings is missing
    PictureButton,
    Option,
    PictureOption,
    Picture,
    Line,
    Timer,
    DriveList,
    DirList,
    FileList,
    Other
};

int Px(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

std::wstring WithCrLf(const std::wstring& s) {
    std::wstring out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\n' && (i == 0 || s[i - 1] != L'\r'))
            out += L'\r';
        out += s[i];
    }
    return out;
}

std::wstring WindowText(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(std::max(n, 0)));
    return s;
}

bool FontExists(const std::wstring& face) {
    static std::map<std::wstring, bool> known;
    auto it = known.find(face);
    if (it != known.end())
        return it->second;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy_s(lf.lfFaceName, LF_FACESIZE, face.c_str(), _TRUNCATE);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) -> int {
            *reinterpret_cast<bool*>(p) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return known[face] = found;
}

// The face actually used: MS Sans Serif is missing on some systems, and then
// the dialog font of the system takes its place.
std::wstring FaceFor(const std::string& name) {
    std::wstring face = Widen(name);
    if (FontExists(face))
        return face;
    for (const wchar_t* f : {L"Tahoma", L"Segoe UI", L"Microsoft Sans Serif"})
        if (FontExists(f))
            return f;
    return face;
}

class FontCache {
  public:
    HFONT Get(const ui::Font& font, UINT dpi, bool symbol = false) {
        auto key = std::make_tuple(font.name, std::lround(font.size * 100), font.bold, dpi, symbol);
        auto it = fonts_.find(key);
        if (it != fonts_.end())
            return it->second.get();
        LOGFONTW lf{};
        lf.lfHeight = -static_cast<LONG>(std::lround(font.size * dpi / 72.0));
        lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = symbol ? SYMBOL_CHARSET : DEFAULT_CHARSET;
        lf.lfQuality = CLEARTYPE_QUALITY;
        std::wstring face = symbol ? L"Webdings" : FaceFor(font.name);
        wcsncpy_s(lf.lfFaceName, LF_FACESIZE, face.c_str(), _TRUNCATE);
        return fonts_.emplace(key, GdiObject<HFONT>(CreateFontIndirectW(&lf)))
            .first->second.get();
    }

  private:
    std::map<std::tuple<std::string, long, bool, UINT, bool>, GdiObject<HFONT>> fonts_;
};

// Every control's window carries its control's name as a global atom under
// this property, so that a program outside (an automation or test driver)
// can find a control by the name the program gives it.
constexpr wchar_t kControlNameProp[] = L"TfControl";

// One reference to a global atom, released with its owner.
class GlobalAtom {
  public:
    GlobalAtom() = default;
    explicit GlobalAtom(const std::wstring& name) : atom_(GlobalAddAtomW(name.c_str())) {}
    ~GlobalAtom() {
        if (atom_)
            GlobalDeleteAtom(atom_);
    }
    GlobalAtom(const GlobalAtom&) = delete;
    GlobalAtom& operator=(const GlobalAtom&) = delete;
    ATOM get() const { return atom_; }

  private:
    ATOM atom_ = 0;
};

struct FormWindow;

struct ControlPeer : ui::Peer {
    FormWindow* form = nullptr;
    ui::Control* control = nullptr;
    Kind kind = Kind::Other;
    HWND hwnd = nullptr;
    int id = 0;
    UINT_PTR timer_id = 0;
    std::wstring tip;
    bool tool_added = false;
    std::unique_ptr<GlobalAtom> name_atom;
    void Changed(ui::Control& c, ui::Prop what) override;
};

struct FormWindow : ui::FormPeer {
    Win32WindowSystem::Impl* sys = nullptr;
    ui::Form* form = nullptr;
    HWND hwnd = nullptr;
    HWND tooltip = nullptr;
    HWND modal_owner = nullptr;
    UINT dpi = 96;
    bool alive = true;
    bool unloading = false;
    int updating = 0; // >0 while the program itself writes into a control
    std::vector<std::unique_ptr<ControlPeer>> peers;
    IconHandle big_icon, small_icon;
    void CaptionChanged() override {
        if (hwnd)
            SetWindowTextW(hwnd, Widen(form->caption()).c_str());
    }
};

Kind KindOf(ui::Control& c, bool webdings) {
    if (dynamic_cast<ui::Frame*>(&c))
        return Kind::Frame;
    if (auto* l = dynamic_cast<ui::Label*>(&c))
        return l->transparent ? Kind::TransparentLabel : Kind::Label;
    if (dynamic_cast<ui::TextBox*>(&c))
        return Kind::TextBox;
    if (auto* b = dynamic_cast<ui::Button*>(&c)) {
        if (b->picture != ui::Picture::None)
            return Kind::PictureButton;
        if (b->symbol_font && !webdings)
            return Kind::SymbolButton;
        return Kind::Button;
    }
    if (auto* o = dynamic_cast<ui::OptionButton*>(&c))
        return o->picture != ui::Picture::None ? Kind::PictureOption : Kind::Option;
    if (dynamic_cast<ui::PictureBox*>(&c))
        return Kind::Picture;
    if (dynamic_cast<ui::Line*>(&c))
        return Kind::Line;
    if (dynamic_cast<ui::Timer*>(&c))
        return Kind::Timer;
    if (dynamic_cast<ui::DriveListBox*>(&c))
        return Kind::DriveList;
    if (dynamic_cast<ui::DirListBox*>(&c))
        return Kind::DirList;
    if (dynamic_cast<ui::FileListBox*>(&c))
        return Kind::FileList;
    return Kind::Other;
}

LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM);

} // namespace

struct Win32WindowSystem::Impl {
    WindowSystemOptions options;
    std::vector<std::unique_ptr<FormWindow>> forms;
    // Windows already destroyed whose objects may still be on the call stack;
    // freed when the outermost message loop is back in control.
    std::vector<std::unique_ptr<FormWindow>> graveyard;
    int depth = 0; // nesting of window procedures
    bool ended = false;
    int exit_code = 0;
    bool webdings = FontExists(L"Webdings");
    FontCache fonts;
    GdiObject<HBRUSH> window_brush{CreateSolidBrush(GetSysColor(COLOR_WINDOW))};
    GdiObject<HBRUSH> face_brush{CreateSolidBrush(GetSysColor(COLOR_BTNFACE))};

    // Runs one of the program's handlers. A cancelled file dialog ends the
    // handler with nothing changed; any other escaping error is reported.
    template <class F> void Guard(F&& f) {
        try {
            f();
        } catch (const ui::DialogCancelled&) {
        } catch (const std::exception& e) {
            Report(e.what());
        } catch (...) {
            Report("unknown error");
        }
    }
    void Report(const std::string& text) {
        if (options.report_handler_error) {
            options.report_handler_error(text);
            return;
        }
        MessageBoxW(GetActiveWindow(), Widen(text).c_str(), L"Trackforge", MB_OK | MB_ICONERROR);
    }

    FormWindow* Find(const ui::Form& form) const {
        for (auto& f : forms)
            if (f->form == &form && f->alive)
                return f.get();
        return nullptr;
    }
    bool Alive(const FormWindow* fw) const {
        for (auto& f : forms)
            if (f.get() == fw)
                return fw->alive;
        return false;
    }
    ControlPeer* PeerOf(HWND h) const {
        for (auto& f : forms)
            for (auto& p : f->peers)
                if (p->hwnd == h && h)
                    return p.get();
        return nullptr;
    }

    static void RegisterClassOnce() {
        static bool done = false;
        if (done)
            return;
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = FormProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kFormClass;
        RegisterClassExW(&wc);
        done = true;
    }

    FormWindow* Create(ui::Form& form, HWND owner);
    void CreateControl(FormWindow& fw, ui::Control& c, int index);
    void Place(FormWindow& fw);
    void PlaceControl(FormWindow& fw, ControlPeer& p);
    void PlaceForm(FormWindow& fw, bool keep_position = false);
    void SetIcons(FormWindow& fw);
    void Sync(ControlPeer& p, ui::Prop what);
    void SyncList(ControlPeer& p);
    void SyncTimer(ControlPeer& p);
    void SyncTip(ControlPeer& p);
    void ShowInternal(ui::Form& form, HWND owner);
    void Destroy(FormWindow& fw);
    void UnloadForm(ui::Form& form) {
        FormWindow* fw = Find(form);
        if (!fw || fw->unloading)
            return;
        fw->unloading = true;
        Guard([&] { form.Form_Unload(); });
        if (Alive(fw)) // Form_Unload may have ended the program already
            Destroy(*fw);
    }
    void DestroyAll();
    bool PumpOne(bool wait);
    void Purge() {
        if (depth == 0)
            graveyard.clear();
    }

    LRESULT Handle(FormWindow& fw, UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(FormWindow& fw, int id, int code);
    void DrawItem(FormWindow& fw, const DRAWITEMSTRUCT& di);
    void DrawButtonFace(ControlPeer& p, const DRAWITEMSTRUCT& di, bool pushed);
    void DrawBackdrop(FormWindow& fw, ControlPeer& p, HDC dc);
    void PaintLines(FormWindow& fw, HDC dc);
};

namespace {

void ControlPeer::Changed(ui::Control&, ui::Prop what) {
    if (form && form->alive)
        form->sys->Sync(*this, what);
}

LRESULT CALLBACK FormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        reinterpret_cast<FormWindow*>(cs->lpCreateParams)->hwnd = h;
    }
    auto* fw = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!fw || !fw->alive)
        return DefWindowProcW(h, msg, wp, lp);
    Win32WindowSystem::Impl& sys = *fw->sys;
    ++sys.depth;
    LRESULT r = sys.Handle(*fw, msg, wp, lp);
    --sys.depth;
    return r;
}

} // namespace

FormWindow* Win32WindowSystem::Impl::Create(ui::Form& form, HWND owner) {
    RegisterClassOnce();
    auto fw = std::make_unique<FormWindow>();
    fw->sys = this;
    fw->form = &form;
    DWORD style = form.has_title_bar
                      ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS
                      : WS_POPUP | WS_DLGFRAME | WS_CLIPSIBLINGS;
    FormWindow* raw = fw.get();
    forms.push_back(std::move(fw));
    HWND h = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, Widen(form.caption()).c_str(), style,
                             CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, nullptr,
                             GetModuleHandleW(nullptr), raw);
    if (!h) {
        forms.pop_back();
        throw std::runtime_error("the window could not be created");
    }
    raw->dpi = GetDpiForWindow(h);
    if (raw->dpi == 0)
        raw->dpi = 96;
    raw->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, h, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (raw->tooltip)
        SendMessageW(raw->tooltip, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, raw->dpi, 96));
    int index = 0;
    for (ui::Control* c : form.controls())
        CreateControl(*raw, *c, index++);
    // Pictures lie behind everything, frames behind their contents.
    for (auto& p : raw->peers)
        if (p->hwnd && p->kind == Kind::Frame)
            SetWindowPos(p->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (auto& p : raw->peers)
        if (p->hwnd && p->kind == Kind::Picture)
            SetWindowPos(p->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PlaceForm(*raw);
    Place(*raw);
    SetIcons(*raw);
    form.peer_ = raw;
    for (auto& p : raw->peers)
        p->control->set_peer(p.get());
    return raw;
}

void Win32WindowSystem::Impl::CreateControl(FormWindow& fw, ui::Control& c, int index) {
    auto p = std::make_unique<ControlPeer>();
    p->form = &fw;
    p->control = &c;
    p->kind = KindOf(c, webdings);
    p->id = kFirstControlId + index;
    const wchar_t* cls = nullptr;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex = 0;
    std::wstring text;
    switch (p->kind) {
    case Kind::Label: {
        auto& l = static_cast<ui::Label&>(c);
        cls = WC_STATICW;
        style |= SS_NOPREFIX | SS_NOTIFY |
                 (l.alignment == ui::Align::Right    ? SS_RIGHT
                  : l.alignment == ui::Align::Center ? SS_CENTER
                                                     : SS_LEFT);
        text = Widen(l.caption());
        break;
    }
    case Kind::TransparentLabel:
        cls = WC_STATICW;
        style |= SS_OWNERDRAW | SS_NOTIFY;
        text = Widen(static_cast<ui::Label&>(c).caption());
        break;
    case Kind::Frame:
        text = Widen(static_cast<ui::Frame&>(c).caption());
        if (Px(c.rect().height, fw.dpi) < 8 && text.empty()) {
            // A frame too flat for a group box is a separator line.
            cls = WC_STATICW;
            style |= SS_ETCHEDHORZ;
        } else {
            cls = WC_BUTTONW;
            style |= BS_GROUPBOX;
        }
        break;
    case Kind::TextBox: {
        auto& t = static_cast<ui::TextBox&>(c);
        cls = WC_EDITW;
        ex = WS_EX_CLIENTEDGE;
        style |= WS_TABSTOP | ES_AUTOHSCROLL |
                 (t.alignment == ui::Align::Right    ? ES_RIGHT
                  : t.alignment == ui::Align::Center ? ES_CENTER
                                                     : ES_LEFT);
        if (t.locked)
            style |= ES_READONLY;
        if (t.multiline)
            style = (style & ~ES_AUTOHSCROLL) | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN;
        text = WithCrLf(Widen(t.text()));
        break;
    }
    case Kind::Button:
    case Kind::SymbolButton:
    case Kind::PictureButton:
        cls = WC_BUTTONW;
        style |= WS_TABSTOP | (p->kind == Kind::Button ? BS_PUSHBUTTON : BS_OWNERDRAW);
        text = Widen(static_cast<ui::Button&>(c).caption());
        break;
    case Kind::Option:
        cls = WC_BUTTONW;
        style |= WS_TABSTOP | BS_RADIOBUTTON;
        break;
    case Kind::PictureOption:
        cls = WC_BUTTONW;
        style |= WS_TABSTOP | BS_OWNERDRAW;
        break;
    case Kind::Picture:
        cls = WC_STATICW;
        style |= SS_OWNERDRAW;
        break;
    case Kind::DriveList:
        cls = WC_COMBOBOXW;
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS;
        break;
    case Kind::DirList:
    case Kind::FileList:
        cls = WC_LISTBOXW;
        ex = WS_EX_CLIENTEDGE;
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
        break;
    case Kind::Line:
    case Kind::Timer:
    case Kind::Other:
        break;
    }
    if (cls) {
        if (c.visible())
            style |= WS_VISIBLE;
        if (!c.enabled())
            style |= WS_DISABLED;
        p->hwnd = CreateWindowExW(ex, cls, text.c_str(), style, 0, 0, 0, 0, fw.hwnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(p->id)),
                                  GetModuleHandleW(nullptr), nullptr);
    }
    if (p->hwnd) {
        p->name_atom = std::make_unique<GlobalAtom>(Widen(c.name()));
        if (p->name_atom->get())
            SetPropW(p->hwnd, kControlNameProp,
                     reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(p->name_atom->get())));
    }
    ControlPeer& ref = *p;
    fw.peers.push_back(std::move(p));
    if (!ref.hwnd) {
        if (ref.kind == Kind::Timer)
            SyncTimer(ref);
        return;
    }
    if (ref.kind == Kind::TextBox) {
        auto& t = static_cast<ui::TextBox&>(c);
        SendMessageW(ref.hwnd, EM_LIMITTEXT, t.max_length > 0 ? t.max_length : 0, 0);
    }
    if (ref.kind == Kind::Option)
        SendMessageW(ref.hwnd, BM_SETCHECK, static_cast<ui::OptionButton&>(c).value(), 0);
    if (ref.kind == Kind::DriveList || ref.kind == Kind::DirList || ref.kind == Kind::FileList)
        SyncList(ref);
    SyncTip(ref);
}

void Win32WindowSystem::Impl::PlaceForm(FormWindow& fw, bool keep_position) {
    RECT r{0, 0, Px(fw.form->client_width, fw.dpi), Px(fw.form->client_height, fw.dpi)};
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(fw.hwnd, GWL_STYLE));
    DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(fw.hwnd, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&r, style, FALSE, ex, fw.dpi);
    const int w = r.right - r.left, h = r.bottom - r.top;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    int x = 0, y = 0;
    // A popup has no default place of its own: it is centred like a notice.
    if (!keep_position && (fw.form->centered || !fw.form->has_title_bar)) {
        MONITORINFO mi{sizeof(mi), {}, {}, 0};
        GetMonitorInfoW(MonitorFromWindow(fw.hwnd, MONITOR_DEFAULTTOPRIMARY), &mi);
        x = std::max<int>(mi.rcWork.left, mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - w) / 2);
        y = std::max<int>(mi.rcWork.top, mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - h) / 2);
    } else {
        flags |= SWP_NOMOVE;
    }
    SetWindowPos(fw.hwnd, nullptr, x, y, w, h, flags);
}

void Win32WindowSystem::Impl::Place(FormWindow& fw) {
    for (auto& p : fw.peers)
        PlaceControl(fw, *p);
    InvalidateRect(fw.hwnd, nullptr, TRUE);
}

void Win32WindowSystem::Impl::PlaceControl(FormWindow& fw, ControlPeer& p) {
    if (!p.hwnd) {
        if (p.kind == Kind::Line)
            InvalidateRect(fw.hwnd, nullptr, TRUE);
        return;
    }
    const ui::Rect& r = p.control->rect();
    int x = Px(r.left, fw.dpi), y = Px(r.top, fw.dpi);
    int w = Px(r.width, fw.dpi), h = Px(r.height, fw.dpi);
    bool symbol = p.kind == Kind::Button && static_cast<ui::Button*>(p.control)->symbol_font;
    HFONT font = fonts.Get(p.control->font(), fw.dpi, symbol);
    SendMessageW(p.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (p.kind == Kind::DriveList) {
        // The closed box keeps the designed height; the list drops below it.
        SendMessageW(p.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(h - 6, 8));
        int item = static_cast<int>(SendMessageW(p.hwnd, CB_GETITEMHEIGHT, 0, 0));
        SetWindowPos(p.hwnd, nullptr, x, y, w, h + item * kDropDownItems + 4,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(p.hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(p.hwnd, nullptr, TRUE);
}

void Win32WindowSystem::Impl::SetIcons(FormWindow& fw) {
    int big = GetSystemMetricsForDpi(SM_CXICON, fw.dpi);
    int small = GetSystemMetricsForDpi(SM_CXSMICON, fw.dpi);
    fw.big_icon = IconHandle(CreatePictureIcon(fw.form->icon, big));
    fw.small_icon = IconHandle(CreatePictureIcon(fw.form->icon, small));
    SendMessageW(fw.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(fw.big_icon.get()));
    SendMessageW(fw.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(fw.small_icon.get()));
}

void Win32WindowSystem::Impl::SyncTip(ControlPeer& p) {
    FormWindow& fw = *p.form;
    if (!fw.tooltip || !p.hwnd)
        return;
    p.tip = Widen(p.control->tooltip());
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = fw.hwnd;
    ti.uId = reinterpret_cast<UINT_PTR>(p.hwnd);
    ti.lpszText = p.tip.data();
    if (!p.tool_added) {
        SendMessageW(fw.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        p.tool_added = true;
    } else {
        SendMessageW(fw.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void Win32WindowSystem::Impl::SyncTimer(ControlPeer& p) {
    auto& t = static_cast<ui::Timer&>(*p.control);
    HWND h = p.form->hwnd;
    const UINT_PTR id = kFirstTimerId + static_cast<UINT_PTR>(p.id);
    if (t.timer_enabled && t.enabled() && t.interval_ms > 0) {
        p.timer_id = SetTimer(h, id, static_cast<UINT>(t.interval_ms), nullptr);
    } else if (p.timer_id) {
        KillTimer(h, p.timer_id);
        p.timer_id = 0;
    }
}

void Win32WindowSystem::Impl::SyncList(ControlPeer& p) {
    const bool combo = p.kind == Kind::DriveList;
    const std::vector<std::string>* items = nullptr;
    if (p.kind == Kind::DriveList)
        items = &static_cast<ui::DriveListBox*>(p.control)->items();
    else if (p.kind == Kind::DirList)
        items = &static_cast<ui::DirListBox*>(p.control)->items();
    else
        items = &static_cast<ui::FileListBox*>(p.control)->items();
    const UINT count_msg = combo ? CB_GETCOUNT : LB_GETCOUNT;
    const UINT len_msg = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT get_msg = combo ? CB_GETLBTEXT : LB_GETTEXT;
    // Rewrite only on a real change, so the timer's refresh does not flicker.
    bool same = static_cast<size_t>(SendMessageW(p.hwnd, count_msg, 0, 0)) == items->size();
    for (size_t i = 0; same && i < items->size(); ++i) {
        auto n = SendMessageW(p.hwnd, len_msg, i, 0);
        std::wstring s(static_cast<size_t>(std::max<LRESULT>(n, 0)) + 1, L'\0');
        SendMessageW(p.hwnd, get_msg, i, reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(std::max<LRESULT>(n, 0)));
        same = s == Widen((*items)[i]);
    }
    if (!same) {
        SendMessageW(p.hwnd, WM_SETREDRAW, FALSE, 0);
        SendMessageW(p.hwnd, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
        for (const auto& item : *items)
            SendMessageW(p.hwnd, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(Widen(item).c_str()));
        SendMessageW(p.hwnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(p.hwnd, nullptr, TRUE);
    }
    if (combo) {
        int index = static_cast<ui::DriveListBox*>(p.control)->list_index();
        if (SendMessageW(p.hwnd, CB_GETCURSEL, 0, 0) != index)
            SendMessageW(p.hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void Win32WindowSystem::Impl::Sync(ControlPeer& p, ui::Prop what) {
    FormWindow& fw = *p.form;
    if (p.kind == Kind::Timer) {
        SyncTimer(p);
        return;
    }
    if (p.kind == Kind::Line) {
        InvalidateRect(fw.hwnd, nullptr, TRUE);
        return;
    }
    if (!p.hwnd)
        return;
    ++fw.updating;
    switch (what) {
    case ui::Prop::Caption:
        if (auto* l = dynamic_cast<ui::Label*>(p.control))
            SetWindowTextW(p.hwnd, Widen(l->caption()).c_str());
        else if (auto* b = dynamic_cast<ui::Button*>(p.control))
            SetWindowTextW(p.hwnd, Widen(b->caption()).c_str());
        InvalidateRect(p.hwnd, nullptr, TRUE);
        break;
    case ui::Prop::Text:
        if (auto* t = dynamic_cast<ui::TextBox*>(p.control))
            SetWindowTextW(p.hwnd, WithCrLf(Widen(t->text())).c_str());
        else if (p.kind == Kind::DriveList || p.kind == Kind::DirList || p.kind == Kind::FileList)
            SyncList(p);
        break;
    case ui::Prop::ToolTip:
        SyncTip(p);
        break;
    case ui::Prop::Visible:
        ShowWindow(p.hwnd, p.control->visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case ui::Prop::Enabled:
        EnableWindow(p.hwnd, p.control->enabled());
        break;
    case ui::Prop::Value:
        if (p.kind == Kind::Option)
            SendMessageW(p.hwnd, BM_SETCHECK, static_cast<ui::OptionButton*>(p.control)->value(), 0);
        else if (p.kind == Kind::DriveList || p.kind == Kind::DirList || p.kind == Kind::FileList)
            SyncList(p);
        InvalidateRect(p.hwnd, nullptr, TRUE);
        break;
    case ui::Prop::Items:
    case ui::Prop::Path:
        if (p.kind == Kind::DriveList || p.kind == Kind::DirList || p.kind == Kind::FileList)
            SyncList(p);
        break;
    case ui::Prop::Geometry:
    case ui::Prop::Font:
        PlaceControl(fw, p);
        break;
    case ui::Prop::Style:
        if (auto* t = dynamic_cast<ui::TextBox*>(p.control))
            SendMessageW(p.hwnd, EM_SETREADONLY, t->locked, 0);
        InvalidateRect(p.hwnd, nullptr, TRUE);
        break;
    case ui::Prop::Picture:
        InvalidateRect(p.hwnd, nullptr, TRUE);
        break;
    }
    --fw.updating;
}

void Win32WindowSystem::Impl::OnCommand(FormWindow& fw, int id, int code) {
    ControlPeer* p = nullptr;
    for (auto& q : fw.peers)
        if (q->id == id)
            p = q.get();
    if (!p || !p->hwnd)
        return;
    ui::Control& c = *p->control;
    switch (p->kind) {
    case Kind::Button:
    case Kind::SymbolButton:
    case Kind::PictureButton:
        if (code == BN_CLICKED)
            Guard([&] { static_cast<ui::Button&>(c).Click(); });
        break;
    case Kind::Option:
    case Kind::PictureOption:
        if (code == BN_CLICKED)
            Guard([&] { static_cast<ui::OptionButton&>(c).Click(); });
        break;
    case Kind::TextBox:
        if (code == EN_CHANGE && fw.updating == 0 && !static_cast<ui::TextBox&>(c).locked)
            static_cast<ui::TextBox&>(c).TextFromUser(Narrow(WindowText(p->hwnd)));
        break;
    case Kind::DriveList:
        if (code == CBN_SELCHANGE) {
            int i = static_cast<int>(SendMessageW(p->hwnd, CB_GETCURSEL, 0, 0));
            HWND h = p->hwnd;
            Guard([&] { static_cast<ui::DriveListBox&>(c).SelectFromUser(i); });
            // The handler may have refused the drive and put the old one back.
            if (ControlPeer* again = PeerOf(h))
                SyncList(*again);
        }
        break;
    case Kind::DirList: {
        int i = static_cast<int>(SendMessageW(p->hwnd, LB_GETCURSEL, 0, 0));
        if (code == LBN_DBLCLK && i >= 0)
            Guard([&] { static_cast<ui::DirListBox&>(c).OpenFromUser(i); });
        else if (code == LBN_SELCHANGE)
            Guard([&] { static_cast<ui::DirListBox&>(c).Click(); });
        break;
    }
    default:
        break;
    }
}

void Win32WindowSystem::Impl::DrawBackdrop(FormWindow& fw, ControlPeer& p, HDC dc) {
    // What the form shows behind this control: its face colour and any
    // picture box underneath, shifted into the control's coordinates.
    RECT me;
    GetWindowRect(p.hwnd, &me);
    MapWindowPoints(nullptr, fw.hwnd, reinterpret_cast<POINT*>(&me), 2);
    RECT all{0, 0, me.right - me.left, me.bottom - me.top};
    FillRect(dc, &all, face_brush.get());
    for (auto& q : fw.peers) {
        if (q->kind != Kind::Picture || !q->hwnd || !q->control->visible())
            continue;
        RECT pic;
        GetWindowRect(q->hwnd, &pic);
        MapWindowPoints(nullptr, fw.hwnd, reinterpret_cast<POINT*>(&pic), 2);
        OffsetRect(&pic, -me.left, -me.top);
        DrawPictureFit(dc, static_cast<ui::PictureBox*>(q->control)->picture, pic);
    }
}

void Win32WindowSystem::Impl::DrawButtonFace(ControlPeer& p, const DRAWITEMSTRUCT& di,
                                             bool pushed) {
    RECT r = di.rcItem;
    HTHEME theme = OpenThemeData(p.hwnd, L"BUTTON");
    if (theme) {
        int state = (di.itemState & ODS_DISABLED) ? PBS_DISABLED
                    : pushed                       ? PBS_PRESSED
                    : (di.itemState & ODS_FOCUS)   ? PBS_DEFAULTED
                                                   : PBS_NORMAL;
        DrawThemeParentBackground(p.hwnd, di.hDC, &r);
        DrawThemeBackground(theme, di.hDC, BP_PUSHBUTTON, state, &r, nullptr);
        CloseThemeData(theme);
    } else {
        DrawFrameControl(di.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    }
    if (di.itemState & ODS_FOCUS) {
        RECT f = r;
        InflateRect(&f, -4, -4);
        DrawFocusRect(di.hDC, &f);
    }
}

void DrawSymbol(HDC dc, const std::string& caption, RECT r, COLORREF color) {
    // Webdings' play, pause and stop, drawn by hand.
    const int s = std::min(r.right - r.left, r.bottom - r.top) * 2 / 5;
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    GdiObject<HBRUSH> b(CreateSolidBrush(color));
    Selected sb(dc, b.get());
    Selected sp(dc, GetStockObject(NULL_PEN));
    if (caption == "4") {
        POINT tri[] = {{cx - s / 2, cy - s / 2}, {cx + s / 2, cy}, {cx - s / 2, cy + s / 2}};
        Polygon(dc, tri, 3);
    } else if (caption == ";") {
        RECT a{cx - s / 2, cy - s / 2, cx - s / 6, cy + s / 2};
        RECT c{cx + s / 6, cy - s / 2, cx + s / 2, cy + s / 2};
        FillRect(dc, &a, b.get());
        FillRect(dc, &c, b.get());
    } else if (caption == "<") {
        RECT a{cx - s / 2, cy - s / 2, cx + s / 2, cy + s / 2};
        FillRect(dc, &a, b.get());
    }
}

void Win32WindowSystem::Impl::DrawItem(FormWindow& fw, const DRAWITEMSTRUCT& di) {
    ControlPeer* p = nullptr;
    for (auto& q : fw.peers)
        if (q->id == static_cast<int>(di.CtlID))
            p = q.get();
    if (!p)
        return;
    HDC dc = di.hDC;
    RECT r = di.rcItem;
    SavedDc saved(dc);
    const bool disabled = di.itemState & ODS_DISABLED;
    const COLORREF text_color = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    switch (p->kind) {
    case Kind::Picture:
        DrawBackdrop(fw, *p, dc);
        DrawPictureFit(dc, static_cast<ui::PictureBox*>(p->control)->picture, r);
        break;
    case Kind::TransparentLabel: {
        auto& l = static_cast<ui::Label&>(*p->control);
        DrawBackdrop(fw, *p, dc);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB((l.color >> 16) & 0xFF, (l.color >> 8) & 0xFF, l.color & 0xFF));
        HFONT f = fonts.Get(l.font(), fw.dpi);
        Selected sf(dc, f);
        UINT align = l.alignment == ui::Align::Right    ? DT_RIGHT
                     : l.alignment == ui::Align::Center ? DT_CENTER
                                                        : DT_LEFT;
        std::wstring text = WindowText(p->hwnd);
        DrawTextW(dc, text.c_str(), -1, &r, align | DT_WORDBREAK | DT_NOPREFIX);
        break;
    }
    case Kind::PictureButton: {
        auto& b = static_cast<ui::Button&>(*p->control);
        const bool pushed = di.itemState & ODS_SELECTED;
        DrawButtonFace(*p, di, pushed);
        RECT inner = r;
        InflateRect(&inner, -MulDiv(4, fw.dpi, 96), -MulDiv(3, fw.dpi, 96));
        if (pushed)
            OffsetRect(&inner, 1, 1);
        std::wstring caption = Widen(b.caption());
        if (caption.empty()) {
            DrawPictureCentered(dc, b.picture, inner, fw.dpi);
            break;
        }
        Selected sf(dc, fonts.Get(b.font(), fw.dpi));
        RECT measure = inner;
        DrawTextW(dc, caption.c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        const int th = measure.bottom - measure.top;
        SIZE pic = PictureDesignSize(b.picture);
        const int ph = MulDiv(pic.cy, fw.dpi, 96);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, text_color);
        if (ph + th + 2 <= inner.bottom - inner.top) { // picture above the caption
            const int top = inner.top + (inner.bottom - inner.top - ph - th - 2) / 2;
            DrawPictureCentered(dc, b.picture, RECT{inner.left, top, inner.right, top + ph}, fw.dpi);
            RECT tr{inner.left, top + ph + 2, inner.right, top + ph + 2 + th};
            DrawTextW(dc, caption.c_str(), -1, &tr, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        } else { // too flat: picture at the left, caption beside it
            const int pw = std::min<int>(MulDiv(pic.cx, fw.dpi, 96), inner.bottom - inner.top);
            DrawPictureCentered(dc, b.picture, RECT{inner.left, inner.top, inner.left + pw, inner.bottom},
                                fw.dpi);
            RECT tr{inner.left + pw + 2, inner.top, inner.right, inner.bottom};
            DrawTextW(dc, caption.c_str(), -1, &tr,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
        break;
    }
    case Kind::SymbolButton: {
        const bool pushed = di.itemState & ODS_SELECTED;
        DrawButtonFace(*p, di, pushed);
        if (pushed)
            OffsetRect(&r, 1, 1);
        DrawSymbol(dc, static_cast<ui::Button*>(p->control)->caption(), r, text_color);
        break;
    }
    case Kind::PictureOption: {
        auto& o = static_cast<ui::OptionButton&>(*p->control);
        const bool on = o.value() || (di.itemState & ODS_SELECTED);
        FillRect(dc, &r, on ? window_brush.get() : face_brush.get());
        DrawEdge(dc, &r, on ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        RECT inner = r;
        InflateRect(&inner, -3, -3);
        if (on)
            OffsetRect(&inner, 1, 1);
        DrawPictureCentered(dc, o.picture, inner, fw.dpi);
        if (di.itemState & ODS_FOCUS) {
            RECT f = r;
            InflateRect(&f, -2, -2);
            DrawFocusRect(dc, &f);
        }
        break;
    }
    default:
        break;
    }
}

void Win32WindowSystem::Impl::PaintLines(FormWindow& fw, HDC dc) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, std::max(1, MulDiv(1, fw.dpi, 96)), GetSysColor(COLOR_BTNTEXT)));
    Selected sp(dc, pen.get());
    for (auto& p : fw.peers) {
        if (p->kind != Kind::Line || !p->control->visible())
            continue;
        auto& l = static_cast<ui::Line&>(*p->control);
        MoveToEx(dc, Px(l.x1, fw.dpi), Px(l.y1, fw.dpi), nullptr);
        LineTo(dc, Px(l.x2, fw.dpi), Px(l.y2, fw.dpi));
    }
}

LRESULT Win32WindowSystem::Impl::Handle(FormWindow& fw, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = fw.hwnd;
    switch (msg) {
    case WM_CLOSE: // the close box does what Unload does
        UnloadForm(*fw.form);
        return 0;
    case WM_ENDSESSION: // log-off or shutdown: unload as at a close, so the settings are kept
        if (wp)
            UnloadForm(*fw.form);
        return 0;
    case WM_COMMAND:
        if (lp)
            OnCommand(fw, LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_TIMER:
        for (auto& p : fw.peers)
            if (p->kind == Kind::Timer && p->timer_id == wp) {
                Guard([&] { static_cast<ui::Timer*>(p->control)->Tick(); });
                return 0;
            }
        break;
    case WM_DRAWITEM:
        DrawItem(fw, *reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        ControlPeer* p = PeerOf(reinterpret_cast<HWND>(lp));
        if (p && p->kind == Kind::TextBox) { // read-only boxes stay white
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(window_brush.get());
        }
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        if (p && (p->kind == Kind::Label || p->kind == Kind::Frame)) {
            unsigned c = static_cast<ui::Label*>(p->control)->color;
            SetTextColor(dc, RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
        }
        return reinterpret_cast<LRESULT>(face_brush.get());
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        PaintLines(fw, dc);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_DPICHANGED: {
        fw.dpi = HIWORD(wp);
        auto* r = reinterpret_cast<RECT*>(lp);
        SetWindowPos(h, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        // The suggested rectangle may round differently; the client size is what counts.
        PlaceForm(fw, true);
        Place(fw);
        SetIcons(fw);
        return 0;
    }
    case WM_NCDESTROY: // destroyed from outside, e.g. together with its owner
        fw.hwnd = nullptr;
        Destroy(fw);
        break;
    default:
        break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

void Win32WindowSystem::Impl::Destroy(FormWindow& fw) {
    if (!fw.alive)
        return;
    fw.alive = false;
    if (fw.form->peer_ == &fw)
        fw.form->peer_ = nullptr;
    for (auto& p : fw.peers) {
        if (p->control->peer() == p.get())
            p->control->set_peer(nullptr);
        if (p->timer_id && fw.hwnd)
            KillTimer(fw.hwnd, p->timer_id);
        if (p->hwnd && IsWindow(p->hwnd))
            RemovePropW(p->hwnd, kControlNameProp);
    }
    // Give the owner back its input before this window goes, so that Windows
    // activates the owner and not some other program.
    if (fw.modal_owner && IsWindow(fw.modal_owner))
        EnableWindow(fw.modal_owner, TRUE);
    if (fw.hwnd && IsWindow(fw.hwnd))
        DestroyWindow(fw.hwnd);
    for (auto it = forms.begin(); it != forms.end(); ++it) {
        if (it->get() == &fw) {
            graveyard.push_back(std::move(*it));
            forms.erase(it);
            break;
        }
    }
    // Wake a loop waiting in GetMessage so it sees the window count change.
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Win32WindowSystem::Impl::DestroyAll() {
    while (!forms.empty())
        Destroy(*forms.back());
}

bool Win32WindowSystem::Impl::PumpOne(bool wait) {
    MSG m;
    if (wait) {
        BOOL r = GetMessageW(&m, nullptr, 0, 0);
        if (r <= 0) {
            if (r == 0)
                PostQuitMessage(static_cast<int>(m.wParam)); // for the outer loop
            return false;
        }
    } else if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    } else if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        return false;
    }
    HWND top = m.hwnd ? GetAncestor(m.hwnd, GA_ROOT) : nullptr;
    bool ours = false;
    for (auto& f : forms)
        ours = ours || (f->hwnd == top && top);
    if (ours && IsDialogMessageW(top, &m))
        return true;
    TranslateMessage(&m);
    DispatchMessageW(&m);
    return true;
}

void Win32WindowSystem::Impl::ShowInternal(ui::Form& form, HWND owner) {
    if (FormWindow* fw = Find(form)) {
        ShowWindow(fw->hwnd, SW_SHOW);
        SetForegroundWindow(fw->hwnd);
        return;
    }
    FormWindow* fw = Create(form, owner);
    Guard([&] { form.Form_Load(); });
    if (!Alive(fw))
        return; // unloaded while loading
    ShowWindow(fw->hwnd, SW_SHOW);
    UpdateWindow(fw->hwnd);
    SetForegroundWindow(fw->hwnd);
    Guard([&] { form.Form_Activate(); });
}

Win32WindowSystem::Win32WindowSystem(WindowSystemOptions options) : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
}

Win32WindowSystem::~Win32WindowSystem() { impl_->DestroyAll(); }

void Win32WindowSystem::Show(ui::Form& form) { impl_->ShowInternal(form, nullptr); }

void Win32WindowSystem::ShowModal(ui::Form& form, ui::Form& owner) {
    Impl& s = *impl_;
    FormWindow* ow = s.Find(owner);
    HWND owner_hwnd = ow ? ow->hwnd : nullptr;
    if (s.Find(form)) { // already open: just bring it up
        s.ShowInternal(form, owner_hwnd);
        return;
    }
    if (owner_hwnd)
        EnableWindow(owner_hwnd, FALSE);
    FormWindow* child = s.Create(form, owner_hwnd);
    child->modal_owner = owner_hwnd;
    s.Guard([&] { form.Form_Load(); });
    if (s.Alive(child)) {
        ShowWindow(child->hwnd, SW_SHOW);
        UpdateWindow(child->hwnd);
        SetForegroundWindow(child->hwnd);
        s.Guard([&] { form.Form_Activate(); });
    }
    while (s.Alive(child) && !s.ended && s.PumpOne(true)) {
    }
    if (s.Alive(child)) // the loop was ended by a quit request
        s.Destroy(*child);
    if (s.ended || !s.Alive(ow))
        return;
    EnableWindow(owner_hwnd, TRUE);
    SetActiveWindow(owner_hwnd);
    s.Guard([&] { owner.Form_Activate(); });
}

void Win32WindowSystem::Unload(ui::Form& form) { impl_->UnloadForm(form); }

void Win32WindowSystem::EndProgram(int exit_code) {
    Impl& s = *impl_;
    s.ended = true;
    s.exit_code = exit_code;
    s.DestroyAll();
    if (s.options.exit_process)
        s.options.exit_process(exit_code);
    else
        ExitProcess(static_cast<UINT>(exit_code));
}

std::uintptr_t Win32WindowSystem::Handle(ui::Form& form) {
    FormWindow* fw = impl_->Find(form);
    return fw ? reinterpret_cast<std::uintptr_t>(fw->hwnd) : 0;
}

int Win32WindowSystem::Run() {
    Impl& s = *impl_;
    while (!s.forms.empty() && !s.ended) {
        s.Purge();
        if (!s.PumpOne(true)) {
            MSG m;
            if (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
                s.DestroyAll();
                s.Purge();
                return static_cast<int>(m.wParam);
            }
            break;
        }
    }
    s.Purge();
    return s.exit_code;
}

void Win32WindowSystem::PumpPending() {
    while (impl_->PumpOne(false)) {
    }
    impl_->Purge();
}

std::uintptr_t Win32WindowSystem::ControlHandle(const ui::Control& control) const {
    for (auto& f : impl_->forms)
        for (auto& p : f->peers)
            if (p->control == &control)
                return reinterpret_cast<std::uintptr_t>(p->hwnd);
    return 0;
}

ui::Control* Win32WindowSystem::ControlOf(std::uintptr_t hwnd) const {
    ControlPeer* p = impl_->PeerOf(reinterpret_cast<HWND>(hwnd));
    return p ? p->control : nullptr;
}

int Win32WindowSystem::OpenForms() const { return static_cast<int>(impl_->forms.size()); }

} // namespace tf::win32
