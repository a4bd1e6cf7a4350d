// The wave header gate as the window runs it: the bytes come through the
// file-system object, the refusal is a box titled with the program's name.

#include "support/main_window_fixture.h"

#include <cstdint>

namespace tf {
namespace {

struct Header {
    std::uint16_t tag = 1;
    std::uint16_t channels = 2;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 16;
};

void Put(std::string &bytes, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A header with the four deciding fields set, then 400 bytes of silence.
std::string Wave(Header h) {
    std::string b(44 + 400, '\0');
    Put(b, 20, h.tag, 2);
    Put(b, 22, h.channels, 2);
    Put(b, 24, h.rate, 4);
    Put(b, 34, h.bits, 2);
    return b;
}

struct Case {
    const char *what;
    std::string bytes; // empty: the file does not exist
    bool exists;
    const char *german; // nullptr: accepted
    const char *english;
};

constexpr const char *kInvalid[] = {"Kein gültiges WAVE-Format", "Invalid wave format"};
constexpr const char *kMono[] = {"Mono-Waves können nicht verarbeitet werden.",
                                 "Mono waves cannot be used."};
constexpr const char *kRate[] = {"Nur Waves mit 44.1 kHz können verwendet werden.",
                                 "Only waves with 44.1 kHz can be used."};
constexpr const char *kBits[] = {"Nur Waves mit 16 Bit können verwendet werden.",
                                 "Only waves with 16 Bit can be used."};

// Which field decides and in what order is the library's check, pinned there;
// here each verdict's words and the way the bytes are read.
std::vector<Case> Cases() {
    return {
        {"accepted", Wave({}), true, nullptr, nullptr},
        {"48000 Hz", Wave({1, 2, 48000, 16}), true, kRate[0], kRate[1]},
        {"mono 22050 Hz: channels first", Wave({1, 1, 22050, 16}), true, kMono[0], kMono[1]},
        {"8 bit", Wave({1, 2, 44100, 8}), true, kBits[0], kBits[1]},
        {"float tag 3", Wave({3, 2, 44100, 32}), true, kInvalid[0], kInvalid[1]},
        {"empty file", "", true, kInvalid[0], kInvalid[1]},
        {"header cut before the bits field", Wave({}).substr(0, 30), true, kBits[0], kBits[1]},
        {"missing file", "", false, kInvalid[0], kInvalid[1]},
    };
}

using WaveCheckTest = testing::MainWindowTest<>;

TEST_F(WaveCheckTest, EachFieldIsCheckedInOrderInBothLanguages) {
    fs.AddDrive("c:", kDriveFixed);
    for (bool german : {true, false}) {
        W().Deutsch.set_value(german);
        W().Englisch.set_value(!german);
        for (const Case &c : Cases()) {
            SCOPED_TRACE(std::string(c.what) + (german ? " (German)" : " (English)"));
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
    fs.WriteFile("e:\\a.wav", Wave({}));
    fs.drive("e:").ready = false;
    W().Quell_Wave_Pfad = "e:\\a.wav";
    EXPECT_EQ(W().Header_auslesen(), 0);
    EXPECT_EQ(LastMessage(), kInvalid[0]);
}

} // namespace
} // namespace tf
