// The core of the window system: it owns the forms' windows, runs their
// messages and hands each control's messages to that control's peer. Every
// handler the program supplies runs through Impl::Guard, so an error that
// escapes a handler is reported and never unwinds through Win32's frames.
#include "platform/win32/ui/window_system_win32.h"

#include "platform/trace_log.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/ui/window_core.h"

namespace tf::win32 {

namespace {
// The open window systems, the newest last (a program has one; tests may
// make several in turn).
std::vector<Win32WindowSystem::Impl *> &Systems() {
    static std::vector<Win32WindowSystem::Impl *> systems;
    return systems;
}
} // namespace

std::uintptr_t DialogOwner() {
    HWND visible = nullptr;
    for (auto s = Systems().rbegin(); s != Systems().rend(); ++s)
        for (auto f = (*s)->forms.rbegin(); f != (*s)->forms.rend(); ++f) {
            const HWND h = (*f)->alive ? (*f)->hwnd : nullptr;
            if (!h || !IsWindowVisible(h))
                continue;
            if (IsWindowEnabled(h))
                return reinterpret_cast<std::uintptr_t>(h);
            if (!visible)
                visible = h; // disabled by a box already open over it
        }
    return reinterpret_cast<std::uintptr_t>(visible);
}

void Win32WindowSystem::Impl::Report(const std::string &detail) {
    trace::Swallowed("window handler", detail);
    if (!options.handler_error_text)
        return;
    std::string text;
    try {
        text = options.handler_error_text();
    } catch (const std::exception &e) {
        trace::Swallowed("window handler text", e.what());
        return;
    }
    if (options.show_handler_error) {
        options.show_handler_error(text);
        return;
    }
    MessageBoxW(reinterpret_cast<HWND>(DialogOwner()), Widen(text).c_str(),
                Widen(options.error_title).c_str(), MB_OK | MB_ICONERROR);
}

FormWindow *Win32WindowSystem::Impl::Find(const ui::Form &form) const {
    for (auto &f : forms)
        if (f->form == &form && f->alive)
            return f.get();
    return nullptr;
}

bool Win32WindowSystem::Impl::Alive(const FormWindow *fw) const {
    for (auto &f : forms)
        if (f.get() == fw)
            return fw->alive;
    return false;
}

ControlPeer *Win32WindowSystem::Impl::PeerOf(HWND h) const {
    if (!h)
        return nullptr;
    for (auto &f : forms)
        for (auto &p : f->peers)
            if (p->hwnd() == h)
                return p.get();
    return nullptr;
}

void Win32WindowSystem::Impl::UnloadForm(ui::Form &form) {
    FormWindow *fw = Find(form);
    if (!fw || fw->unloading)
        return;
    fw->unloading = true;
    Guard([&] { form.Form_Unload(); });
    if (Alive(fw)) // Form_Unload may have ended the program already
        Destroy(*fw);
}

LRESULT Win32WindowSystem::Impl::Handle(FormWindow &fw, UINT msg, WPARAM wp, LPARAM lp) {
    const HWND h = fw.hwnd;
    switch (msg) {
    case WM_CLOSE: { // the close box does what Unload does, once the form agrees
        bool agreed = true;
        Guard([&] { agreed = fw.form->Form_QueryUnload(); });
        if (agreed)
            UnloadForm(*fw.form);
        return 0;
    }
    case WM_QUERYENDSESSION: {
        // A card half written when the session ends is lost with it: say
        // why the program holds the session up, and let the user decide.
        std::string busy;
        Guard([&] { busy = fw.form->Form_SessionBlocker(); });
        if (busy.empty()) {
            ShutdownBlockReasonDestroy(h);
            return TRUE;
        }
        if (!ShutdownBlockReasonCreate(h, Widen(busy).c_str()))
            trace::Swallowed("ShutdownBlockReasonCreate", ErrorText(GetLastError()));
        return FALSE;
    }
    case WM_ENDSESSION: { // log-off or shutdown: unload as at a close, so the settings are kept
        if (!wp)
            return 0;
        // Ended anyway during a long step: the step is on the stack below
        // this message, so the window must stay; what it wrote so far keeps
        // its temporary name and is never taken for the finished file.
        std::string busy;
        Guard([&] { busy = fw.form->Form_SessionBlocker(); });
        if (busy.empty())
            UnloadForm(*fw.form);
        return 0;
    }
    case WM_COMMAND:
        // Enter and Escape outside any button arrive as the dialog commands;
        // a window without a cancel button handles Escape itself.
        if (!lp && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
            const ui::Button *b =
                LOWORD(wp) == IDOK ? fw.form->default_button : fw.form->cancel_button;
            if (ControlPeer *p = PeerOfButton(fw, b))
                p->Command(BN_CLICKED);
            else if (LOWORD(wp) == IDCANCEL)
                Guard([&] { fw.form->Form_Escape(); });
            return 0;
        }
        if (ControlPeer *p = lp ? fw.PeerWithId(LOWORD(wp)) : nullptr; p && p->hwnd())
            p->Command(HIWORD(wp));
        return 0;
    case DM_GETDEFID:
        if (ControlPeer *p = PeerOfButton(fw, fw.form->default_button))
            return MAKELRESULT(p->id(), DC_HASDEFID);
        return 0;
    case WM_COPYDATA: {
        // The sender waits for the answer: the files are taken (and asked
        // about) once it has it.
        const auto *cd = reinterpret_cast<const COPYDATASTRUCT *>(lp);
        if (!cd || cd->dwData != kArgumentsTag)
            break;
        fw.handed_over.push_back(DecodeArguments(cd->lpData, cd->cbData));
        PostMessageW(h, kRunHandedOver, 0, 0);
        return TRUE;
    }
    case kRunHandedOver:
        while (!fw.handed_over.empty() && Alive(&fw)) {
            const std::vector<std::string> arguments = std::move(fw.handed_over.front());
            fw.handed_over.erase(fw.handed_over.begin());
            ui::Form &form = *fw.form;
            Guard([&] { form.Form_CommandLine(arguments); });
        }
        return 0;
    case kSettleControl:
        if (ControlPeer *p = fw.PeerWithId(static_cast<int>(wp)); p && p->hwnd())
            p->Settle();
        return 0;
    case WM_CANCELMODE: {
        // Sent as a modal box or dialog disables this window, which may take
        // the focus away before the deactivation could note it.
        const HWND focus = GetFocus();
        if (focus && IsChild(h, focus))
            fw.last_focus = focus;
        break;
    }
    case WM_ACTIVATE:
        Activated(fw, wp);
        return 0;
    case WM_SETFOCUS: // e.g. restored from the task bar: the control that had it
        if (fw.last_focus && IsWindow(fw.last_focus) && IsChild(h, fw.last_focus)) {
            SetFocus(fw.last_focus);
            return 0;
        }
        break;
    case WM_SYSCOLORCHANGE:
        // Common controls learn of a new scheme only from their parent.
        for (auto &p : fw.peers)
            if (p->hwnd())
                SendMessageW(p->hwnd(), WM_SYSCOLORCHANGE, wp, lp);
        ColorsChanged(fw);
        break;
    case WM_SETTINGCHANGE:
        if (wp == SPI_SETHIGHCONTRAST)
            ColorsChanged(fw);
        break;
    case WM_TIMER:
        for (auto &p : fw.peers)
            if (p->Timer(wp))
                return 0;
        break;
    case WM_DRAWITEM: {
        const auto &di = *reinterpret_cast<DRAWITEMSTRUCT *>(lp);
        if (ControlPeer *p = fw.PeerWithId(static_cast<int>(di.CtlID)))
            p->Draw(di);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        if (ControlPeer *p = PeerOf(reinterpret_cast<HWND>(lp)))
            return reinterpret_cast<LRESULT>(p->Colors(dc));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(face_brush());
    }
    case WM_DROPFILES:
        DropFiles(fw, reinterpret_cast<HDROP>(wp));
        return 0;
    case WM_PAINT:
        return Paint(fw);
    case WM_DPICHANGED:
        return DpiChanged(fw, wp, lp);
    case WM_NCDESTROY: // destroyed from outside, e.g. together with its owner
        fw.hwnd = nullptr;
        Destroy(fw);
        break;
    default:
        break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

ControlPeer *Win32WindowSystem::Impl::PeerOfButton(FormWindow &fw, const ui::Button *button) const {
    if (!button)
        return nullptr;
    for (auto &p : fw.peers)
        if (&p->control() == button && p->hwnd() && IsWindowEnabled(p->hwnd()))
            return p.get();
    return nullptr;
}

// A window of its own keeps no focus across a deactivation (only dialogs do):
// without this, a message box or a file dialog would leave the keyboard user
// nowhere. Where the control has gone, the default button or the first stop
// of the Tab order takes it, as on opening.
void Win32WindowSystem::Impl::Activated(FormWindow &fw, WPARAM wp) {
    const HWND h = fw.hwnd;
    if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(h, focus))
            fw.last_focus = focus;
        return;
    }
    if (HIWORD(wp)) // minimized
        return;
    HWND target = fw.last_focus;
    if (!target || !IsWindow(target) || !IsChild(h, target) || !IsWindowVisible(target) ||
        !IsWindowEnabled(target)) {
        target = nullptr;
        if (ControlPeer *p = PeerOfButton(fw, fw.form->default_button))
            target = p->hwnd();
        if (!target)
            target = GetNextDlgTabItem(h, nullptr, FALSE);
    }
    SetFocus(target ? target : h);
}

void Win32WindowSystem::Impl::ColorsChanged(FormWindow &fw) {
    high_contrast = HighContrastOn();
    RedrawWindow(fw.hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Win32WindowSystem::Impl::DropFiles(FormWindow &fw, HDROP drop) {
    std::vector<std::string> files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
        files.push_back(Narrow(name));
    }
    // The shell's buffer goes before the handler runs: the handler may ask
    // questions and run for long, and the dropping program waits for nothing.
    DragFinish(drop);
    ui::Form &form = *fw.form;
    Guard([&] { form.Form_OLEDragDrop(files); });
}

LRESULT Win32WindowSystem::Impl::Paint(FormWindow &fw) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(fw.hwnd, &ps);
    for (auto &p : fw.peers)
        p->Paint(dc);
    EndPaint(fw.hwnd, &ps);
    return 0;
}

LRESULT Win32WindowSystem::Impl::DpiChanged(FormWindow &fw, WPARAM wp, LPARAM lp) {
    fw.monitor_dpi = HIWORD(wp);
    auto *r = reinterpret_cast<RECT *>(lp);
    SetWindowPos(fw.hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The suggested rectangle may round differently; the client size is what counts.
    PlaceForm(fw, true);
    PlaceControls(fw);
    SetIcons(fw);
    return 0;
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
    FormWindow *ours = nullptr;
    for (auto &f : forms)
        if (f->hwnd == top && top)
            ours = f.get();
    // Enter on a focused button presses it, as Space does; the dialog manager
    // alone would press the default button, and a window has none of its own.
    if (ours && m.message == WM_KEYDOWN && m.wParam == VK_RETURN)
        if (ControlPeer *p = PeerOf(m.hwnd); p && p->Enter())
            return true;
    // Escape presses the cancel button unless the control wants the key (an
    // open drop-down list closes); Wine's dialog manager does not send it on.
    if (ours && m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE && ours->form->cancel_button &&
        !(SendMessageW(m.hwnd, WM_GETDLGCODE, m.wParam, reinterpret_cast<LPARAM>(&m)) &
          DLGC_WANTMESSAGE))
        if (ControlPeer *p = PeerOfButton(*ours, ours->form->cancel_button)) {
            p->Command(BN_CLICKED);
            return true;
        }
    if (ours && IsDialogMessageW(top, &m))
        return true;
    TranslateMessage(&m);
    DispatchMessageW(&m);
    return true;
}

void Win32WindowSystem::Impl::LoadAndShow(FormWindow &fw) {
    ui::Form &form = *fw.form;
    Guard([&] { form.Form_Load(); });
    if (!Alive(&fw))
        return; // unloaded while loading
    ShowWindow(fw.hwnd, SW_SHOW);
    UpdateWindow(fw.hwnd);
    SetForegroundWindow(fw.hwnd);
    if (ControlPeer *p = DefaultPeer(fw); p && IsWindowEnabled(p->hwnd()))
        SetFocus(p->hwnd());
    Guard([&] { form.Form_Activate(); });
}

ControlPeer *Win32WindowSystem::Impl::DefaultPeer(const FormWindow &fw) const {
    for (const auto &p : fw.peers)
        if (fw.form->default_button && &p->control() == fw.form->default_button && p->hwnd())
            return p.get();
    return nullptr;
}

void Win32WindowSystem::Impl::ShowInternal(ui::Form &form, HWND owner) {
    if (FormWindow *fw = Find(form)) {
        ShowWindow(fw->hwnd, SW_SHOW);
        SetForegroundWindow(fw->hwnd);
        return;
    }
    LoadAndShow(*Create(form, owner));
}

Win32WindowSystem::Win32WindowSystem(WindowSystemOptions options)
    : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
    impl_->window_class = Widen(impl_->options.window_class);
    Systems().push_back(impl_.get());
}

Win32WindowSystem::~Win32WindowSystem() {
    impl_->DestroyAll();
    std::erase(Systems(), impl_.get());
}

void Win32WindowSystem::Show(ui::Form &form) {
    impl_->ShowInternal(form, nullptr);
}

void Win32WindowSystem::ShowModal(ui::Form &form, ui::Form &owner) {
    Impl &s = *impl_;
    FormWindow *ow = s.Find(owner);
    HWND owner_hwnd = ow ? ow->hwnd : nullptr;
    if (s.Find(form)) { // already open: just bring it up
        s.ShowInternal(form, owner_hwnd);
        return;
    }
    if (owner_hwnd)
        EnableWindow(owner_hwnd, FALSE);
    FormWindow *child = s.Create(form, owner_hwnd);
    child->modal_owner = owner_hwnd;
    s.LoadAndShow(*child);
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

void Win32WindowSystem::Unload(ui::Form &form) {
    impl_->UnloadForm(form);
}

void Win32WindowSystem::EndProgram(int exit_code) {
    Impl &s = *impl_;
    s.ended = true;
    s.exit_code = exit_code;
    s.DestroyAll();
    if (s.options.exit_process)
        s.options.exit_process(exit_code);
    else
        ExitProcess(static_cast<UINT>(exit_code));
}

std::uintptr_t Win32WindowSystem::Handle(ui::Form &form) {
    FormWindow *fw = impl_->Find(form);
    return fw ? reinterpret_cast<std::uintptr_t>(fw->hwnd) : 0;
}

void Win32WindowSystem::DropPendingInput() {
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&m, nullptr, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, PM_REMOVE)) {
    }
}

int Win32WindowSystem::Run() {
    Impl &s = *impl_;
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

std::uintptr_t Win32WindowSystem::ControlHandle(const ui::Control &control) const {
    for (auto &f : impl_->forms)
        for (auto &p : f->peers)
            if (&p->control() == &control)
                return reinterpret_cast<std::uintptr_t>(p->hwnd());
    return 0;
}

ui::Control *Win32WindowSystem::ControlOf(std::uintptr_t hwnd) const {
    ControlPeer *p = impl_->PeerOf(reinterpret_cast<HWND>(hwnd));
    return p ? &p->control() : nullptr;
}

int Win32WindowSystem::OpenForms() const {
    return static_cast<int>(impl_->forms.size());
}

} // namespace tf::win32
