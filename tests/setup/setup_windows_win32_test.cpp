// The installer's windows as real Win32 windows: the welcome window hands
// over to the install window without ending the program, the notice window
// has no title, the sizes come out as designed, and OK in the last window ends.

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_services.h"
#include "platform/win32/ui/window_system_win32.h"
#include "setup/fenster.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace tf::setup::test {
namespace {

HWND H(std::uintptr_t h) {
    return reinterpret_cast<HWND>(h);
}

std::wstring TextOf(std::uintptr_t h) {
    wchar_t buf[512] = {};
    GetWindowTextW(H(h), buf, 512);
    return buf;
}

class RealWindows : public ::testing::Test {
  protected:
    RealWindows() {
        fs.AddDrive("c:", kDriveFixed);
        fs.MakeFolders("c:\\windows\\System32");
        fs.AddDrive("d:", kDriveCdRom);
        fs.SetCurrentDrive("d:");
        fs.WriteFile("d:\\Trackforge.exe", "program");
        shell.special_folders[0] = "c:\\Desktop";
    }
    void Click(const ui::Control &c) { SendMessageW(H(ws.ControlHandle(c)), BM_CLICK, 0, 0); }

    fake::FakeFileSystem fs;
    fake::FakeClock clock;
    fake::RecordingEventPump events{&clock, 0.25};
    fake::FakeProcessStarter processes;
    fake::FakeShellApi shell;
    bool ended = false;
    tf::win32::Win32WindowSystem ws{{[this](int) { ended = true; }, {}, {}, "TfForm", ""}};
    SetupProgramm program{{fs, clock, events, processes, shell, ws}};
};

TEST_F(RealWindows, WalkThroughAllFourWindows) {
    program.Starten();
    ASSERT_NE(ws.Handle(program.fenster1), 0u);
    EXPECT_EQ(TextOf(ws.Handle(program.fenster1)), L"Setup Trackforge");
    Click(program.fenster1.Englisch);
    EXPECT_EQ(program.fenster1.Sprache, 2);
    EXPECT_EQ(TextOf(ws.ControlHandle(program.fenster1.Willkommen_txt)),
              L"Welcome to Trackforge Setup");

    Click(program.fenster1.OK_Button);
    ws.PumpPending();
    EXPECT_FALSE(ended);
    EXPECT_EQ(ws.Handle(program.fenster1), 0u);
    ASSERT_NE(ws.Handle(program.fenster2), 0u);
    EXPECT_EQ(ws.OpenForms(), 1);
    EXPECT_EQ(TextOf(ws.ControlHandle(program.fenster2.Label4)), L"Press button to start Setup");

    // Client area as designed: 7800 x 3225 twips at the window's DPI.
    RECT rc{};
    GetClientRect(H(ws.Handle(program.fenster2)), &rc);
    const UINT dpi = GetDpiForWindow(H(ws.Handle(program.fenster2)));
    EXPECT_NEAR(rc.right, MulDiv(7800, dpi, 1440), 1);
    EXPECT_NEAR(rc.bottom, MulDiv(3225, dpi, 1440), 1);

    // While the notice is up: no title text.
    std::wstring notice_title = L"?";
    LONG notice_style = 0;
    events.on_do_events = [&] {
        if (std::uintptr_t h = ws.Handle(program.fenster3)) {
            notice_title = TextOf(h);
            notice_style = GetWindowLongW(H(h), GWL_STYLE);
        }
    };
    Click(program.fenster2.Install_Button);
    ws.PumpPending();
    EXPECT_EQ(notice_title, L"");
    EXPECT_NE(notice_style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(ws.Handle(program.fenster2), 0u);
    EXPECT_EQ(ws.Handle(program.fenster3), 0u);
    ASSERT_NE(ws.Handle(program.fenster4), 0u);
    EXPECT_EQ(TextOf(ws.ControlHandle(program.fenster4.Label1)), L"The Setup was successful.");
    EXPECT_EQ(fs.ReadFile("C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe"), "program");
    EXPECT_FALSE(ended);

    Click(program.fenster4.OK_Button);
    EXPECT_TRUE(ended);
}

TEST_F(RealWindows, ClosingTheWelcomeWindowEndsWithoutInstalling) {
    program.Starten();
    SendMessageW(H(ws.Handle(program.fenster1)), WM_CLOSE, 0, 0);
    EXPECT_TRUE(ended);
    EXPECT_EQ(fs.CallCount("CopyFile"), 0);
}

} // namespace
} // namespace tf::setup::test
