// What every FileSystem promises, held against the test double natively and
// against the Win32 implementation on real Wine drives (a tmpfs card, host
// links). Where the two differ, the double is wrong.
#ifdef _WIN32
#include "win32_harness.h"
#else
#include "fake_harness.h"
#endif
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tf::testing {
namespace {

using Names = std::vector<std::string>;

template <class Harness> class FileSystemContract : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { Harness::SetUpDrives(); }
    static void TearDownTestSuite() { Harness::TearDownDrives(); }
    void SetUp() override {
        if (const std::string why = h.Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        Clean();
        fs.CreateFolder("r:\\work");
        fs.CreateFolder("s:\\work");
    }
    void TearDown() override {
        if (h.Unavailable().empty())
            Clean();
    }
    // On the host: the links a test leaves are beyond any FileSystem.
    void Clean() {
        h.RemoveOnHost("r:\\work");
        h.RemoveOnHost("s:\\work");
    }
    void Write(const std::string &path, const std::string &bytes) {
        auto w = fs.CreateTextFile(path);
        w->Write(bytes);
        w->Close();
    }
    std::string Read(const std::string &path) {
        auto r = fs.OpenTextForReading(path);
        std::string bytes;
        while (!r->AtEndOfStream())
            bytes += r->ReadBytes(1 << 16);
        return bytes;
    }

    Harness h;
    FileSystem &fs = h.fs();
};

#ifdef _WIN32
using Implementations = ::testing::Types<Win32Harness>;
#else
using Implementations = ::testing::Types<FakeHarness>;
#endif
TYPED_TEST_SUITE(FileSystemContract, Implementations);

TYPED_TEST(FileSystemContract, DrivesHaveTypesAndAnEmptyReaderIsNotReady) {
    FileSystem &fs = this->fs;
    EXPECT_EQ(fs.DriveType("s:"), kDriveFixed);
    EXPECT_EQ(fs.DriveType("U:"), kDriveNetwork);
    EXPECT_EQ(fs.DriveType("v:\\"), kDriveCdRom);
    EXPECT_EQ(fs.DriveType("r:/"), kDriveRemovable);
    EXPECT_EQ(fs.DriveType("t"), kDriveRemovable); // a reader without a card keeps its type
    EXPECT_THROW(fs.DriveType("w:"), FsError);
    EXPECT_THROW(fs.DriveType("  "), FsError);
    EXPECT_THROW(fs.DriveType("r:x"), FsError);

    EXPECT_TRUE(fs.IsReady("r:"));
    EXPECT_FALSE(fs.IsReady("t:"));
    EXPECT_THROW(fs.IsReady("w:"), FsError);
    EXPECT_THROW(fs.FileSystemName("t:"), FsError);
    EXPECT_THROW(fs.TotalSize("t:"), FsError);
    EXPECT_THROW(fs.AvailableSpace("t:"), FsError);
    EXPECT_FALSE(fs.FileExists("t:\\a.kpf"));
    EXPECT_FALSE(fs.FolderExists("t:\\"));
    EXPECT_THROW(fs.ListFiles("t:\\"), FsError);
    bool listed = false;
    for (const DriveEntry &d : fs.Drives())
        if (d.name == "t:")
            listed = d.label.empty();
    EXPECT_TRUE(listed) << "an empty reader is listed, without a label";
    // A folder drive calls itself NTFS under Wine; no drive here is FAT.
    EXPECT_EQ(fs.FileSystemName("s:"), "NTFS");
    EXPECT_FALSE(fs.FileSystemName("r:").empty());
}

TYPED_TEST(FileSystemContract, CopiesAndDeletesMoveTheFreeSpaceExactly) {
    FileSystem &fs = this->fs;
    if (!this->h.ExactSizes())
        GTEST_SKIP() << "no tmpfs card";
    EXPECT_EQ(fs.TotalSize("r:"), TypeParam::kCardBytes);
    EXPECT_EQ(fs.TotalSize("R:\\"), TypeParam::kCardBytes);
    this->Write("s:\\work\\big.bin", std::string(1 << 20, 'x'));
    const std::uint64_t before = fs.AvailableSpace("r:");
    fs.CopyToNewFile("s:\\work\\big.bin", "r:\\work\\");
    EXPECT_EQ(before - fs.AvailableSpace("r:"), 1u << 20);
    fs.DeleteFile("r:\\work\\big.bin");
    EXPECT_EQ(fs.AvailableSpace("r:"), before);
}

TYPED_TEST(FileSystemContract, PathsTakeBothSeparatorsAndIgnoreCase) {
    FileSystem &fs = this->fs;
    fs.CreateFolder("s:/work/Sub");
    EXPECT_TRUE(fs.FolderExists("S:\\WORK\\sub"));
    EXPECT_EQ(fs.GetAbsolutePathName("s:/work/sub/../x.kpf"), "s:\\work\\x.kpf");
    EXPECT_EQ(fs.GetAbsolutePathName("s:\\work\\"), "s:\\work");
    EXPECT_EQ(fs.GetAbsolutePathName("s:"), "s:\\");
    EXPECT_EQ(fs.GetAbsolutePathName("s:work\\.\\a"), "s:\\work\\a");
    EXPECT_EQ(fs.GetDriveName("s:\\work\\x.kpf"), "s:");
    EXPECT_EQ(fs.GetDriveName("work\\x.kpf"), "");
    EXPECT_THROW(fs.CreateFolder("s:\\work\\no\\deeper"), FsError);
    EXPECT_THROW(fs.CreateFolder("s:\\work\\sub"), FsError);
    EXPECT_EQ(fs.ListFolders("s:\\work"), Names{"Sub"});
    this->Write("s:\\work\\Sub\\File.TXT", "x");
    EXPECT_TRUE(fs.FileExists("s:/work/SUB/file.txt"));
    EXPECT_EQ(fs.FileSize("s:\\work\\sub\\file.txt"), 1u);
    EXPECT_FALSE(fs.FileExists("s:\\work\\sub\\*.txt"));
}

TYPED_TEST(FileSystemContract, ACopyKeepsNameAndDateAndRefusesBadTargets) {
    FileSystem &fs = this->fs;
    this->Write("s:\\work\\a.kpf", "first");
    fs.CopyToNewFile("s:\\work\\a.kpf", "r:\\work\\");
    EXPECT_EQ(this->Read("r:\\work\\a.kpf"), "first");
    fs.CopyToNewFile("s:/work/a.kpf", "r:/work/b.kpf");
    EXPECT_EQ(this->Read("r:\\work\\b.kpf"), "first");
    const DateTime from = fs.LastModified("s:\\work\\a.kpf"),
                   to = fs.LastModified("r:\\work\\a.kpf");
    EXPECT_EQ(
        (std::vector<int>{from.year, from.month, from.day, from.hour, from.minute, from.second}),
        (std::vector<int>{to.year, to.month, to.day, to.hour, to.minute, to.second}));

    EXPECT_THROW(fs.CopyToNewFile("s:\\work\\missing.kpf", "r:\\work\\"), FsError);
    EXPECT_THROW(fs.CopyToNewFile("s:\\work\\a.kpf", "r:\\work\\nofolder\\"), FsError);
    EXPECT_THROW(fs.CopyToNewFile("s:\\work\\a.kpf", "t:\\"), FsError);
}

// The card fills up while the copy is written: nothing of the copy stays,
// neither its name nor its room, and the file beside it is untouched.
TYPED_TEST(FileSystemContract, ACopyThatFillsTheCardLeavesNothingBehind) {
    FileSystem &fs = this->fs;
    if (!this->h.ExactSizes())
        GTEST_SKIP() << "no tmpfs card";
    this->Write("r:\\work\\show.kpf", "old project");
    this->Write("s:\\work\\show.kpf", std::string(3 << 20, 'n'));
    this->h.LeaveFree("r:\\work\\filler.bin", 1 << 20);
    const std::uint64_t before = fs.AvailableSpace("r:");
    ASSERT_LT(before, 3u << 20);
    EXPECT_THROW(fs.CopyToNewFile("s:\\work\\show.kpf", "r:\\work\\copy.tmp"), FsError);
    EXPECT_FALSE(this->h.HostEntryExists("r:\\work\\copy.tmp"));
    EXPECT_EQ(fs.AvailableSpace("r:"), before);
    EXPECT_EQ(this->Read("r:\\work\\show.kpf"), "old project");
}

TYPED_TEST(FileSystemContract, ACopyToANewFileIsCompleteAndNeverGoesThroughALink) {
    FileSystem &fs = this->fs;
    std::string bytes;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i)
        bytes += static_cast<char>(i * 7);
    this->Write("s:\\work\\big.kpf", bytes);
    fs.CopyToNewFile("s:\\work\\big.kpf", "r:\\work\\");
    EXPECT_TRUE(fs.FilesEqual("s:\\work\\big.kpf", "r:\\work\\big.kpf"));
    bytes[bytes.size() - 2] ^= 1;
    this->Write("s:\\work\\other.kpf", bytes);
    EXPECT_FALSE(fs.FilesEqual("s:\\work\\other.kpf", "r:\\work\\big.kpf"));
    this->Write("s:\\work\\short.kpf", bytes.substr(0, bytes.size() - 1));
    EXPECT_FALSE(fs.FilesEqual("s:\\work\\short.kpf", "r:\\work\\big.kpf"));
    EXPECT_THROW(fs.CopyToNewFile("s:\\work\\none.kpf", "r:\\work\\"), FsError);

    // Whatever has the name already makes it fail: a file, a link, a dangling link.
    EXPECT_THROW(fs.CopyToNewFile("s:\\work\\short.kpf", "r:\\work\\big.kpf"), FsError);
    this->Write("s:\\work\\outside.txt", "outside");
    this->h.Link("r:\\work\\to_outside.tmp", "s:\\work\\outside.txt");
    this->h.Link("r:\\work\\dangling.tmp", "s:\\work\\nothing.txt");
    EXPECT_THROW(fs.CopyToNewFile("s:\\work\\short.kpf", "r:\\work\\to_outside.tmp"), FsError);
    EXPECT_THROW(fs.CopyToNewFile("s:\\work\\short.kpf", "r:\\work\\dangling.tmp"), FsError);
    EXPECT_TRUE(this->Read("s:\\work\\outside.txt") == "outside") << "written through the link";
    EXPECT_FALSE(fs.FileExists("s:\\work\\nothing.txt"));
}

TYPED_TEST(FileSystemContract, DeleteTakesWildcardsAndReadOnlyItemsAndFailsOnNoMatch) {
    FileSystem &fs = this->fs;
    this->Write("r:\\work\\a.kpf", "1");
    this->Write("r:\\work\\b.KPF", "2");
    this->Write("r:\\work\\a.kpfold", "3"); // its short name ends in .KPF, its name does not
    this->Write("r:\\work\\noext", "4");
    this->h.SetReadOnly("r:\\work\\a.kpf");
    fs.DeleteFile("r:\\work\\*.kpf");
    EXPECT_EQ(fs.ListFiles("r:\\work"), (Names{"a.kpfold", "noext"}));
    EXPECT_THROW(fs.DeleteFile("r:\\work\\*.kpf"), FsError);
    fs.DeleteFile("r:/work/*.*");
    EXPECT_TRUE(fs.ListFiles("r:\\work").empty());

    fs.CreateFolder("r:\\work\\one");
    fs.CreateFolder("r:\\work\\one\\inner");
    this->Write("r:\\work\\one\\inner\\x.txt", "x");
    this->Write("r:\\work\\one\\top.txt", "x");
    this->h.SetReadOnly("r:\\work\\one\\inner\\x.txt");
    fs.CreateFolder("r:\\work\\two");
    fs.DeleteFolder("r:\\work\\*");
    EXPECT_TRUE(fs.ListFolders("r:\\work").empty());
    EXPECT_THROW(fs.DeleteFolder("r:\\work\\*"), FsError);
}

TYPED_TEST(FileSystemContract, AnItemThatCannotGoFailsTheDeleteAndStays) {
    FileSystem &fs = this->fs;
    this->Write("r:\\work\\busy.kpf", "1");
    fs.CreateFolder("r:\\work\\tree");
    this->Write("r:\\work\\tree\\busy.txt", "2");
    auto file_lock = this->h.Lock("r:\\work\\busy.kpf");
    auto tree_lock = this->h.Lock("r:\\work\\tree\\busy.txt");
    EXPECT_THROW(fs.DeleteFile("r:\\work\\*.*"), FsError);
    EXPECT_THROW(fs.DeleteFolder("r:\\work\\*"), FsError);
    EXPECT_TRUE(fs.FileExists("r:\\work\\busy.kpf"));
    EXPECT_TRUE(fs.FileExists("r:\\work\\tree\\busy.txt"));
}

// The card of a user who keeps links on it: nothing they lead to may suffer,
// and clearing around them still takes everything else.
TYPED_TEST(FileSystemContract, ALinkIsNeverDeletedNorFollowed) {
    FileSystem &fs = this->fs;
    auto &h = this->h;
    fs.CreateFolder("s:\\work\\empty");
    fs.CreateFolder("s:\\work\\full");
    this->Write("s:\\work\\full\\f.txt", "full");
    this->Write("s:\\work\\plain.txt", "plain");
    this->Write("s:\\work\\ro.txt", "read-only");
    h.SetReadOnly("s:\\work\\ro.txt");
    fs.CreateFolder("r:\\work\\card");
    fs.CreateFolder("r:\\work\\card\\holder");
    this->Write("r:\\work\\card\\own.kpf", "own");
    this->Write("r:\\work\\card\\holder\\own.txt", "own");
    h.Link("r:\\work\\card\\l1.txt", "s:\\work\\plain.txt");
    h.Link("r:\\work\\card\\ro.txt", "s:\\work\\ro.txt");
    h.Link("r:\\work\\card\\dlink", "s:\\work\\empty");
    h.Link("r:\\work\\card\\dfull", "s:\\work\\full");
    h.Link("r:\\work\\card\\dangling", "s:\\work\\nothing");
    h.Link("r:\\work\\card\\holder\\inner.txt", "s:\\work\\plain.txt");

    EXPECT_NO_THROW(fs.DeleteFile("r:\\work\\card\\*.*"));
    EXPECT_NO_THROW(fs.DeleteFolder("r:\\work\\card\\*"));
    EXPECT_EQ(fs.ListFiles("r:\\work\\card"), (Names{"l1.txt", "ro.txt"}));
    EXPECT_EQ(fs.ListFolders("r:\\work\\card"), (Names{"dfull", "dlink", "holder"}));
    EXPECT_EQ(fs.ListFiles("r:\\work\\card\\holder"), Names{"inner.txt"});
    EXPECT_TRUE(h.HostEntryExists("r:\\work\\card\\dangling"));
    EXPECT_EQ(this->Read("s:\\work\\plain.txt"), "plain");
    EXPECT_EQ(this->Read("s:\\work\\ro.txt"), "read-only");
    EXPECT_EQ(this->Read("s:\\work\\full\\f.txt"), "full");
    EXPECT_TRUE(fs.FolderExists("s:\\work\\empty"));
    EXPECT_FALSE(fs.FileExists("s:\\work\\nothing"));
}

TYPED_TEST(FileSystemContract, TextFilesAreAnsiWithCrLfLines) {
    FileSystem &fs = this->fs;
    bool lossless = false;
    const std::string ansi = Utf8ToAnsi("Größe", &lossless);
    {
        auto w = fs.CreateTextFile("s:\\work\\t.kps");
        w->WriteLine("E:");
        w->Write("Größe");
        w->Close();
    }
    EXPECT_EQ(this->Read("s:\\work\\t.kps"), "E:\r\n" + ansi);
    this->Write("s:\\work\\lines.txt", "one\r\ntwo\nthree");
    auto r = fs.OpenTextForReading("s:\\work\\lines.txt");
    EXPECT_EQ(r->ReadLine(), "one");
    EXPECT_EQ(r->ReadBytes(2), "tw");
    EXPECT_EQ(r->ReadLine(), "o");
    EXPECT_EQ(r->ReadLine(), "three");
    EXPECT_TRUE(r->AtEndOfStream());
    EXPECT_THROW(r->ReadLine(), FsError);
    EXPECT_THROW(r->ReadBytes(1), FsError);

    this->h.SetReadOnly("s:\\work\\t.kps");
    EXPECT_THROW(fs.CreateTextFile("s:\\work\\t.kps"), FsError);
    EXPECT_THROW(fs.CreateTextFile("s:\\work\\missing\\t.kps"), FsError);
    this->Write("s:\\work\\new.kps", "new");
    fs.MoveFile("s:\\work\\new.kps", "s:\\work\\u.kps");
    EXPECT_EQ(this->Read("s:\\work\\u.kps"), "new");
    EXPECT_FALSE(fs.FileExists("s:\\work\\new.kps"));
}

} // namespace
} // namespace tf::testing
