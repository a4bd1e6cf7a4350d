// Text crossing between UTF-8 and the ANSI code page (Windows-1252 natively).
#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace {

TEST(Codepage, GermanTextAndTheEuroRoundTrip) {
    bool lossless = false;
    const std::string ansi = tf::Utf8ToAnsi("Größe Ä€ x", &lossless);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(tf::AnsiToUtf8(ansi), "Größe Ä€ x");
#ifndef _WIN32
    EXPECT_EQ(ansi, "Gr\xF6\xDF"
                    "e \xC4\x80 x");
#endif
}

TEST(Codepage, UnrepresentableAndMalformedTextIsReplacedAndReported) {
    bool lossless = true;
    EXPECT_EQ(tf::Utf8ToAnsi("a\xE2\x82\xAC"
                             "b",
                             &lossless)
                  .size(),
              3u); // the euro is one byte
    EXPECT_TRUE(lossless);
    EXPECT_EQ(tf::Utf8ToAnsi("Łódź", &lossless, '_'), "_\xF3"
                                                      "d_");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(tf::Utf8ToAnsi("a\xC3", &lossless), "a?"); // cut-off sequence
    EXPECT_FALSE(lossless);
    EXPECT_EQ(tf::Utf8ToAnsi("", &lossless), "");
    EXPECT_TRUE(lossless);
}

#ifndef _WIN32
TEST(Codepage, EveryByteSurvivesTheWayThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    bool lossless = false;
    EXPECT_EQ(tf::Utf8ToAnsi(tf::AnsiToUtf8(all), &lossless), all);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(tf::AnsiToUtf8("\x80\x81\x9F"), "€\xC2\x81Ÿ");
}
#endif

} // namespace
