// The fake file system's contract that the window tests rely on.
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_window_system.h"

#include <gtest/gtest.h>

using tf::FsError;
using tf::fake::FakeFileSystem;

namespace {

class FakeFs : public ::testing::Test {
  protected:
    FakeFileSystem fs;
    void SetUp() override {
        fs.AddDrive("c:", tf::kDriveFixed);
        fs.AddDrive("e:", tf::kDriveRemovable).label = "CARD";
    }
};

// What only the double can set up; the rest of its behaviour is held to the
// Win32 file system by the contract suite.
TEST_F(FakeFs, PathsResolveAgainstEachDrivesCurrentFolder) {
    fs.MakeFolders("e:\\sub\\deeper");
    fs.SetCurrentFolder("e:", "\\sub");
    EXPECT_EQ(fs.GetAbsolutePathName("e:"), "e:\\sub");
    EXPECT_EQ(fs.GetAbsolutePathName("E:deeper/x.kpf"), "E:\\sub\\deeper\\x.kpf");
    EXPECT_EQ(fs.GetAbsolutePathName("x.wav"), "C:\\x.wav");
    fs.WriteFile("e:\\Sub\\Deeper\\File.TXT", "x");
    EXPECT_EQ(fs.FileSize("e:deeper\\file.txt"), 1u);
}

TEST_F(FakeFs, FailureInjectionByNameCountAndPredicate) {
    fs.FailNext("TotalSize");
    EXPECT_THROW(fs.TotalSize("e:"), FsError);
    EXPECT_NO_THROW(fs.TotalSize("e:"));
    fs.FailAlways("IsReady");
    EXPECT_THROW(fs.IsReady("c:"), FsError);
    EXPECT_THROW(fs.IsReady("c:"), FsError);
    fs.ClearFailures();
    fs.fail_when = [](const std::string &member, const std::string &arg) {
        return member == "DriveType" && arg == "c:";
    };
    EXPECT_THROW(fs.DriveType("c:"), FsError);
    EXPECT_EQ(fs.DriveType("e:"), tf::kDriveRemovable);
    EXPECT_EQ(fs.CallCount("TotalSize"), 2);
    EXPECT_EQ(fs.calls().back(), "DriveType(e:)");
}

TEST(FakeServices, ClockWrapsAtMidnightAndPumpMovesIt) {
    tf::fake::FakeClock clock;
    clock.SetTime(23, 59, 59.5);
    tf::fake::RecordingEventPump pump(&clock, 1.0);
    pump.DoEvents();
    EXPECT_DOUBLE_EQ(clock.SecondsSinceMidnight(), 0.5);
    EXPECT_EQ(clock.CurrentMinute(), 0);
    EXPECT_EQ(pump.count, 1);
}

TEST(FakeServices, LocaleGroupsDigitsTheGermanWay) {
    tf::fake::FakeLocale locale;
    EXPECT_EQ(locale.GroupDigits(0), "0");
    EXPECT_EQ(locale.GroupDigits(999), "999");
    EXPECT_EQ(locale.GroupDigits(1541), "1.541");
    EXPECT_EQ(locale.GroupDigits(-1234567), "-1.234.567");
}

} // namespace
