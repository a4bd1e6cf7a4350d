// The read-back after a copy under Windows' rule for unbuffered I/O: whole
// sectors at sector offsets into sector-aligned buffers, or the read fails.
#include "support/strict/unbuffered_io.h"

#include "strict_files_harness.h"

#include <windows.h>

namespace tf::testing {
namespace {

using strict::kStrictSectorBytes;

class UnbufferedReadBack : public StrictFilesTest {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(strict::EnforceUnbufferedAlignment());
        StrictFilesTest::SetUpTestSuite();
    }
};

TEST_F(UnbufferedReadBack, TheRuleRefusesWhatWindowsRefuses) {
    Write("s:\\strict\\a.bin", Pattern(3 * kStrictSectorBytes));
    HANDLE h = CreateFileW(L"s:\\strict\\a.bin", GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    auto *buffer = static_cast<char *>(
        VirtualAlloc(nullptr, 4 * kStrictSectorBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(h, buffer, 100, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ReadFile(h, buffer + 512, kStrictSectorBytes, &got, nullptr));
    OVERLAPPED at{};
    at.Offset = 512;
    EXPECT_FALSE(ReadFile(h, buffer, kStrictSectorBytes, &got, &at));
    // The pointer cannot be moved off a boundary either, and stays put.
    LARGE_INTEGER to{}, at_now{};
    to.QuadPart = 2 * kStrictSectorBytes;
    ASSERT_TRUE(SetFilePointerEx(h, to, nullptr, FILE_BEGIN));
    to.QuadPart = 100;
    EXPECT_FALSE(SetFilePointerEx(h, to, &at_now, FILE_CURRENT));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(ReadFile(h, buffer, 2 * kStrictSectorBytes, &got, nullptr));
    EXPECT_EQ(got, kStrictSectorBytes) << "the end of the file cuts the read short";
    CloseHandle(h);
    VirtualFree(buffer, 0, MEM_RELEASE);
}

// Sizes at and around the sector and the 1 MiB block, where a read-back
// that reads on from the short tail or compares past the end goes wrong.
TEST_F(UnbufferedReadBack, TheInstallersCopyPlacesFilesOfEverySize) {
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, kStrictSectorBytes - 1,
                             kStrictSectorBytes, kStrictSectorBytes + 1, std::size_t{1 << 20},
                             (std::size_t{1} << 20) + 17, 3 * (std::size_t{1} << 20) + 4097}) {
        const std::string bytes = Pattern(size, static_cast<unsigned>(size));
        Write("s:\\strict\\source.exe", bytes);
        EXPECT_NO_THROW(ReplaceWithCompleteCopy(fs, "s:\\strict\\source.exe",
                                                "s:\\strict\\~copy.tmp", "s:\\strict\\target.exe"))
            << size << " bytes";
        EXPECT_TRUE(Read("s:\\strict\\target.exe") == bytes) << size << " bytes";
        EXPECT_FALSE(fs.FileExists("s:\\strict\\~copy.tmp")) << size << " bytes";
    }
    // Only the valid bytes count: a difference in the last one is seen.
    std::string other = Pattern(kStrictSectorBytes + 1, 9);
    Write("s:\\strict\\a.bin", other);
    other.back() ^= 1;
    Write("s:\\strict\\b.bin", other);
    EXPECT_FALSE(fs.FilesEqual("s:\\strict\\a.bin", "s:\\strict\\b.bin"));
}

TEST_F(UnbufferedReadBack, TheCardWriteEndsWithTheProjectFileOnTheCard) {
    const std::string bytes = Pattern(2 * (std::size_t{1} << 20) + 333);
    EXPECT_EQ(WriteCard(bytes), "Fertig") << messages;
    EXPECT_TRUE(Read("r:\\show.kpf") == bytes);
    EXPECT_FALSE(fs.FileExists("r:\\~Trackforge-Kopie.tmp"));
    EXPECT_GT(strict::RefusedUnbufferedCalls(), 0) << "the test above met the rule";
}

} // namespace
} // namespace tf::testing
