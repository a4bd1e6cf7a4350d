#pragma once
// Inside the Win32 window system: the core that owns the forms' windows and
// their messages, and the peer every control kind implements. Only for the
// window layer's own sources.

#include "platform/ui/file_dialog.h"
#include "platform/win32/ui/gdi.h"
#include "platform/win32/ui/window_system_win32.h"

#include <commctrl.h>
#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace tf::win32 {

int Px(int twips, UINT dpi);
// A control's rectangle in pixels. Its corners are scaled, not its size, so
// that controls designed to end on one line still do where the design's
// steps are fractions of a pixel (15 twips are 1.5 pixels at 144 DPI).
RECT PxRect(const ui::Rect &r, UINT dpi);
// A length designed in pixels at 96 DPI (a margin, an inset, a pen) at `dpi`.
int Scaled(int px, UINT dpi);
// A window's DPI, a frame around a client rectangle and a system metric at a
// DPI, on Windows 7 too (dpi.cpp).
UINT WindowDpi(HWND h);
bool AdjustRectForDpi(RECT &r, DWORD style, DWORD ex_style, UINT dpi);
int MetricForDpi(int index, UINT dpi);
std::wstring WithCrLf(const std::wstring &s);
std::wstring WindowText(HWND h);
COLORREF ColorRef(ui::Color c);
bool FontExists(const std::wstring &face);
bool HighContrastOn();
// Sets (or, with an empty name, clears) the name a screen reader gives `h`.
void AnnotateName(HWND h, const std::wstring &name);
// Posted to a form to let a control finish what it started in a notification
// (wParam: the control's id) once the control is back at rest.
constexpr UINT kSettleControl = WM_APP + 0x20;
// Posted to a form to run the command lines it was handed.
constexpr UINT kRunHandedOver = WM_APP + 0x21;

class FontCache {
  public:
    HFONT Get(const ui::Font &font, UINT dpi, bool symbol = false);

  private:
    std::map<std::tuple<std::string, long, bool, UINT, bool>, GdiObject<HFONT>> fonts_;
};

// One reference to a global atom, released with its owner.
class GlobalAtom {
  public:
    explicit GlobalAtom(const std::wstring &name) : atom_(GlobalAddAtomW(name.c_str())) {}
    ~GlobalAtom() {
        if (atom_)
            GlobalDeleteAtom(atom_);
    }
    GlobalAtom(const GlobalAtom &) = delete;
    GlobalAtom &operator=(const GlobalAtom &) = delete;
    ATOM get() const { return atom_; }

  private:
    ATOM atom_ = 0;
};

struct FormWindow;

// A control's counterpart on screen: creates its window, mirrors the
// control's changes into it, turns the window's notifications into the
// control's events, and draws what the system leaves to the program.
class ControlPeer : public ui::Peer {
  public:
    ControlPeer(FormWindow &form, ui::Control &control, int id)
        : form_(form), control_(control), id_(id) {}
    ~ControlPeer() override;

    virtual void Create() = 0;
    virtual void Update(ui::Prop what);
    virtual void Command(int /*code*/) {}
    virtual void Draw(const DRAWITEMSTRUCT & /*di*/) {}
    // Windowless kinds are drawn by the form.
    virtual void Paint(HDC /*dc*/) {}
    virtual bool Timer(UINT_PTR /*id*/) { return false; }
    // Enter pressed while this control has the focus; true when it acted on it.
    virtual bool Enter() { return false; }
    // The work a notification posted for later (kSettleControl).
    virtual void Settle() {}
    // The accessible name changed: by default it is annotated on the window,
    // which a screen reader prefers to the label beside the control.
    virtual void NameChanged();
    // WM_CTLCOLORSTATIC: colours of a static or read-only control.
    virtual HBRUSH Colors(HDC dc);
    virtual void Place();
    // 0 in creation order, 1 behind that (frames), 2 behind everything (pictures).
    virtual int Layer() const { return 0; }
    // What this control shows behind the transparent controls above it.
    virtual const ui::Picture *Backdrop() const { return nullptr; }
    // The form's window is going: let go of what hangs on it.
    virtual void Detach();

    void Changed(ui::Control &control, ui::Prop what) final;
    ui::Control &control() const { return control_; }
    HWND hwnd() const { return hwnd_; }
    int id() const { return id_; }

  protected:
    void CreateWindowFor(const wchar_t *cls, DWORD style, DWORD ex, const std::wstring &text);
    void SyncTip();
    HFONT Font(bool symbol = false) const;
    FormWindow &form_;
    ui::Control &control_;
    HWND hwnd_ = nullptr;
    int id_;

  private:
    std::wstring tip_;
    bool tool_added_ = false;
    std::unique_ptr<GlobalAtom> name_atom_;
};

// The peer for the control's kind.
std::unique_ptr<ControlPeer> MakePeer(FormWindow &form, ui::Control &control, int id);

struct FormWindow : ui::FormPeer {
    Win32WindowSystem::Impl *sys = nullptr;
    ui::Form *form = nullptr;
    HWND hwnd = nullptr;
    HWND tooltip = nullptr;
    HWND modal_owner = nullptr;
    // The control that had the focus when the window was last deactivated
    // (by a message box, a dialog or another program); it gets it back.
    HWND last_focus = nullptr;
    // Command lines handed over by later starts, run from the message loop.
    std::vector<std::vector<std::string>> handed_over;
    // The DPI the controls are laid out at: the monitor's, or less where the
    // window would not fit the monitor's work area at it.
    UINT dpi = 96;
    UINT monitor_dpi = 96;
    bool alive = true;
    bool unloading = false;
    int updating = 0; // >0 while the program itself writes into a control
    std::vector<std::unique_ptr<ControlPeer>> peers;
    IconHandle big_icon, small_icon;

    void CaptionChanged() override {
        if (hwnd)
            SetWindowTextW(hwnd, Widen(form->caption()).c_str());
    }
    ControlPeer *PeerWithId(int id) const;
    // Paints what the form shows behind `child`: its face and the pictures under it.
    void DrawBackdrop(HWND child, HDC dc) const;
};

struct Win32WindowSystem::Impl {
    WindowSystemOptions options;
    std::wstring window_class;
    std::vector<std::unique_ptr<FormWindow>> forms;
    // Windows already destroyed whose objects may still be on the call stack;
    // freed when the outermost message loop is back in control.
    std::vector<std::unique_ptr<FormWindow>> graveyard;
    int depth = 0; // nesting of window procedures
    bool ended = false;
    int exit_code = 0;
    bool webdings = FontExists(L"Webdings");
    FontCache fonts;
    // The system's brushes follow a change of the colour scheme (high
    // contrast among them) by themselves; they are never deleted.
    HBRUSH window_brush() const { return GetSysColorBrush(COLOR_WINDOW); }
    HBRUSH face_brush() const { return GetSysColorBrush(COLOR_BTNFACE); }
    // High contrast on: the program's own colours and the visual style's
    // faces give way to the scheme's colours. Asked again when settings change.
    bool high_contrast = HighContrastOn();

    // Runs one of the program's handlers. A cancelled file dialog ends the
    // handler with nothing changed; any other escaping error is reported.
    template <class F> void Guard(F &&f) {
        try {
            f();
        } catch (const ui::DialogCancelled &) {
        } catch (const std::exception &e) {
            Report(e.what());
        } catch (...) {
            Report("unknown error");
        }
    }
    void Report(const std::string &detail);

    FormWindow *Find(const ui::Form &form) const;
    bool Alive(const FormWindow *fw) const;
    ControlPeer *PeerOf(HWND h) const;
    ControlPeer *DefaultPeer(const FormWindow &fw) const;

    void RegisterClassOnce();
    FormWindow *Create(ui::Form &form, HWND owner);
    void CreateControls(FormWindow &fw);
    void PlaceForm(FormWindow &fw, bool keep_position = false);
    void PlaceControls(FormWindow &fw);
    void SetIcons(FormWindow &fw);
    void ShowInternal(ui::Form &form, HWND owner);
    void LoadAndShow(FormWindow &fw);
    void Destroy(FormWindow &fw);
    void UnloadForm(ui::Form &form);
    void DestroyAll();
    bool PumpOne(bool wait);
    void Purge() {
        if (depth == 0)
            graveyard.clear();
    }
    LRESULT Handle(FormWindow &fw, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Paint(FormWindow &fw);
    void DropFiles(FormWindow &fw, HDROP drop);
    LRESULT DpiChanged(FormWindow &fw, WPARAM wp, LPARAM lp);
    void Activated(FormWindow &fw, WPARAM wp);
    ControlPeer *PeerOfButton(FormWindow &fw, const ui::Button *button) const;
    void ColorsChanged(FormWindow &fw);
};

} // namespace tf::win32
