// The fake file system's contract that the window tests rely on.
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_window_system.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST_F(FakeFs, DriveQueriesAnswerFromTheTableAndFailForAbsentOrEmptyDrives) {
    EXPECT_EQ(fs.DriveType("E:"), tf::kDriveRemovable);
    EXPECT_EQ(fs.DriveType("e:\\"), tf::kDriveRemovable);
    EXPECT_EQ(fs.FileSystemName("e:"), "FAT");
    EXPECT_EQ(fs.TotalSize("e:"), 128ull * 1024 * 1024);
    EXPECT_THROW(fs.DriveType("q:"), FsError);
    EXPECT_THROW(fs.DriveType("  "), FsError);

    fs.drive("e:").ready = false;
    EXPECT_EQ(fs.DriveType("e:"), tf::kDriveRemovable); // an empty reader still has a type
    EXPECT_FALSE(fs.IsReady("e:"));
    EXPECT_THROW(fs.TotalSize("e:"), FsError);
    EXPECT_THROW(fs.FileSystemName("e:"), FsError);
    EXPECT_THROW(fs.ListFiles("e:\\"), FsError);
    EXPECT_FALSE(fs.FolderExists("e:\\"));
    auto drives = fs.Drives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[1].name, "e:");
    EXPECT_EQ(drives[1].label, ""); // no label without a medium
}

TEST_F(FakeFs, PathsResolveAgainstEachDrivesCurrentFolder) {
    fs.MakeFolders("e:\\sub\\deeper");
    fs.SetCurrentFolder("e:", "\\sub");
    EXPECT_EQ(fs.GetAbsolutePathName("e:"), "e:\\sub");
    EXPECT_EQ(fs.GetAbsolutePathName("E:deeper/x.kpf"), "E:\\sub\\deeper\\x.kpf");
    EXPECT_EQ(fs.GetAbsolutePathName("e:\\"), "e:\\");
    EXPECT_EQ(fs.GetAbsolutePathName("e:\\a\\..\\b\\.\\c"), "e:\\b\\c");
    EXPECT_EQ(fs.GetAbsolutePathName("x.wav"), "C:\\x.wav");
    EXPECT_EQ(fs.GetDriveName("e:\\sub\\x.kpf"), "e:");
    EXPECT_EQ(fs.GetDriveName("sub\\x.kpf"), "");

    fs.WriteFile("e:\\Sub\\Deeper\\File.TXT", "x");
    EXPECT_TRUE(fs.FileExists("E:/SUB/deeper/file.txt")); // names ignore case
    EXPECT_EQ(fs.FileSize("e:deeper\\file.txt"), 1u);
}

TEST_F(FakeFs, CopyReplacesKeepsNameIntoFolderAndRefusesBadTargets) {
    fs.WriteFile("c:\\src\\a.kpf", "12345");
    fs.CopyFile("c:\\src\\a.kpf", "e:\\");
    EXPECT_EQ(fs.ReadFile("e:\\a.kpf"), "12345");
    fs.WriteFile("c:\\src\\a.kpf", "67");
    fs.CopyFile("c:/src/a.kpf", "e:\\b.kpf");
    fs.CopyFile("c:/src/a.kpf", "e:\\b.kpf"); // replaces
    EXPECT_EQ(fs.ReadFile("e:\\b.kpf"), "67");
    EXPECT_TRUE(fs.FilesEqual("c:\\src\\a.kpf", "e:\\b.kpf"));
    EXPECT_FALSE(fs.FilesEqual("c:\\src\\a.kpf", "e:\\a.kpf"));

    EXPECT_THROW(fs.CopyFile("c:\\src\\missing.kpf", "e:\\"), FsError);
    EXPECT_THROW(fs.CopyFile("c:\\src\\a.kpf", "e:\\nofolder\\"), FsError);
    fs.SetReadOnly("e:\\b.kpf");
    EXPECT_THROW(fs.CopyFile("c:\\src\\a.kpf", "e:\\b.kpf"), FsError);
    fs.drive("e:").ready = false;
    EXPECT_THROW(fs.CopyFile("c:\\src\\a.kpf", "e:\\c.kpf"), FsError);
}

TEST_F(FakeFs, CopyKeepsDateAndCountsSpaceWhenAsked) {
    fs.WriteFile("c:\\a.bin", std::string(3000, 'x'));
    fs.SetLastModified("c:\\a.bin", {2003, 4, 5, 6, 7, 8});
    auto &e = fs.drive("e:");
    e.track_space = true;
    e.available_bytes = 5000;
    fs.CopyFile("c:\\a.bin", "e:\\one.bin");
    EXPECT_EQ(e.available_bytes, 2000u);
    auto d = fs.LastModified("e:\\one.bin");
    EXPECT_EQ((std::vector<int>{d.year, d.month, d.day, d.hour, d.minute, d.second}),
              (std::vector<int>{2003, 4, 5, 6, 7, 8}));
    EXPECT_THROW(fs.CopyFile("c:\\a.bin", "e:\\two.bin"), FsError); // disk full
    EXPECT_FALSE(fs.FileExists("e:\\two.bin"));
    fs.DeleteFile("e:\\one.bin");
    EXPECT_EQ(e.available_bytes, 5000u);
}

TEST_F(FakeFs, DeleteByWildcardIncludesReadOnlyAndFailsWhenNothingMatches) {
    fs.WriteFile("e:\\a.kpf", "1");
    fs.WriteFile("e:\\B.KPF", "2");
    fs.WriteFile("e:\\noext", "3");
    fs.WriteFile("e:\\keep.txt", "4");
    fs.WriteFile("e:\\dir\\inner.kpf", "5");
    fs.SetReadOnly("e:\\a.kpf");

    fs.DeleteFile("e:\\*.kpf");
    EXPECT_EQ(fs.ListFiles("e:\\"), (std::vector<std::string>{"keep.txt", "noext"}));
    EXPECT_TRUE(fs.FileExists("e:\\dir\\inner.kpf")); // not recursive
    EXPECT_THROW(fs.DeleteFile("e:\\*.kpf"), FsError);
    fs.DeleteFile("e:\\*.*"); // also takes names without extension
    EXPECT_TRUE(fs.ListFiles("e:\\").empty());
    EXPECT_THROW(fs.DeleteFile("e:\\*.*"), FsError);

    fs.MakeFolders("e:\\other\\x");
    fs.SetReadOnly("e:\\dir\\inner.kpf");
    fs.DeleteFolder("e:\\*");
    EXPECT_TRUE(fs.ListFolders("e:\\").empty());
    EXPECT_THROW(fs.DeleteFolder("e:\\*"), FsError);
}

TEST_F(FakeFs, DeleteStopsAtALockedItemAndRemovesLinksAsLinks) {
    fs.WriteFile("c:\\outside\\precious.txt", "keep");
    fs.MakeFolders("e:\\links");
    std::filesystem::create_directory_symlink(fs.HostPath("c:\\outside"),
                                              fs.HostPath("e:\\links\\to_c"));
    fs.DeleteFolder("e:\\links\\*");
    EXPECT_FALSE(fs.FolderExists("e:\\links\\to_c"));
    EXPECT_EQ(fs.ReadFile("c:\\outside\\precious.txt"), "keep");

    fs.WriteFile("e:\\busy.kpf", "1");
    fs.SetLocked("e:\\busy.kpf");
    EXPECT_THROW(fs.DeleteFile("e:\\busy.kpf"), FsError);
    EXPECT_TRUE(fs.FileExists("e:\\busy.kpf"));
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

TEST_F(FakeFs, TextFilesAreWindows1252OnDiskWithCrLfLines) {
    auto w = fs.CreateTextFile("c:\\settings.kps");
    w->WriteLine("E:");
    w->Write("Größe");
    w->Close();
    EXPECT_EQ(fs.ReadFile("c:\\settings.kps"), "E:\r\nGr\xF6\xDF"
                                               "e");

    fs.WriteFile("c:\\t.txt", "one\r\ntwo\nthree");
    auto r = fs.OpenTextForReading("c:\\t.txt");
    EXPECT_EQ(r->ReadLine(), "one");
    EXPECT_EQ(r->ReadBytes(2), "tw");
    EXPECT_EQ(r->ReadLine(), "o");
    EXPECT_EQ(r->ReadLine(), "three");
    EXPECT_TRUE(r->AtEndOfStream());
    EXPECT_THROW(r->ReadLine(), FsError);
    EXPECT_THROW(r->ReadBytes(1), FsError);

    EXPECT_THROW(fs.CreateTextFile("c:\\nofolder\\x.txt"), FsError);
    fs.SetReadOnly("c:\\t.txt");
    EXPECT_THROW(fs.CreateTextFile("c:\\t.txt"), FsError);
}

TEST_F(FakeFs, FoldersAreMadeOneLevelAtATime) {
    fs.CreateFolder("c:\\Programme");
    EXPECT_TRUE(fs.FolderExists("c:\\programme"));
    EXPECT_THROW(fs.CreateFolder("c:\\Programme"), FsError);
    EXPECT_THROW(fs.CreateFolder("c:\\a\\b"), FsError);
    fs.WriteFile("c:\\old.txt", "x");
    fs.WriteFile("c:\\new.txt", "y");
    fs.MoveFile("c:\\new.txt", "c:\\old.txt");
    EXPECT_EQ(fs.ReadFile("c:\\old.txt"), "y");
    EXPECT_FALSE(fs.FileExists("c:\\new.txt"));
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
