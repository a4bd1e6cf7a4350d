// The installer's windows as real Win32 windows: the welcome window hands
// over to the install window without ending the program, the notice window
// has no title, the sizes come out as designed, and OK in the last window ends.

#include "platform/win32/ui/window_system_win32.h"
#include "setup_test_support.h"
#include "wine_ui/win32_probe.h"

#include <windows.h>

#include <string>

namespace tf::setup::test {
namespace {

namespace probe = tf::test;

// The installer's machine of the native tests, its windows real ones.
class RealWindows : public SetupMachine {
  protected:
    RealWindows() {
        program = std::make_unique<SetupProgramm>(SetupServices{
            fs, clock, events, processes, shell, ws, boxes, registry, "d:\\medium\\Setup.exe"});
    }
    ~RealWindows() override { program.reset(); }
    void Click(const ui::Control &c) { probe::Click(ws.ControlHandle(c)); }

    bool ended = false;
    tf::win32::Win32WindowSystem ws{{[this](int) { ended = true; }, {}, {}, "TfForm", ""}};
};

// What the texts, the order and the pauses are is pinned natively; here only
// what the real windows add.
TEST_F(RealWindows, WalkThroughAllFourWindows) {
    PutMediumFiles();
    program->Starten();
    ASSERT_NE(ws.Handle(program->fenster1), 0u);
    Click(program->fenster1.OK_Button);
    ws.PumpPending();
    EXPECT_FALSE(ended);
    EXPECT_EQ(ws.Handle(program->fenster1), 0u);
    ASSERT_NE(ws.Handle(program->fenster2), 0u);
    EXPECT_EQ(ws.OpenForms(), 1);

    // Client area as designed: 7800 x 3225 twips at the window's DPI.
    const auto client = probe::ClientRect(ws.Handle(program->fenster2));
    const int dpi = static_cast<int>(probe::WindowDpi(ws.Handle(program->fenster2)));
    EXPECT_NEAR(client.right, MulDiv(7800, dpi, 1440), 1);
    EXPECT_NEAR(client.bottom, MulDiv(3225, dpi, 1440), 1);

    // While the notice is up: no title text.
    std::string notice_title = "?";
    LONG notice_style = 0;
    events.on_do_events = [&] {
        if (std::uintptr_t h = ws.Handle(program->fenster3)) {
            notice_title = probe::WindowText(h);
            notice_style = GetWindowLongW(reinterpret_cast<HWND>(h), GWL_STYLE);
        }
    };
    Click(program->fenster2.Install_Button);
    ws.PumpPending();
    EXPECT_EQ(notice_title, "");
    EXPECT_NE(notice_style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(ws.Handle(program->fenster2), 0u);
    EXPECT_EQ(ws.Handle(program->fenster3), 0u);
    ASSERT_NE(ws.Handle(program->fenster4), 0u);
    EXPECT_TRUE(fs.FileExists(kLogFile));
    EXPECT_FALSE(ended);

    Click(program->fenster4.OK_Button);
    EXPECT_TRUE(ended);
}

void Key(WPARAM key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0);
}

// Every window opens on its default button, Enter presses it (the install
// button too, a picture), Escape asks first, and Tab reaches nothing out of sight.
TEST_F(RealWindows, KeyboardAloneWalksThroughTheInstaller) {
    PutMediumFiles();
    program->Starten();
    const auto focus = [] { return reinterpret_cast<std::uintptr_t>(GetFocus()); };
    EXPECT_EQ(focus(), ws.ControlHandle(program->fenster1.OK_Button));
    Key(VK_RETURN);
    ws.PumpPending();
    Fenster2 &f2 = program->fenster2;
    const HWND window2 = reinterpret_cast<HWND>(ws.Handle(f2));
    ASSERT_NE(window2, nullptr);
    EXPECT_EQ(focus(), ws.ControlHandle(f2.Install_Button));
    EXPECT_EQ(probe::WindowText(ws.ControlHandle(f2.Install_Button)), "Installieren");

    RECT client;
    GetClientRect(window2, &client);
    int stops = 0;
    for (HWND c = GetWindow(window2, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!(GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP))
            continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, window2, reinterpret_cast<POINT *>(&r), 2);
        EXPECT_LT(r.top, client.bottom) << probe::WindowText(reinterpret_cast<std::uintptr_t>(c));
        ++stops;
    }
    EXPECT_EQ(stops, 3); // the install button, change directory, exit
    MSG tab{};
    tab.message = WM_KEYDOWN;
    tab.wParam = VK_TAB;
    const LRESULT code = SendMessageW(reinterpret_cast<HWND>(ws.ControlHandle(f2.LOG_txt)),
                                      WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab));
    EXPECT_EQ(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS), 0);

    boxes.answers = {MsgAnswer::No};
    Key(VK_ESCAPE);
    ws.PumpPending();
    EXPECT_EQ(boxes.calls.size(), 1u);
    EXPECT_FALSE(ended);
    Key(VK_RETURN);
    ws.PumpPending();
    EXPECT_TRUE(fs.FileExists(kLogFile));
    ASSERT_NE(ws.Handle(program->fenster4), 0u);
    EXPECT_EQ(focus(), ws.ControlHandle(program->fenster4.OK_Button));
    Key(VK_RETURN);
    ws.PumpPending();
    EXPECT_TRUE(ended);
}

} // namespace
} // namespace tf::setup::test
