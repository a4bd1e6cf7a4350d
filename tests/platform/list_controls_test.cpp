// The drive, folder and file lists over the fake file system, and option groups.
#include "platform/fake/fake_file_system.h"
#include "platform/ui/controls.h"

#include <gtest/gtest.h>

#include <filesystem>

using tf::FsError;
using tf::fake::FakeFileSystem;
using tf::ui::DirListBox;
using tf::ui::DriveListBox;
using tf::ui::FileListBox;

namespace {

class Lists : public ::testing::Test {
  protected:
    void SetUp() override {
        fs.AddDrive("c:", tf::kDriveFixed).label = "SYSTEM";
        fs.AddDrive("e:", tf::kDriveRemovable);
        fs.AddDrive("f:", tf::kDriveRemovable).ready = false;
        drive.on_change = [&] { ++drive_changes; };
        dir.on_change = [&] { ++dir_changes; };
    }
    FakeFileSystem fs;
    DriveListBox drive{"Drive1", fs};
    DirListBox dir{"Dir1", fs};
    FileListBox file{"File1", fs};
    int drive_changes = 0;
    int dir_changes = 0;
};

TEST_F(Lists, DriveEntriesShowLabelsAndSelectingRaisesChangeOnce) {
    drive.Refresh();
    EXPECT_EQ(drive.items(), (std::vector<std::string>{"c: [SYSTEM]", "e:", "f:"}));
    drive.set_drive("C:\\some\\path");
    EXPECT_EQ(drive.drive(), "c: [SYSTEM]");
    EXPECT_EQ(drive_changes, 1);
    drive.set_drive("c:");
    EXPECT_EQ(drive_changes, 1); // same drive: no change
    drive.SelectFromUser(1);
    EXPECT_EQ(drive.drive(), "e:");
    EXPECT_EQ(drive_changes, 2);
}

TEST_F(Lists, SettingAnAbsentOrEmptyDriveFailsAndKeepsTheSelection) {
    drive.set_drive("e:");
    EXPECT_THROW(drive.set_drive("q:"), FsError);
    EXPECT_THROW(drive.set_drive("f:"), FsError);
    EXPECT_THROW(drive.set_drive(""), FsError);
    EXPECT_EQ(drive.drive(), "e:");
    EXPECT_EQ(drive_changes, 1);
    // The user may still pick the empty reader; the handler finds out.
    drive.SelectFromUser(2);
    EXPECT_EQ(drive.drive(), "f:");
}

TEST_F(Lists, RefreshPicksUpNewDrivesAndKeepsTheSelectedLetter) {
    drive.set_drive("e:");
    fs.AddDrive("d:", tf::kDriveCdRom).label = "AUDIO";
    fs.drive("e:").label = "CARD";
    drive.Refresh();
    // An optical drive is never asked for its label: it may have to spin up.
    EXPECT_EQ(drive.items(), (std::vector<std::string>{"c: [SYSTEM]", "d:", "e: [CARD]", "f:"}));
    EXPECT_EQ(drive.drive(), "e: [CARD]");
    EXPECT_EQ(drive_changes, 1);
    fs.RemoveDrive("e:");
    drive.Refresh();
    EXPECT_EQ(drive.drive(), "");
}

TEST_F(Lists, FolderListShowsTheWayDownAndTheSubFolders) {
    fs.MakeFolders("e:\\show\\act1");
    fs.MakeFolders("e:\\show\\Act2");
    fs.MakeFolders("e:\\other");
    dir.set_path("e:\\show");
    EXPECT_EQ(dir.path(), "e:\\show");
    EXPECT_EQ(dir.items(), (std::vector<std::string>{"e:\\", "show", "act1", "Act2"}));
    EXPECT_EQ(dir_changes, 1);
    dir.set_path("e:/show/");
    EXPECT_EQ(dir_changes, 1); // the same folder written differently

    dir.OpenFromUser(3); // a sub-folder
    EXPECT_EQ(dir.path(), "e:\\show\\Act2");
    dir.OpenFromUser(0); // the root
    EXPECT_EQ(dir.path(), "e:\\");
    EXPECT_EQ(dir.items(), (std::vector<std::string>{"e:\\", "other", "show"}));
    EXPECT_EQ(dir_changes, 3);
}

TEST_F(Lists, ABareDriveMeansItsCurrentFolder) {
    fs.MakeFolders("e:\\work");
    fs.SetCurrentFolder("e:", "\\work");
    fs.WriteFile("e:\\work\\a.kpf", "x");
    dir.set_path("e:");
    file.set_path("e:");
    EXPECT_EQ(dir.path(), "e:\\work");
    EXPECT_EQ(file.path(), "e:\\work");
    EXPECT_EQ(file.items(), std::vector<std::string>{"a.kpf"});
}

TEST_F(Lists, ListsFailOnAnEmptyReaderOrMissingFolderAndKeepTheirState) {
    fs.WriteFile("e:\\a.kpf", "x");
    file.set_path("e:\\");
    dir.set_path("e:\\");
    EXPECT_THROW(file.set_path("f:"), FsError);
    EXPECT_THROW(dir.set_path("e:\\missing"), FsError);
    EXPECT_EQ(file.path(), "e:\\");
    EXPECT_EQ(file.items(), std::vector<std::string>{"a.kpf"});
    EXPECT_EQ(dir.path(), "e:\\");
    EXPECT_EQ(dir_changes, 1);
}

// e:\Ordner\Sub open in the lists, then Ordner deleted from outside: the
// lists go quietly to the nearest folder left, the timer's refresh included,
// and a double click on an entry of the vanished folder raises nothing.
TEST_F(Lists, AFolderDeletedFromOutsideGivesWayToTheNearestOneLeft) {
    fs.MakeFolders("e:\\Keep\\Ordner\\Sub\\Deeper");
    dir.on_change = [&] { file.set_path(dir.path()); };
    dir.set_path("e:\\Keep\\Ordner\\Sub");
    std::filesystem::remove_all(fs.HostPath("e:\\Keep\\Ordner"));
    const int deeper = static_cast<int>(dir.items().size()) - 1;
    EXPECT_NO_THROW(dir.OpenFromUser(deeper));
    EXPECT_EQ(dir.path(), "e:\\Keep");
    EXPECT_EQ(file.path(), "e:\\Keep");

    std::filesystem::remove_all(fs.HostPath("e:\\Keep"));
    file.Refresh();
    dir.Refresh();
    EXPECT_EQ(file.path(), "e:\\");
    EXPECT_EQ(dir.path(), "e:\\");
    EXPECT_EQ(dir.items(), std::vector<std::string>{"e:\\"});

    fs.drive("e:").ready = false; // the card itself gone: the list stays
    EXPECT_NO_THROW(dir.OpenFromUser(0));
    EXPECT_THROW(dir.Refresh(), FsError);
}

TEST_F(Lists, FileListRefreshSeesNewFilesThroughItsPattern) {
    fs.WriteFile("e:\\b.kpf", "x");
    file.pattern = "*.kpf";
    file.set_path("e:\\");
    fs.WriteFile("e:\\a.KPF", "x");
    fs.WriteFile("e:\\notes.txt", "x");
    EXPECT_EQ(file.items(), std::vector<std::string>{"b.kpf"});
    file.Refresh();
    EXPECT_EQ(file.items(), (std::vector<std::string>{"a.KPF", "b.kpf"}));
    fs.drive("e:").ready = false;
    EXPECT_THROW(file.Refresh(), FsError);
}

TEST(OptionGroup, SelectingOneClearsTheOthersOfItsGroupAndRunsItsClick) {
    tf::ui::OptionButton de("Deutsch"), en("Englisch"), other("Other");
    other.group = 1;
    std::vector<tf::ui::OptionButton *> members{&de, &en, &other};
    for (auto *o : members)
        o->JoinGroup(&members);
    int clicks = 0;
    en.on_click = [&] { ++clicks; };
    other.set_value(true);
    de.set_value(true);
    en.Click();
    EXPECT_FALSE(de.value());
    EXPECT_TRUE(en.value());
    EXPECT_TRUE(other.value()); // another group
    EXPECT_EQ(clicks, 1);
    en.set_value(false);
    EXPECT_FALSE(en.value());
    EXPECT_EQ(clicks, 1);
}

} // namespace
