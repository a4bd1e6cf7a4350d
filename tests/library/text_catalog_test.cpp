#include "library/text_catalog.h"

#include <gtest/gtest.h>

namespace tf::catalog {
namespace {

// A translation may name the words in another order and more than once; a
// word that looks like a placeholder (a path with "{1}" or "%2" in it) is
// shown as it is, and a placeholder without its word stays visible.
TEST(TextCatalog, WordsGoWhereTheirNumberStandsAndAreNotSearchedAgain) {
    EXPECT_EQ(Fill("{2} nach {1}, {2}", {"A", "B"}), "B nach A, B");
    EXPECT_EQ(Fill("{1}: {2} {3}", {"C:\\{2} %2", "x"}), "C:\\{2} %2: x {3}");
    EXPECT_EQ(Fill("{} {0} {1", {"A"}), "{} {0} {1");
}

} // namespace
} // namespace tf::catalog
