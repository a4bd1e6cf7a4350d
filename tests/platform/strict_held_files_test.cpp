// Renames and deletes of files just written, while a scanner still holds
// them for a moment as on Windows: the card write, the installer's copy and
// the preparation's wave must wait that moment out, and still fail in the end
// when the file stays held.
#include "support/strict/held_files.h"

#include "library/prepare/wave_file.h"

#include "strict_files_harness.h"

#include <chrono>

namespace tf::testing {
namespace {

class HeldFiles : public StrictFilesTest {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(strict::EnforceHeldFiles());
        StrictFilesTest::SetUpTestSuite();
    }
    void SetUp() override {
        StrictFilesTest::SetUp();
        refused_before = strict::RefusedWhileHeld();
    }
    void TearDown() override {
        strict::EnforceHeldFiles(); // the usual moment again
        StrictFilesTest::TearDown();
    }
    bool RuleWasMet() const { return strict::RefusedWhileHeld() > refused_before; }
    int refused_before = 0;
};

TEST_F(HeldFiles, TheCardWriteWaitsForTheCopyToBeFreed) {
    const std::string bytes = Pattern(70000);
    EXPECT_EQ(WriteCard(bytes), "Fertig") << messages;
    EXPECT_TRUE(Read("r:\\show.kpf") == bytes);
    EXPECT_FALSE(fs.FileExists("r:\\~Trackforge-Kopie.tmp"));
    EXPECT_TRUE(RuleWasMet());
}

TEST_F(HeldFiles, TheInstallersCopyWaitsAndFailsAsBeforeWhenTheFileStaysHeld) {
    const std::string bytes = Pattern(5000);
    Write("s:\\strict\\Trackforge.exe", bytes);
    Write("s:\\strict\\old.exe", "old");
    EXPECT_NO_THROW(ReplaceWithCompleteCopy(fs, "s:\\strict\\Trackforge.exe", "s:\\strict\\~1.tmp",
                                            "s:\\strict\\old.exe"));
    EXPECT_TRUE(Read("s:\\strict\\old.exe") == bytes);
    EXPECT_TRUE(RuleWasMet());

    // Held for good: the copy fails after its seconds of patience, the old
    // file untouched, rather than hanging or reporting success.
    strict::EnforceHeldFiles(1000000);
    Write("s:\\strict\\old.exe", "old");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(ReplaceWithCompleteCopy(fs, "s:\\strict\\Trackforge.exe", "s:\\strict\\~2.tmp",
                                         "s:\\strict\\old.exe"),
                 FsError);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, 1.5);
    EXPECT_LT(seconds, 30.0);
    EXPECT_EQ(Read("s:\\strict\\old.exe"), "old");
}

TEST_F(HeldFiles, ThePreparedWaveTakesItsNameAndLeavesNoPartialFile) {
    audio::WaveOut wave;
    ASSERT_EQ(wave.open("s:\\strict\\song.wav"), audio::WaveOpen::Opened);
    const std::string frames = Pattern(4000);
    ASSERT_TRUE(wave.write(reinterpret_cast<const std::uint8_t *>(frames.data()), frames.size()));
    EXPECT_EQ(wave.commit(), audio::WaveCommit::Done);
    EXPECT_EQ(fs.FileSize("s:\\strict\\song.wav"), 44u + frames.size());
    EXPECT_EQ(fs.ListFiles("s:\\strict\\", "*"), std::vector<std::string>{"song.wav"});
    EXPECT_TRUE(RuleWasMet());
}

} // namespace
} // namespace tf::testing
