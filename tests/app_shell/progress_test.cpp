// The figures a long step adds to its status text.

#include "app/shell/progress.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tf
