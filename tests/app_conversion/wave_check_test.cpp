// The wave header gate as the window runs it: the bytes come through the
// file-system object, the refusal is a box titled with the program's name.

#include "library/wave_verdicts.h"
#include "support/main_window_fixture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tf {
namespace {

using test::WaveVerdict;

struct Case {
    std::string what;
    std::string bytes;
    bool exists;
    const char *german; // nullptr: accepted
    const char *english;
};

std::string Text(const test::Bytes &b) {
    return std::string(b.begin(), b.end());
}

// Each verdict's words; then what the way the bytes are read adds: a file too
// short for its fields, or none at all.
std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (const WaveVerdict &v : test::WaveVerdicts())
        cases.push_back({v.what, Text(test::WaveOf(v)), true, v.german, v.english});
    const WaveVerdict &invalid = test::FirstWith(WaveCheck::InvalidFormat);
    const WaveVerdict &bits = test::FirstWith(WaveCheck::Not16Bit);
    cases.push_back({"empty file", "", true, invalid.german, invalid.english});
    cases.push_back({"header cut before the bits field",
                     Text(test::WaveOf(test::WaveVerdicts().front())).substr(0, 30), true,
                     bits.german, bits.english});
    cases.push_back({"missing file", "", false, invalid.german, invalid.english});
    return cases;
}

using WaveCheckTest = testing::MainWindowTest<>;

TEST_F(WaveCheckTest, EachFieldIsCheckedInOrderInBothLanguages) {
    fs.AddDrive("c:", kDriveFixed);
    for (bool german : {true, false}) {
        W().Deutsch.set_value(german);
        W().Englisch.set_value(!german);
        for (const Case &c : Cases()) {
            SCOPED_TRACE(c.what + (german ? " (German)" : " (English)"));
            msg.calls.clear();
            const std::string path = "c:\\Musik\\test.wav";
            if (c.exists)
                fs.WriteFile(path, c.bytes);
            else if (fs.FileExists(path))
                fs.DeleteFile(path);
            W().Quell_Wave_Pfad = path;
            const std::uint8_t result = W().Header_auslesen();
            if (!c.german) {
                EXPECT_EQ(result, 1);
                EXPECT_TRUE(msg.calls.empty());
                continue;
            }
            EXPECT_EQ(result, 0);
            ASSERT_EQ(msg.calls.size(), 1u);
            EXPECT_EQ(msg.calls[0].text, german ? c.german : c.english);
            EXPECT_EQ(msg.calls[0].title, "Trackforge");
            EXPECT_EQ(msg.calls[0].buttons, MsgButtons::Ok);
            EXPECT_EQ(msg.calls[0].icon, MsgIcon::None);
        }
    }
}

TEST_F(WaveCheckTest, UnreadableDriveIsRefusedAsInvalidFormat) {
    fs.AddDrive("e:", kDriveRemovable);
    fs.WriteFile("e:\\a.wav", Text(test::WaveOf(test::WaveVerdicts().front())));
    fs.drive("e:").ready = false;
    W().Quell_Wave_Pfad = "e:\\a.wav";
    EXPECT_EQ(W().Header_auslesen(), 0);
    EXPECT_EQ(LastMessage(), "Kein gültiges WAVE-Format");
}

} // namespace
} // namespace tf
