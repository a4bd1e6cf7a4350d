// The program on a system whose ANSI code page is UTF-8: every string it
// hands to an 8-bit interface (the settings file, the conversion library's
// paths, the shell link) is then the UTF-8 name itself.
#include "support/strict/utf8_codepage.h"

#include "platform/codepage.h"
#include "platform/win32/services_win32.h"

#include "strict_files_harness.h"

#include <objbase.h>
#include <shlobj.h>

namespace tf::testing {
namespace {

// Polish, German, a dash and a Euro: outside any single code page but UTF-8.
const std::string kName = "\xC5\x81\xC3\xB3"
                          "d\xC5\xBA \xE2\x80\x93 Gr\xC3\xBC\xC3\x9F"
                          "e \xE2\x82\xAC";

class Utf8CodePage : public StrictFilesTest {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(strict::EnforceUtf8CodePage());
        StrictFilesTest::SetUpTestSuite();
    }
};

TEST_F(Utf8CodePage, ANameCrossesUnchangedAndNothingIsCalledLosslessThatWasLost) {
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    bool lossless = false;
    EXPECT_EQ(Utf8ToAnsi(kName, &lossless), kName);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(AnsiToUtf8(kName), kName);
    // Bytes that are no UTF-8 cannot cross as they are.
    lossless = true;
    const std::string not_utf8 = "a\xFF";
    EXPECT_NE(Utf8ToAnsi(not_utf8, &lossless), not_utf8);
    EXPECT_FALSE(lossless);
    EXPECT_EQ(strict::RefusedConversions(), 0) << "a conversion broke UTF-8's flag rules";
}

TEST_F(Utf8CodePage, TheSettingsFileKeepsItsPaths) {
    fs.CreateFolder("s:\\strict\\" + kName);
    const std::string wave = "s:\\strict\\" + kName + "\\" + kName + ".wav";
    const std::string project = "s:\\strict\\" + kName + ".kpf";
    {
        WindowOver window(fs);
        window.paths.program_folder = "s:\\strict\\" + kName;
        window.w.CF_Laufwerk = "R:";
        window.w.Quell_Wave_Pfad = wave;
        window.w.Ziel_Projekt_Pfad = project;
        window.w.WriteSettingsFile();
    }
    EXPECT_EQ(Read("s:\\strict\\" + kName + "\\Trackforge.kps"),
              "R:\r\n" + wave + "\r\n" + project + "\r\n-1\r\n");
    WindowOver again(fs);
    again.paths.program_folder = "s:\\strict\\" + kName;
    again.w.Einstellungen_öffnen();
    EXPECT_EQ(again.w.Quell_Wave_Pfad, wave);
    EXPECT_EQ(again.w.Ziel_Projekt_Pfad, project);
    EXPECT_EQ(strict::RefusedConversions(), 0);
}

TEST_F(Utf8CodePage, TheConversionGetsItsFourStrings) {
    const std::string wave = "s:\\strict\\" + kName + ".wav";
    const std::string project = "s:\\strict\\" + kName + ".kpf";
    Write(wave, "RIFF");
    WindowOver window(fs);
    window.w.Quell_Wave_txt.set_text(wave);
    window.w.Ziel_Projekt_txt.set_text(project);
    window.w.Projektname_txt.set_text("Show");
    window.w.OK_Button_Click();
    ASSERT_EQ(window.library.calls.size(), 1u)
        << (window.msg.calls.empty() ? "" : window.msg.calls.back().text);
    EXPECT_EQ(window.library.calls[0].source, wave);
    EXPECT_EQ(window.library.calls[0].target, project);
    EXPECT_EQ(window.library.calls[0].name, "Show" + std::string(26, ' '));
    EXPECT_EQ(window.library.calls[0].code, "0120");
    EXPECT_EQ(window.w.Status_txt.text(), "Fertig");
}

// Wine's shell32 reads the ANSI link with its own code page, so the link is
// read back through the ANSI interface too: what it gives is what it got.
TEST_F(Utf8CodePage, TheShortcutNamesTheProgram) {
    const std::string program = "s:\\strict\\" + kName + ".exe";
    Write(program, "MZ");
    auto shell = win32::MakeShellApi();
    ASSERT_TRUE(shell->CreateShortcut(program, "s:\\strict\\link.lnk", "/x", kName, "s:\\strict"));

    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IShellLinkA *link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void **>(&link))));
    IPersistFile *file = nullptr;
    ASSERT_TRUE(
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))));
    ASSERT_TRUE(SUCCEEDED(file->Load(L"s:\\strict\\link.lnk", STGM_READ)));
    char text[1024] = {};
    EXPECT_TRUE(SUCCEEDED(link->GetDescription(text, sizeof text)));
    EXPECT_EQ(std::string(text), kName);
    text[0] = 0;
    link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
    EXPECT_EQ(std::string(text), program);
    file->Release();
    link->Release();
    CoUninitialize();
}

} // namespace
} // namespace tf::testing
