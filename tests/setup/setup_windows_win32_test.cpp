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
        program =
            std::make_unique<SetupProgramm>(SetupServices{fs, clock, events, processes, shell, ws});
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

} // namespace
} // namespace tf::setup::test
