// The library as a caller sees it: loaded by file name, the one export looked
// up by its plain name, called with 8-bit strings.
#include "library/Sonwerk_Projekt.h"
#include "library_test_support.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tf::test {
namespace {

using Entry = int32_t(SONWERK_CALL *)(char *, char *, char *, char *);

// Loads the library the way the desktop program does (by file name through the
// ordinary search) and keeps it loaded for the whole test program.
Entry load_entry() {
#ifdef _WIN32
    static HMODULE module = LoadLibraryA("Sonwerk_Projekt.dll");
    return module ? reinterpret_cast<Entry>(
                        reinterpret_cast<void *>(GetProcAddress(module, "Projektdatei_erstellen")))
                  : nullptr;
#else
    static void *module = dlopen(TF_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    return module ? reinterpret_cast<Entry>(dlsym(module, "Projektdatei_erstellen")) : nullptr;
#endif
}

class Export : public ::testing::Test {
  protected:
    void SetUp() override {
        entry = load_entry();
        ASSERT_NE(entry, nullptr) << "library or export not found";
    }
    Entry entry = nullptr;
    TempDir dir;
};

TEST_F(Export, WritesTheSameBytesAsTheReference) {
    // A Windows-1252 umlaut in the path and the name, as the desktop program passes them.
    const std::string wave_path = dir.file("M\xFCsik.wav");
    const std::string target_path = dir.file("Pr\xF6jekt.kpf");
    Bytes list;
    put_chunk(list, "LIST", Bytes(10, 'i'));
    const Bytes wave = make_wave(pattern(600'001, 11), list);
    write_bytes(wave_path, wave);
    std::string source = wave_path, target = target_path;
    std::string name = "Gr\xFC\xDF"
                       "e\t" +
                       std::string(24, 'x');
    const std::string name_before = name;
    std::string code = "0120";

    ASSERT_EQ(entry(source.data(), target.data(), name.data(), code.data()), -4);
    EXPECT_EQ(read_bytes(target_path), reference_project(wave, name_before, "0120"));
    EXPECT_EQ(name, "Gr\xF5 e " + std::string(24, 'x')) << "name buffer rewritten in place";
}

TEST_F(Export, FailuresComeBackAsResultCodes) {
    std::string name(30, ' '), code = "0120";
    std::string missing = dir.file("missing.wav"), target = dir.file("out.kpf");
    EXPECT_EQ(entry(missing.data(), target.data(), name.data(), code.data()), -1);
    EXPECT_EQ(entry(nullptr, target.data(), name.data(), code.data()), -1);
    std::string wave = dir.file("in.wav");
    write_bytes(wave, make_wave(Bytes(4, 0)));
    EXPECT_EQ(entry(wave.data(), nullptr, name.data(), code.data()), -2);
    std::string no_folder = dir.file("none/out.kpf");
    EXPECT_EQ(entry(wave.data(), no_folder.data(), name.data(), code.data()), -2);
    EXPECT_EQ(entry(wave.data(), wave.data(), name.data(), code.data()), -2);
    EXPECT_EQ(read_bytes(wave), make_wave(Bytes(4, 0)));
}

#ifdef _WIN32
TEST_F(Export, TargetThatIsAHardLinkToTheSourceIsRefused) {
    std::string wave = dir.file("in.wav");
    const Bytes bytes = make_wave(Bytes(400, 3));
    write_bytes(wave, bytes);
    std::string link = dir.file("link.kpf");
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), wave.c_str(), nullptr));
    std::string name(30, ' '), code = "0120";
    EXPECT_EQ(entry(wave.data(), link.data(), name.data(), code.data()), -2);
    std::string other_spelling = dir.path().string() + "\\.\\IN.WAV";
    EXPECT_EQ(entry(wave.data(), other_spelling.data(), name.data(), code.data()), -2);
    EXPECT_EQ(read_bytes(wave), bytes);
}
#endif

} // namespace
} // namespace tf::test
