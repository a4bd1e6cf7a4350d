// The typed name to the 30 characters the window and the converter both hand
// in. Well-formed names are pinned by the window's own tests of Real_Spaces.
#include "library/name_rule.h"

#include <gtest/gtest.h>

namespace tf::test {
namespace {

std::string padded(const std::string &s) {
    return s + std::string(30 - s.size(), ' ');
}

// One blank for each ill-formed piece, as browsers and terminals show one mark:
// a Latin-1 name keeps its length, and no byte after a broken one is swallowed.
TEST(NameRule, EachIllFormedPieceOfUtf8IsOneBlank) {
    EXPECT_EQ(prepare_name("Gr\xFC\xDF"
                           "e",
                           NameEncoding::Utf8),
              padded("Gr  e"));
    EXPECT_EQ(prepare_name("a\xF8\x80\x80\x80"
                           "b",
                           NameEncoding::Utf8),
              padded("a    b"));
    EXPECT_EQ(prepare_name("a\xE2\x82"
                           "b",
                           NameEncoding::Utf8),
              padded("a b"));
    EXPECT_EQ(prepare_name("a\xED\xA0\x80"
                           "b",
                           NameEncoding::Utf8),
              padded("a   b"));
    EXPECT_EQ(prepare_name("a\xC0\x80"
                           "b",
                           NameEncoding::Utf8),
              padded("a  b"));
    EXPECT_EQ(prepare_name("a\xE2", NameEncoding::Utf8), padded("a "));
}

TEST(NameRule, SingleByteNamesCountEveryByte) {
    EXPECT_EQ(prepare_name("Gr\xFC\xDF"
                           "e!",
                           NameEncoding::SingleByte),
              padded("Gr  e"));
    EXPECT_EQ(prepare_name("Grüße", NameEncoding::SingleByte), padded("Gr    e"));
}

} // namespace
} // namespace tf::test
