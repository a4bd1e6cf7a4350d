// The real main window under Wine: Win32 file system, clock and event pump,
// scripted message boxes and dialogs, the settings file in a temporary folder.
// Everything is read back from the windows themselves.
#include "app/shell/projekt.h"
#include "app/shell/settings.h"
#include "library/library_test_support.h"
#include "platform/audio_preparation.h"
#include "platform/fake/fake_services.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/ui/window_system_win32.h"
#include "support/layout_check.h"
#include "tf_version.h"
#include "wine_ui/real_projekt.h"
#include "wine_ui/win32_probe.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tf {
namespace {

using test::WindowText;
namespace fs = std::filesystem;

class ProjektWindowTest : public ::testing::Test, protected test::RealProjekt {
  protected:
    ProjektWindowTest() : RealProjekt("tf_ui_") {
        msg.default_answer = MsgAnswer::No;
        library.load_result = ConversionLibrary::LoadResult::NotFound;
    }
    std::uintptr_t H(const ui::Control &c) { return ws.ControlHandle(c); }
    std::uintptr_t Main() { return ws.Handle(projekt); }
    static std::string Contents(const fs::path &file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Settings() { return Contents(folder / "Trackforge.kps"); }
    // Opens the about window with the Info button, reads it, closes it with OK.
    std::vector<std::string> AboutTexts(const std::string &caption) {
        std::vector<std::string> texts;
        bool found = false;
        test::Later(200, [&] {
            std::uintptr_t about = test::FindTopLevel(caption);
            found = about != 0;
            if (!found) // in another language: closed, so the test ends and fails
                return test::PostClose(reinterpret_cast<std::uintptr_t>(GetActiveWindow()));
            texts = test::ChildTexts(about);
            test::PostClick(test::ChildWithText(about, "OK"));
        });
        test::Click(H(projekt.Info_Button));
        EXPECT_TRUE(found) << "no window captioned " << caption;
        return texts;
    }
};

// Every text in both languages is pinned natively, the frames, buttons and
// boxes of the real window by the end-to-end day, and the twelve-character
// limit of a real text box by the window-system test; here the caption, the
// title label, the symbol-font button and the way back to German.
TEST_F(ProjektWindowTest, WindowsShowGermanAndFollowTheFlagClicks) {
    ws.Show(projekt);
    EXPECT_EQ(WindowText(Main()), "Korvant NOVALUX" + std::string(46, ' ') + "V" TF_VERSION);
    EXPECT_EQ(WindowText(H(projekt.Label1)),
              "  Trackforge             für           Tarvolin  Audio ");

    test::Click(H(projekt.Englisch));
    EXPECT_EQ(WindowText(H(projekt.Label1)),
              "  Trackforge             for           Tarvolin  Audio ");
    EXPECT_EQ(WindowText(H(projekt.Frame1)), "Save Project-file to CF card");

    test::Click(H(projekt.Deutsch));
    EXPECT_EQ(WindowText(H(projekt.Frame2)), "Wave-Datei in Project-Datei umwandeln");
    EXPECT_EQ(WindowText(H(projekt.Projektname_txt)), "unknown");
    EXPECT_TRUE(msg.calls.empty());
}

// What the close button writes is pinned natively; the close box must come
// to the same end.
TEST_F(ProjektWindowTest, CloseBoxWritesTheSettingsLikeTheCloseButton) {
    ws.Show(projekt);
    test::Click(H(projekt.Englisch));
    test::Close(Main());
    ASSERT_EQ(ws.Handle(projekt), 0u) << "the close box left the window open";
    EXPECT_EQ(Settings(), "\r\n\r\n\r\n0\r\n");
    EXPECT_EQ(ws.Run(), 0);
}

// The about window's texts in both languages are pinned natively, and the
// German caption is what the Escape case below finds it by; here the real
// window takes the texts of the language chosen since the start and gives the
// main window back.
TEST_F(ProjektWindowTest, AboutWindowSpeaksTheLanguageInForceAndReactivatesTheMainWindow) {
    ws.Show(projekt);
    test::Click(H(projekt.Englisch));
    auto english = AboutTexts("Info about Trackforge");
    for (const char *t : {"for", "Tarvolin Audio", "V " TF_VERSION, "OK"})
        EXPECT_NE(std::find(english.begin(), english.end(), t), english.end()) << t;
    EXPECT_TRUE(test::IsEnabled(Main()));
    // No settings file yet: the reactivation keeps English.
    EXPECT_EQ(WindowText(H(projekt.Command3)), "Close");
}

// What Explorer hands a window that files are dropped on: a DROPFILES block
// with the wide, NUL-separated names, owned by the receiver.
HDROP DropOf(const std::vector<std::wstring> &files) {
    std::wstring names;
    for (const auto &f : files)
        names += f + L'\0';
    names += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GHND, bytes);
    auto *drop = static_cast<DROPFILES *>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char *>(drop) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

// Which file goes where is pinned natively; here the real window accepts a
// drop from Explorer and hands the names on.
TEST_F(ProjektWindowTest, FilesDroppedOnTheWindowAreTakenAsIfChosen) {
    ws.Show(projekt);
    const HWND main = reinterpret_cast<HWND>(Main());
    EXPECT_TRUE(GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    const fs::path wave = folder / "Show drop.wav";
    const fs::path project = folder / "Show.kpf";
    test::write_bytes(wave.string(), test::make_wave(test::pattern(4 * 1024)));
    test::write_bytes(project.string(), test::pattern(2048));
    PostMessageW(main, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(DropOf({wave.wstring(), project.wstring()})), 0);
    EXPECT_TRUE(
        test::PumpUntil([&] { return !WindowText(H(projekt.Ziel_Projekt_txt_2)).empty(); }));
    EXPECT_EQ(WindowText(H(projekt.Quell_Wave_txt)), wave.string());
    EXPECT_EQ(WindowText(H(projekt.Wave_Größe_txt)), "4 kByte");
    EXPECT_EQ(WindowText(H(projekt.Ziel_Projekt_txt_2)), project.string());
    EXPECT_EQ(WindowText(H(projekt.Projekt_Größe_txt)), "2 kByte");
    EXPECT_TRUE(msg.calls.empty());
}

// The layout table is checked natively; here what the real windows make of
// it at the display's DPI.
TEST_F(ProjektWindowTest, EveryControlFitsTheClientAreaAndTextsDoNotOverlap) {
    ws.Show(projekt);
    const unsigned dpi = test::WindowDpi(Main());
    auto client = test::ClientRect(Main());
    EXPECT_EQ(client.right, static_cast<int>(7635 * dpi / 1440));
    EXPECT_EQ(client.bottom, static_cast<int>(10065 * dpi / 1440));
    std::vector<testing::Placed> placed;
    for (const ui::Control *c : projekt.controls())
        if (const std::uintptr_t h = H(*c)) { // lines and the timer have no window
            const auto r = test::RectInParent(h);
            placed.push_back(
                {c->name(), r.left, r.top, r.right, r.bottom,
                 dynamic_cast<const ui::Frame *>(c) || dynamic_cast<const ui::PictureBox *>(c)});
        }
    testing::ExpectInsideWithoutOverlap(placed, client.right, client.bottom);
}

// Two copies of the program under the real user's data folder: "installed"
// cannot create its settings file (a folder holds that name), "portable" can.
// Each comes back in the language it left; the file older versions shared in
// the user's folder is neither read nor removed.
TEST_F(ProjektWindowTest, EachCopyKeepsItsOwnSettingsInTheUsersFolder) {
    auto real = win32::MakeAppPaths();
    fake::FakeAppPaths installed, portable;
    installed.program_folder = (folder / "installed").string();
    portable.program_folder = (folder / "portable").string();
    installed.user_data_folder = portable.user_data_folder = real->UserDataFolder();
    fs::create_directories(folder / "installed" / "Trackforge.kps");
    fs::create_directories(folder / "portable");
    const fs::path shared = fs::path(real->UserDataFolder()) / "Trackforge" / "Trackforge.kps";
    fs::create_directories(shared.parent_path());
    std::ofstream(shared, std::ios::binary) << "\r\nc:\\shared.wav\r\n\r\n0\r\n";

    auto run = [&](AppPaths &where, bool english) {
        Projekt copy{ProjektServices{*files, msg, dialogs, *clock, *events, mci, cursor, library,
                                     where, locale, ws, shell, *audio}};
        ws.Show(copy);
        const std::string shown = WindowText(ws.ControlHandle(copy.Command3));
        test::Click(ws.ControlHandle(english ? copy.Englisch : copy.Deutsch));
        test::Click(ws.ControlHandle(copy.Command3));
        return shown;
    };
    EXPECT_EQ(run(installed, true), "Schließen");
    EXPECT_EQ(run(portable, false), "Schließen");
    EXPECT_EQ(run(installed, false), "Close");
    EXPECT_EQ(run(portable, true), "Schließen");
    EXPECT_EQ(run(portable, true), "Close");

    const fs::path own = fs::u8path(UserSettingsFile(installed));
    EXPECT_EQ(Contents(own), "\r\n\r\n\r\n-1\r\n") << own;
    EXPECT_EQ(Contents(shared), "\r\nc:\\shared.wav\r\n\r\n0\r\n") << shared;
    EXPECT_FALSE(fs::exists(fs::u8path(UserSettingsFile(portable))));
    std::error_code ec;
    fs::remove(shared, ec);
    fs::remove_all(own.parent_path(), ec);
}

// A key as the keyboard gives it to the focused control, through the window
// system's own loop (where the dialog keys are handled).
void Key(win32::Win32WindowSystem &ws, std::uintptr_t focus, WPARAM key) {
    PostMessageW(reinterpret_cast<HWND>(focus), WM_KEYDOWN, key, 1);
    PostMessageW(reinterpret_cast<HWND>(focus), WM_KEYUP, key, 0xC0000001);
    ws.PumpPending();
}

std::uintptr_t Focus() {
    return reinterpret_cast<std::uintptr_t>(GetFocus());
}

// Enter on a focused picture button and on a flag acts as Space would; the
// real message box after it gives the focus back to the button that had it.
TEST_F(ProjektWindowTest, EnterPressesTheFocusedButtonAndTheFocusComesBackAfterAMessage) {
    auto boxes = win32::MakeMessageBoxes();
    Projekt copy{ProjektServices{*files, *boxes, dialogs, *clock, *events, mci, cursor, library,
                                 paths, locale, ws, shell, *audio}};
    ws.Show(copy);
    ASSERT_NE(Focus(), 0u) << "the window opened without a focused control";

    SetFocus(reinterpret_cast<HWND>(ws.ControlHandle(copy.Quell_Wave_Button)));
    Key(ws, ws.ControlHandle(copy.Quell_Wave_Button), VK_RETURN); // the dialog is cancelled
    EXPECT_EQ(dialogs.requests.size(), 1u) << "Enter did not press the picture button";

    SetFocus(reinterpret_cast<HWND>(ws.ControlHandle(copy.Englisch)));
    Key(ws, ws.ControlHandle(copy.Englisch), VK_RETURN);
    EXPECT_TRUE(copy.Englisch.value()) << "Enter did not select the flag";

    // No drive chosen: the clear button answers with a message box.
    const std::uintptr_t clear = ws.ControlHandle(copy.Karte_löschen);
    SetFocus(reinterpret_cast<HWND>(clear));
    bool answered = false;
    test::Later(300, [&] {
        const std::uintptr_t box = test::FindTopLevel("NOVALUX");
        if (!box)
            return;
        answered = true;
        test::PostClick(test::ChildWithText(box, "OK"));
    });
    Key(ws, clear, VK_RETURN);
    EXPECT_TRUE(answered) << "no message box came up";
    ws.PumpPending();
    EXPECT_EQ(Focus(), clear) << "the focus did not come back to the clear button";
    ws.Unload(copy);
}

// The about window opens with the focus on OK, and Escape closes it.
TEST_F(ProjektWindowTest, AboutWindowOpensOnOkAndEscapeClosesIt) {
    ws.Show(projekt);
    std::uintptr_t ok = 0, focus = 0;
    // Outlives the test: the fallback below may fire after it has ended.
    auto left_open = std::make_shared<bool>(false);
    test::Later(300, [&] {
        const std::uintptr_t about = test::FindTopLevel("Info über Trackforge");
        if (!about)
            return;
        ok = test::ChildWithText(about, "OK");
        focus = Focus();
        PostMessageW(reinterpret_cast<HWND>(focus), WM_KEYDOWN, VK_ESCAPE, 1);
        // Should Escape not close it, the close box does, so the test ends either way.
        test::Later(5000, [left_open, about] {
            *left_open = IsWindow(reinterpret_cast<HWND>(about));
            if (*left_open)
                test::PostClose(about);
        });
    });
    SetFocus(reinterpret_cast<HWND>(H(projekt.Info_Button)));
    test::Click(H(projekt.Info_Button));
    EXPECT_NE(ok, 0u) << "the about window did not open";
    EXPECT_EQ(focus, ok) << "the about window opened without the focus on OK";
    EXPECT_FALSE(*left_open) << "Escape did not close the about window";
    EXPECT_EQ(Focus(), H(projekt.Info_Button)) << "the focus did not come back to Info";
}

// While the drive list is open the arrow keys only move its highlight; the
// drive is taken, and checked, when the list closes on it with Enter, and
// Escape gives the old choice back.
TEST_F(ProjektWindowTest, OpenDriveListTakesTheDriveOnlyWhenItClosesOnIt) {
    ws.Show(projekt);
    const std::uintptr_t list = H(projekt.Drive1);
    const HWND combo = reinterpret_cast<HWND>(list);
    ASSERT_GE(projekt.Drive1.items().size(), 2u) << "the prefix has too few drives";
    SetFocus(combo);

    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    Key(ws, list, VK_DOWN);
    Key(ws, list, VK_DOWN);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1) << "the highlight did not move";
    EXPECT_TRUE(msg.calls.empty()) << "a drive passed was checked: " << msg.calls.front().text;
    EXPECT_EQ(projekt.Drive1.list_index(), -1);
    EXPECT_EQ(projekt.CF_Laufwerk, "");

    Key(ws, list, VK_RETURN);
    EXPECT_TRUE(test::PumpUntil([&] {
        ws.PumpPending();
        return projekt.Drive1.list_index() == 1;
    })) << "closing the list on a drive did not take it";
    const std::string taken = projekt.Drive1.items()[1].substr(0, 2);
    EXPECT_TRUE(projekt.CF_Laufwerk == taken || projekt.CF_Laufwerk == kNoCardDrive)
        << "'" << projekt.CF_Laufwerk << "'";
    const std::size_t messages = msg.calls.size();

    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    Key(ws, list, VK_UP);
    Key(ws, list, VK_ESCAPE);
    for (int i = 0; i < 5; ++i)
        ws.PumpPending();
    EXPECT_EQ(projekt.Drive1.list_index(), 1) << "Escape took the drive highlighted";
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1) << "the old drive was not shown again";
    EXPECT_EQ(msg.calls.size(), messages);
}

// A dark scheme, as high contrast sets it: labels, frames, read-only boxes
// and the drawn buttons take the scheme's colours, also when it changes while
// the window is open.
TEST_F(ProjektWindowTest, LabelsAndBoxesTakeTheSchemesColours) {
    ws.Show(projekt);
    const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT};
    COLORREF saved[4];
    for (int i = 0; i < 4; ++i)
        saved[i] = GetSysColor(elements[i]);
    const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 32), RGB(255, 255, 0)};
    ASSERT_TRUE(SetSysColors(4, elements, dark));
    ws.PumpPending();

    HDC dc = CreateCompatibleDC(nullptr);
    auto ask = [&](const ui::Control &c) {
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkColor(dc, RGB(1, 2, 3));
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(reinterpret_cast<HWND>(Main()), WM_CTLCOLORSTATIC,
                         reinterpret_cast<WPARAM>(dc), static_cast<LPARAM>(H(c))));
        LOGBRUSH lb{};
        GetObjectW(brush, sizeof lb, &lb);
        return std::array<COLORREF, 3>{GetTextColor(dc), GetBkColor(dc), lb.lbColor};
    };
    const auto label = ask(projekt.Label5);
    const auto frame = ask(projekt.Frame1);
    const auto box = ask(projekt.Status_txt);
    DeleteDC(dc);
    SetSysColors(4, elements, saved);
    ws.PumpPending();

    EXPECT_EQ(label, (std::array<COLORREF, 3>{dark[1], dark[0], dark[0]}));
    EXPECT_EQ(frame, (std::array<COLORREF, 3>{dark[1], dark[0], dark[0]}));
    EXPECT_EQ(box, (std::array<COLORREF, 3>{dark[3], dark[2], dark[2]}));
}

// What a screen reader reads: the flags by their languages, the preview
// buttons by what they do (not by their symbol font's letters), in the
// window's language.
TEST_F(ProjektWindowTest, GlyphAndPictureButtonsCarryTheirNames) {
    ws.Show(projekt);
    EXPECT_EQ(WindowText(H(projekt.Deutsch)), "Deutsch");
    EXPECT_EQ(WindowText(H(projekt.Englisch)), "English");
    EXPECT_EQ(WindowText(H(projekt.Play_Button)), "Abspielen");
    EXPECT_EQ(WindowText(H(projekt.Stop_Button)), "Stopp");
    test::Click(H(projekt.Englisch));
    EXPECT_EQ(WindowText(H(projekt.Play_Button)), "Play");
    EXPECT_EQ(WindowText(H(projekt.Pause_Button)), "Pause");
    EXPECT_EQ(projekt.Play_Button.caption(), "4") << "the glyph stays what is drawn";
}

// The real message box: Enter on the clear question answers No.
TEST(MessageBoxes, EnterTakesTheDefaultButton) {
    auto boxes = win32::MakeMessageBoxes();
    for (MsgDefault d : {MsgDefault::First, MsgDefault::Second}) {
        bool seen = false;
        test::Later(300, [&] {
            seen = test::FindTopLevel("NOVALUX") != 0;
            PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
        });
        const MsgAnswer a =
            boxes->Show("Löschen?", MsgButtons::YesNo, MsgIcon::Exclamation, "NOVALUX", d);
        EXPECT_TRUE(seen);
        EXPECT_EQ(a, d == MsgDefault::Second ? MsgAnswer::No : MsgAnswer::Yes);
    }
}

// The real multimedia devices: Wine's wave device opens a file without sound
// hardware, but not by a name outside the ANSI code page, not even through the
// wide call; the player must reach it by its short form.
TEST(Preview, OpensAWaveWhoseNameIsOutsideTheCodePage) {
    const fs::path folder = fs::temp_directory_path() / L"tf_preview \x00e4";
    fs::create_directories(folder);
    const fs::path wave = folder / L"\x0395\x03bb\x03bb\x03b7\x03bd\x03b9\x03ba\x03ac.wav";
    const test::Bytes second = test::make_wave(test::Bytes(44100 * 4, 0)); // stereo, 16 bit
    std::ofstream(wave, std::ios::binary)
        .write(reinterpret_cast<const char *>(second.data()), std::streamsize(second.size()));
    auto files = win32::MakeFileSystem();
    auto mci = win32::MakeMci();
    auto clock = win32::MakeClock();
    Mmedia player(*mci, *clock, files.get());
    player.mmOpen(reinterpret_cast<const char *>(wave.u8string().c_str()));
    const float length = player.Length();
    const std::string mode = player.Status();
    player.mmClose();
    std::error_code ec;
    fs::remove_all(folder, ec);
    EXPECT_EQ(length, 1000.0f); // milliseconds: the device read the file
    EXPECT_EQ(mode, "stopped");
}

} // namespace
} // namespace tf
