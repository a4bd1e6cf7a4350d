// The window layer and the drive list under rules real Windows keeps and Wine
// does not: boxes shown while another program is in front, network and
// optical drives that take seconds to answer, Windows 7 SP1 without updates
// (its DPI and loader fallbacks); and windows placed on a monitor too small
// for them.
#include "platform/win32/services_win32.h"
#include "platform/win32/ui/window_system_win32.h"
#include "support/main_window_fixture.h"
#include "support/strict/dialog_owner.h"
#include "support/strict/import_patch.h"
#include "support/strict/slow_volumes.h"
#include "support/strict/windows7_system.h"
#include "support/wine_drive.h"
#include "wine_ui/win32_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace tf {
namespace {

namespace strict = testing::strict;

// The whole program runs as on Windows 7 SP1 without updates: the window
// layer's DPI lookups and the library's loading take their fallbacks.
class Windows7 : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_TRUE(strict::EnforceWindows7System()); }
};
[[maybe_unused]] ::testing::Environment *const kWindows7 =
    ::testing::AddGlobalTestEnvironment(new Windows7);

class PlainForm : public ui::Form {
  public:
    PlainForm(const char *name, int width, int height) : ui::Form(name) {
        set_caption(name);
        client_width = width;
        client_height = height;
        Add(Fail);
        Fail.set_rect({120, 120, 1200, 375});
        Fail.set_caption("Fehler");
        Fail.on_click = [] { throw std::runtime_error("handler failed"); };
    }
    ui::Button Fail{"Fail"};
};

win32::WindowSystemOptions Options() {
    win32::WindowSystemOptions o;
    o.exit_process = [](int) {};
    o.handler_error_text = [] { return std::string("Ein Fehler ist aufgetreten."); };
    return o;
}

HWND Hwnd(std::uintptr_t h) {
    return reinterpret_cast<HWND>(h);
}

RECT WindowRect(std::uintptr_t h) {
    RECT r{};
    GetWindowRect(Hwnd(h), &r);
    return r;
}

// --- Boxes and dialogs while another program is in front ---------------------------------------

class DialogOwnerRule : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(strict::EnforceDialogOwners()); }
    DialogOwnerRule() { strict::DialogOwnersSeen().clear(); }
    ~DialogOwnerRule() override {
        ws.Unload(info);
        ws.Unload(main);
    }

    // A question, an open and a save dialog, and an error escaping a click handler.
    void AskEverything(PlainForm &form) {
        boxes->Show("Karte löschen?", MsgButtons::YesNo, MsgIcon::None, "Trackforge");
        ui::FileDialogRequest request;
        request.filter = "Wave|*.wav";
        dialogs->Show(request);
        request.save = true;
        dialogs->Show(request);
        const HWND button = Hwnd(ws.ControlHandle(form.Fail));
        SendMessageW(Hwnd(ws.Handle(form)), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }

    win32::Win32WindowSystem ws{Options()};
    std::unique_ptr<MessageBoxes> boxes = win32::MakeMessageBoxes();
    std::unique_ptr<ui::FileDialogService> dialogs = win32::MakeFileDialogs();
    PlainForm main{"Projekt", 4320, 2880};
    PlainForm info{"Info", 2880, 1440};
};

TEST_F(DialogOwnerRule, TheFrontmostFormOwnsBoxesAndDialogsWhileAnotherProgramIsInFront) {
    ws.Show(main);
    {
        strict::ForeignForeground other;
        ASSERT_NE(other.window(), 0u);
        ASSERT_EQ(GetActiveWindow(), nullptr) << "the other program did not come to the front";
        AskEverything(main);
    }
    const std::uintptr_t m = ws.Handle(main);
    EXPECT_EQ(strict::DialogOwnersSeen(), (std::vector<std::uintptr_t>{m, m, m, m}));

    // A modal form takes input, not the main window it disables.
    strict::DialogOwnersSeen().clear();
    std::uintptr_t modal = 0;
    test::Later(100, [&] {
        strict::ForeignForeground other;
        modal = ws.Handle(info);
        AskEverything(info);
        ws.Unload(info);
    });
    ws.ShowModal(info, main);
    ASSERT_NE(modal, 0u);
    EXPECT_EQ(strict::DialogOwnersSeen(),
              (std::vector<std::uintptr_t>{modal, modal, modal, modal}));
}

// --- Where windows open ----------------------------------------------------------------------

// A monitor whose work area is `work` (the space beside the taskbar) while
// it is set; the real one otherwise.
RECT work_area{};
decltype(&GetMonitorInfoW) real_monitor_info = nullptr;

BOOL WINAPI SmallMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
    if (!real_monitor_info(monitor, info))
        return FALSE;
    if (!IsRectEmpty(&work_area))
        info->rcWork = work_area;
    return TRUE;
}

class WindowPlacement : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(
            strict::Patch("USER32.dll", "GetMonitorInfoW", &SmallMonitorInfoW, real_monitor_info));
    }
    ~WindowPlacement() override {
        ws.Unload(info);
        ws.Unload(main);
        work_area = {};
    }
    win32::Win32WindowSystem ws{Options()};
    PlainForm main{"Projekt", 4320, 2880}; // 3 x 2 inches
    PlainForm info{"Info", 2880, 1440};
};

TEST_F(WindowPlacement, AWindowTooBigForTheWorkAreaIsScaledDownInsideIt) {
    const unsigned dpi = [] {
        HDC screen = GetDC(nullptr);
        const int d = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return static_cast<unsigned>(d);
    }();
    // Two thirds of the designed height, the full width, away from the corner.
    const int designed_w = MulDiv(4320, dpi, 1440), designed_h = MulDiv(2880, dpi, 1440);
    work_area = {300, 120, 300 + designed_w + 200, 120 + designed_h * 2 / 3};
    main.centered = true;
    ws.Show(main);
    const RECT r = WindowRect(ws.Handle(main));
    EXPECT_GE(r.left, work_area.left);
    EXPECT_GE(r.top, work_area.top);
    EXPECT_LE(r.right, work_area.right);
    EXPECT_LE(r.bottom, work_area.bottom);
    // Scaled as a whole: the client keeps its proportions, the button stays inside it.
    const test::PixelRect client = test::ClientRect(ws.Handle(main));
    EXPECT_LT(client.bottom, designed_h);
    EXPECT_NEAR(client.right * 2, client.bottom * 3, 4);
    const test::PixelRect button = test::RectInParent(ws.ControlHandle(main.Fail));
    EXPECT_LT(button.bottom - button.top, MulDiv(375, dpi, 1440));
    EXPECT_LE(button.right, client.right);
}

TEST_F(WindowPlacement, AnOwnedWindowOpensCentredOverItsOwner) {
    ws.Show(main);
    SetWindowPos(Hwnd(ws.Handle(main)), nullptr, 40, 30, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT over{};
    test::Later(100, [&] {
        over = WindowRect(ws.Handle(info));
        ws.Unload(info);
    });
    ws.ShowModal(info, main);
    const RECT owner = WindowRect(ws.Handle(main));
    ASSERT_FALSE(IsRectEmpty(&over)) << "the modal window never opened";
    EXPECT_NEAR((over.left + over.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((over.top + over.bottom) / 2, (owner.top + owner.bottom) / 2, 1);

    // Where centring would put it above the work area, it is moved down into it.
    SetWindowPos(Hwnd(ws.Handle(main)), nullptr, 40, -100, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    work_area = {0, 0, 1000, 700};
    test::Later(100, [&] {
        over = WindowRect(ws.Handle(info));
        ws.Unload(info);
    });
    ws.ShowModal(info, main);
    EXPECT_EQ(over.top, 0);
}

// --- Network and optical drives that take seconds -----------------------------------------

class SlowVolumeRule : public ::testing::Test {
  protected:
    static constexpr unsigned kDelayMs = 3000;
    static void SetUpTestSuite() {
        // Host folders in the build tree (the build folder is a host path;
        // Wine shows the host's root as Z:).
        const std::string host = TF_BINARY_DIR "/tests/wine_ui/slow_drives";
        for (const char *name : {"net", "cd"})
            std::filesystem::create_directories("Z:" + host + "/" + name);
        ready = testing::DefineWineDrive(L'n', host + "/net", DRIVE_REMOTE) &&
                testing::DefineWineDrive(L'o', host + "/cd", DRIVE_CDROM);
        ASSERT_TRUE(strict::EnforceSlowVolumes(kDelayMs));
    }
    static void TearDownTestSuite() {
        for (wchar_t letter : {L'n', L'o'})
            testing::DefineWineDrive(letter, "", DRIVE_NO_ROOT_DIR);
    }
    static inline bool ready = false;

    std::unique_ptr<FileSystem> files = win32::MakeFileSystem();
    fake::FakeFileSystem unused_fs;
    testing::WindowDoubles doubles{unused_fs};
};

TEST_F(SlowVolumeRule, TheTimerTickNeverWaitsOnNetworkOrOpticalDrives) {
    if (!ready)
        GTEST_SKIP() << "Wine's mount manager did not take the test drives";
    Projekt projekt{doubles.Over(*files)};
    const int waits_before = strict::SlowVolumeWaits();
    const ULONGLONG start = GetTickCount64();
    projekt.Timer1_Timer();
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_EQ(strict::SlowVolumeWaits(), waits_before) << "the tick asked a slow drive";
    EXPECT_LT(took, kDelayMs / 2) << "the tick took " << took << " ms";
    // Both drives are still listed, only without a label.
    const auto &items = projekt.Drive1.items();
    for (const char *drive : {"n:", "o:"})
        EXPECT_NE(std::find(items.begin(), items.end(), drive), items.end()) << drive;
}

// --- Windows 7 without the loader update -----------------------------------------------------

TEST(Windows7System, TheConversionLibraryLoadsFromTheProgramsFolderWithoutTheSearchFlags) {
    // The build puts a copy of the library beside this program.
    EXPECT_EQ(win32::MakeConversionLibrary()->Load(), ConversionLibrary::LoadResult::Ok);
}

} // namespace
} // namespace tf
