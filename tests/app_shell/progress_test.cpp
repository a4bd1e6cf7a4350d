// The figures a long step adds to its status text.

#include "app/shell/progress.h"
#include "support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tf {
namespace {

TEST(ProgressText, PercentMegabytesSpeedAndTimeLeftInEitherLanguage) {
    EXPECT_EQ(ProgressText(Language::German, "Project-Datei wird geschrieben", 260'000'000,
                           635'040'000, 26.0),
              "Project-Datei wird geschrieben \u2026 40 % (260 von 635 MB, 10,0 MB/s, noch 38 s)");
    EXPECT_EQ(
        ProgressText(Language::English, "Writing Project-file", 260'000'000, 635'040'000, 26.0),
        "Writing Project-file \u2026 40 % (260 of 635 MB, 10.0 MB/s, 38 s left)");
    // A speed from the first moment would be a guess; 100 % only at the last byte.
    EXPECT_EQ(
        ProgressText(Language::German, "Project-Datei wird geprüft", 1'000'000, 635'040'000, 0.2),
        "Project-Datei wird geprüft \u2026 0 % (1 von 635 MB)");
    EXPECT_EQ(
        ProgressText(Language::English, "Verifying Project-file", 635'039'999, 635'040'000, 60.0),
        "Verifying Project-file \u2026 99 % (635 of 635 MB, 10.6 MB/s, 1 s left)");
    // A source that does not tell its length shows what is done.
    EXPECT_EQ(ProgressText(Language::German, "Kopie wird erstellt", 12'400'000, 0, 3.0),
              "Kopie wird erstellt \u2026 12 MB");
}

// A block every 20 ms; halfway the wall clock is set back a minute (a time
// sync) and later past midnight. The window still takes its messages every
// tenth of a second, and the speed is the true one.
TEST(StepProgress, KeepsItsRhythmWhenTheWallClockIsSetBack) {
    fake::FakeFileSystem fs;
    testing::WindowDoubles doubles(fs, 0);
    Projekt window(doubles.Over(fs));
    doubles.clock.SetTime(12, 0, 0);
    StepProgress progress(window, window.Status_txt, Msg::PreparingCopy);
    std::vector<double> answered{doubles.clock.steady};
    doubles.events.on_do_events = [&] { answered.push_back(doubles.clock.steady); };
    for (int block = 1; block <= 100; ++block) {
        doubles.clock.Advance(0.02);
        if (block == 30)
            doubles.clock.SetTime(11, 59, 0);
        if (block == 60)
            doubles.clock.SetTime(23, 59, 59.99);
        progress(block * 100'000ull, 10'000'000ull);
    }
    double longest = 0;
    for (std::size_t i = 1; i < answered.size(); ++i)
        longest = std::max(longest, answered[i] - answered[i - 1]);
    EXPECT_LT(longest, 0.13) << "the window took no message for " << longest << " s";
    EXPECT_NE(window.Status_txt.text().find("5,0 MB/s"), std::string::npos)
        << window.Status_txt.text();
}

} // namespace
} // namespace tf
