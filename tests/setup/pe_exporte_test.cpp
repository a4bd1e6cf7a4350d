// Reading a library's exports from its bytes, without loading it.

#include "setup/pe_exporte.h"
#include "setup_test_support.h"

namespace tf::setup::test {
namespace {

TEST(SetupPeExporte, FindsOnlyNamesInTheExportTable) {
    const std::string image = PeImage({"DllCanUnloadNow", "DllRegisterServer"});
    EXPECT_TRUE(Exportiert(image, "DllRegisterServer"));
    EXPECT_FALSE(Exportiert(image, "DllRegister"));
    EXPECT_FALSE(Exportiert(PeImage({"Projektdatei_erstellen"}), "DllRegisterServer"));
    EXPECT_FALSE(Exportiert(PeImage({}), "DllRegisterServer"));
    EXPECT_FALSE(Exportiert("content of VB6STKIT.dll", "DllRegisterServer"));
}

// A file cut short anywhere, or with its offsets pointing past its end, is
// no image: never a read beyond the bytes (the sanitizers watch).
TEST(SetupPeExporte, CutOrCorruptFilesAreNoImage) {
    const std::string image = PeImage({"DllRegisterServer"});
    for (std::size_t n = 0; n < image.size(); ++n)
        EXPECT_FALSE(Exportiert(image.substr(0, n), "DllRegisterServer")) << n;
    std::string bad = image;
    bad[0x3C] = '\xF0', bad[0x3D] = '\xFF', bad[0x3E] = '\xFF', bad[0x3F] = '\x7F';
    EXPECT_FALSE(Exportiert(bad, "DllRegisterServer"));
    bad = image;
    bad[0x200 + 24] = '\xFF', bad[0x200 + 25] = '\xFF'; // more names than there are
    EXPECT_FALSE(Exportiert(bad, "Nothing"));
}

} // namespace
} // namespace tf::setup::test
