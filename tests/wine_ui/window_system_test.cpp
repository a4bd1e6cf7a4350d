// The window system with a small form of its own: life-cycle order, the close
// box, modal windows, controls mirrored both ways, timers and errors.
#include "platform/ui/file_dialog.h"
#include "platform/win32/ui/window_system_win32.h"
#include "wine_ui/win32_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tf {
namespace {

using test::WindowText;

const ui::Picture kFlag{44, 29, ui::Picture::Fit::Aspect, [](ui::Canvas &c) {
                            c.Grid(1, 1);
                            c.Box(0, 0, 1, 1, 0xDD0000);
                        }};

win32::WindowSystemOptions Options(std::function<void(int)> exit_process) {
    win32::WindowSystemOptions o;
    o.exit_process = std::move(exit_process);
    return o;
}

class TestForm : public ui::Form {
  public:
    explicit TestForm(ui::WindowSystem &ws) : ui::Form("TestForm"), ws_(ws) {
        set_caption("Prüfung");
        client_width = 4320; // 3 inches
        client_height = 2880;
        for (ui::Control *c : std::initializer_list<ui::Control *>{
                 &Title, &Name, &Status, &OK, &Fail, &Deutsch, &Englisch, &Tick})
            Add(*c);
        Title.set_rect({120, 120, 2000, 255});
        Title.set_caption("Größe:");
        Name.set_rect({120, 480, 2000, 315});
        Name.max_length = 12;
        Status.set_rect({120, 900, 2000, 315});
        Status.locked = true;
        OK.set_rect({2400, 120, 1200, 375});
        OK.set_caption("OK");
        OK.on_click = [this] {
            log.push_back("ok");
            if (ok_action)
                ok_action();
        };
        Fail.set_rect({2400, 600, 1200, 375});
        Fail.set_caption("Fehler");
        Fail.on_click = [this] { fail_action(); };
        Deutsch.picture = Englisch.picture = &kFlag;
        Deutsch.set_rect({120, 1500, 660, 435});
        Englisch.set_rect({900, 1500, 660, 435});
        for (ui::OptionButton *o : {&Deutsch, &Englisch}) {
            group_.push_back(o);
            o->JoinGroup(&group_);
        }
        Deutsch.on_click = [this] { log.push_back("deutsch"); };
        Englisch.on_click = [this] { log.push_back("englisch"); };
        Tick.interval_ms = 0;
        Tick.on_tick = [this] { ++ticks; };
    }
    void Form_Load() override {
        log.push_back("load");
        visible_at_load = test::IsVisible(ws_.Handle(*this));
        if (load_action)
            load_action();
    }
    void Form_Activate() override {
        log.push_back("activate");
        if (activate_action)
            activate_action();
    }
    void Form_Unload() override { log.push_back("unload"); }

    ui::Label Title{"Title"};
    ui::TextBox Name{"Name"};
    ui::TextBox Status{"Status"};
    ui::Button OK{"OK"};
    ui::Button Fail{"Fail"};
    ui::OptionButton Deutsch{"Deutsch"}, Englisch{"Englisch"};
    ui::Timer Tick{"Tick"};

    std::vector<std::string> log;
    bool visible_at_load = true;
    int ticks = 0;
    std::function<void()> load_action, activate_action, ok_action;
    std::function<void()> fail_action = [] {};

  private:
    ui::WindowSystem &ws_;
    std::vector<ui::OptionButton *> group_;
};

class WindowSystemTest : public ::testing::Test {
  protected:
    WindowSystemTest() : ws(Options([this](int code) { exit_codes.push_back(code); })) {}
    ~WindowSystemTest() override {
        ws.Unload(form);
        ws.Unload(child);
    }
    std::uintptr_t H(const ui::Control &c) { return ws.ControlHandle(c); }

    std::vector<int> exit_codes;
    win32::Win32WindowSystem ws;
    TestForm form{ws};
    TestForm child{ws};
};

TEST_F(WindowSystemTest, LoadRunsBeforeTheWindowShows) {
    ws.Show(form);
    EXPECT_FALSE(form.visible_at_load);
    EXPECT_TRUE(test::IsVisible(ws.Handle(form)));
    EXPECT_EQ(WindowText(ws.Handle(form)), "Prüfung");
}

TEST_F(WindowSystemTest, ClientAreaAndControlsAreScaledFromTwips) {
    ws.Show(form);
    const unsigned dpi = test::WindowDpi(ws.Handle(form));
    auto client = test::ClientRect(ws.Handle(form));
    EXPECT_EQ(client.right, static_cast<int>(4320 * dpi / 1440));
    EXPECT_EQ(client.bottom, static_cast<int>(2880 * dpi / 1440));
    auto ok = test::RectInParent(H(form.OK));
    EXPECT_EQ(ok.left, static_cast<int>(2400 * dpi / 1440));
    EXPECT_EQ(ok.right - ok.left, static_cast<int>(1200 * dpi / 1440));
    // Moving the control moves its window.
    form.OK.set_rect({1440, 1440, 1440, 720});
    ok = test::RectInParent(H(form.OK));
    EXPECT_EQ(ok.left, static_cast<int>(dpi));
    EXPECT_EQ(ok.bottom - ok.top, static_cast<int>(dpi / 2));
}

TEST_F(WindowSystemTest, ProgramChangesReachTheWindows) {
    ws.Show(form);
    form.Title.set_caption("Freier Speicherplatz:");
    form.Status.set_text("Fertig");
    form.OK.set_caption("Schließen");
    EXPECT_EQ(WindowText(H(form.Title)), "Freier Speicherplatz:");
    EXPECT_EQ(WindowText(H(form.Status)), "Fertig");
    EXPECT_EQ(WindowText(H(form.OK)), "Schließen");
    form.Status.set_visible(false);
    form.OK.set_enabled(false);
    EXPECT_FALSE(test::IsVisible(H(form.Status)));
    EXPECT_FALSE(test::IsEnabled(H(form.OK)));
    form.Status.set_visible(true);
    EXPECT_TRUE(test::IsVisible(H(form.Status)));
    // The program's own writes are not taken for typing.
    form.Name.set_text("Unbenannt");
    EXPECT_EQ(form.Name.text(), "Unbenannt");
    EXPECT_EQ(WindowText(H(form.Name)), "Unbenannt");
}

TEST_F(WindowSystemTest, TypingReachesOnlyUnlockedBoxesAndStopsAtTheLimit) {
    ws.Show(form);
    form.Name.set_text("");
    test::Type(H(form.Name), "Mein Projekt Nummer 1");
    EXPECT_EQ(form.Name.text(), "Mein Projekt");
    form.Status.set_text("Fertig");
    test::Type(H(form.Status), "xyz");
    EXPECT_EQ(form.Status.text(), "Fertig");
    EXPECT_EQ(WindowText(H(form.Status)), "Fertig");
}

// That selecting one option clears the others is the group's, pinned
// natively; here a click must select the option, not only run its handler.
TEST_F(WindowSystemTest, ClicksRunHandlersAndSelectTheOptionClicked) {
    ws.Show(form);
    test::Click(H(form.OK));
    test::Click(H(form.Englisch));
    EXPECT_TRUE(form.Englisch.value());
    test::Click(H(form.Deutsch));
    EXPECT_TRUE(form.Deutsch.value());
    EXPECT_EQ(form.log,
              (std::vector<std::string>{"load", "activate", "ok", "englisch", "deutsch"}));
}

TEST_F(WindowSystemTest, CloseBoxUnloadsOnceAndEndsTheLoop) {
    ws.Show(form);
    test::Close(ws.Handle(form));
    EXPECT_EQ(form.log, (std::vector<std::string>{"load", "activate", "unload"}));
    ASSERT_EQ(ws.Handle(form), 0u);
    ASSERT_EQ(ws.OpenForms(), 0);
    EXPECT_EQ(ws.Run(), 0); // nothing open: returns at once
    // A control changed after the unload no longer has a window to touch.
    form.Title.set_caption("nachher");
    EXPECT_EQ(ws.ControlHandle(form.Title), 0u);
}

TEST_F(WindowSystemTest, UnloadFromAButtonEndsRun) {
    form.ok_action = [this] { ws.Unload(form); };
    ws.Show(form);
    test::PostClick(H(form.OK));
    EXPECT_EQ(ws.Run(), 0);
    EXPECT_EQ(form.log.back(), "unload");
    EXPECT_EQ(ws.OpenForms(), 0);
}

TEST_F(WindowSystemTest, ReplacingOneWindowByAnotherKeepsTheProgramRunning) {
    // A handler closes its window and opens the next one: the loop goes on.
    form.ok_action = [this] {
        ws.Unload(form);
        ws.Show(child);
    };
    child.activate_action = [this] { test::PostClick(H(child.OK)); };
    child.ok_action = [this] { ws.Unload(child); };
    ws.Show(form);
    test::PostClick(H(form.OK));
    EXPECT_EQ(ws.Run(), 0);
    EXPECT_EQ(child.log, (std::vector<std::string>{"load", "activate", "ok", "unload"}));
}

// The reactivation itself is the window-system contract's; here the owner is
// disabled meanwhile and the close box ends the modal loop too.
TEST_F(WindowSystemTest, ModalChildBlocksTheOwnerUntilItsCloseBoxEndsIt) {
    ws.Show(form);
    bool owner_enabled_inside = true;
    child.activate_action = [&] {
        owner_enabled_inside = test::IsEnabled(ws.Handle(form));
        test::PostClose(ws.Handle(child));
    };
    ws.ShowModal(child, form);
    EXPECT_FALSE(owner_enabled_inside);
    EXPECT_TRUE(test::IsEnabled(ws.Handle(form)));
    EXPECT_EQ(child.log.back(), "unload");
    EXPECT_EQ(form.log, (std::vector<std::string>{"load", "activate", "activate"}));
}

// A click queued while the program was busy (mouse captured, nothing pumped)
// acts afterwards unless the end of the busy period drops it.
TEST_F(WindowSystemTest, InputQueuedWhileBusyIsDroppedAtItsEnd) {
    ws.Show(form);
    HWND ok = reinterpret_cast<HWND>(H(form.OK));
    auto queue_click = [&] {
        SetCapture(reinterpret_cast<HWND>(ws.Handle(form)));
        PostMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    queue_click();
    ws.DropPendingInput();
    ReleaseCapture();
    ws.PumpPending();
    EXPECT_EQ(form.log.back(), "activate");
    queue_click(); // the same without dropping: the click acts
    ReleaseCapture();
    ws.PumpPending();
    EXPECT_EQ(form.log.back(), "ok");
}

TEST_F(WindowSystemTest, TimerTicksWhileMessagesRun) {
    form.Tick.interval_ms = 30;
    ws.Show(form);
    EXPECT_TRUE(test::PumpUntil([&] { return form.ticks >= 3; }, 3000));
}

} // namespace
} // namespace tf
