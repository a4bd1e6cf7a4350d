// One running copy per program folder: a second start finds the first one's
// window, hands it the command line and brings it up; another folder's copy
// stays apart. Both copies live in this process here, which the claim and the
// search treat as they would two processes.
#include "platform/win32/single_instance.h"
#include "platform/win32/ui/window_system_win32.h"
#include "support/strict/elevated_copy.h"
#include "wine_ui/win32_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tf {
namespace {

class Copy : public ui::Form {
  public:
    Copy() : ui::Form("Copy") {
        client_width = 2880;
        client_height = 1440;
    }
    void Form_CommandLine(const std::vector<std::string> &arguments) override {
        handed.push_back(arguments);
    }
    std::vector<std::vector<std::string>> handed;
};

// The running copy of the program folder, its window shown and announced;
// the strict rule for a copy run as administrator installed, off until a case
// turns it on.
class SingleInstance : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::strict::EnforceElevatedCopy());
        ASSERT_TRUE(first.first());
        ws.Show(running);
        first.Announce(ws.Handle(running));
    }
    void TearDown() override {
        testing::strict::SetElevatedCopy(false);
        ws.Unload(running);
    }
    static win32::WindowSystemOptions Options() {
        win32::WindowSystemOptions options;
        options.exit_process = [](int) {};
        options.window_class = win32::kProgramWindowClass;
        return options;
    }
    win32::Win32WindowSystem ws{Options()};
    Copy running;
    win32::SingleInstance first{"C:\\Programme\\NOVALUX Trackforge"};
};

TEST_F(SingleInstance, ASecondStartInTheSameFolderHandsItsFilesToTheFirst) {
    ShowWindow(reinterpret_cast<HWND>(ws.Handle(running)), SW_MINIMIZE);

    // The same folder in another spelling of its letters.
    win32::SingleInstance second("c:\\programme\\novalux trackforge\\");
    EXPECT_FALSE(second.first());
    const std::string wave = "C:\\Musik\\Grüße \xF0\x9F\x8E\xB5.wav";
    ASSERT_TRUE(second.HandOver({wave, "D:\\show.kpf"}, 2000));
    EXPECT_TRUE(running.handed.empty()) << "taken while the second start still waited";
    EXPECT_TRUE(test::PumpUntil([&] {
        ws.PumpPending();
        return !running.handed.empty();
    }));
    ASSERT_EQ(running.handed.size(), 1u);
    EXPECT_EQ(running.handed[0], (std::vector<std::string>{wave, "D:\\show.kpf"}));
    EXPECT_TRUE(test::PumpUntil([&] {
        ws.PumpPending();
        return !IsIconic(reinterpret_cast<HWND>(ws.Handle(running)));
    })) << "the running copy was not brought up";

    // A copy in another folder is a program of its own.
    win32::SingleInstance elsewhere("D:\\Trackforge portable");
    EXPECT_TRUE(elsewhere.first());
    EXPECT_FALSE(elsewhere.HandOver({"x.wav"}, 0));
    ws.PumpPending();
    EXPECT_EQ(running.handed.size(), 1u);
}

// The running copy started as administrator, the second start as the user:
// the second may not open the first one's mutex, and the system passes its
// WM_COPYDATA up only because the running window lets it. Files that still
// do not get through are not dropped: the second start keeps them.
TEST_F(SingleInstance, AStartAsTheUserHandsItsFilesToACopyRunAsAdministrator) {
    testing::strict::SetElevatedCopy(true);

    win32::SingleInstance second("C:\\Programme\\NOVALUX Trackforge");
    EXPECT_FALSE(second.first()) << "a mutex it may not open was taken for none";
    EXPECT_TRUE(second.HandOver({"D:\\show.kpf"}, 2000));
    EXPECT_TRUE(test::PumpUntil([&] {
        ws.PumpPending();
        return !running.handed.empty();
    })) << "the files were kept from the running copy";

    ChangeWindowMessageFilterEx(reinterpret_cast<HWND>(ws.Handle(running)), WM_COPYDATA,
                                MSGFLT_RESET, nullptr);
    EXPECT_FALSE(second.HandOver({"D:\\next.kpf"}, 2000)) << "files not taken were reported taken";
    testing::strict::SetElevatedCopy(false);
    ws.PumpPending();
    EXPECT_EQ(running.handed.size(), 1u);
}

} // namespace
} // namespace tf
