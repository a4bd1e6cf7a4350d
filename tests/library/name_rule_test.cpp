// The typed name to the 30 characters the window and the converter both hand
// in: the one place the rule is pinned.
#include "library/name_rule.h"

#include <gtest/gtest.h>

#include <utility>

namespace tf::test {
namespace {

std::string padded(const std::string &s) {
    return s + std::string(30 - s.size(), ' ');
}

TEST(NameRule, TypedNamesBecomeThirtyDeviceCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"Show 2003!", "Show 2003"},
        {"Grüße", "Gr  e"},
        {std::string(35, 'a'), std::string(30, 'a')},
        {"", ""},
        {"\"A~}\t\x7F", "\"A }"},
        {"a~b\"c}d", "a b\"c}d"},
        // Characters the code page has no byte for are blanks too, one per character.
        {"Ωmega Шоу", " mega    "},
        {std::string(29, 'x') + "ßyz", std::string(29, 'x') + " "}};
    for (const auto &[typed, shown] : cases)
        EXPECT_EQ(prepare_name(typed, NameEncoding::Utf8), padded(shown)) << typed;
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
    EXPECT_EQ(prepare_name("a\xFF"
                           "b",
                           NameEncoding::Utf8),
              padded("a b"));
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
