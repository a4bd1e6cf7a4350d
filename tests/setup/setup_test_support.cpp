#include "setup_test_support.h"

namespace tf::setup::test {

std::vector<std::string> TableFiles() {
    std::vector<std::string> names;
    for (const Dateieintrag &e : Dateiliste_fuellen("c:/windows/"))
        if (!e.Dateiname.empty())
            names.push_back(e.Dateiname);
    return names;
}

std::vector<std::string> RegisteredFiles() {
    std::vector<std::string> r;
    for (const std::string &f : TableFiles())
        if (f.ends_with(".dll") || f.ends_with(".ocx"))
            r.push_back(f);
    return r;
}

namespace {
void Put32(std::string &b, std::size_t at, std::uint32_t v) {
    if (b.size() < at + 4)
        b.resize(at + 4, '\0');
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string &b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}
} // namespace

std::string PeImage(const std::vector<std::string> &names, const std::string &tail) {
    constexpr std::uint32_t kRva = 0x1000, kRaw = 0x200;
    std::string b(kRaw, '\0');
    b[0] = 'M', b[1] = 'Z';
    Put32(b, 0x3C, 0x40);
    b.replace(0x40, 4, std::string("PE\0\0", 4));
    Put16(b, 0x44, 0x8664);
    Put16(b, 0x46, 1);     // one section
    Put16(b, 0x54, 240);   // optional header size
    Put16(b, 0x58, 0x20b); // PE32+
    Put32(b, 0x58 + 108, 16);
    // The export table: its directory, the array of name addresses, the names.
    std::string ex(40, '\0');
    Put32(ex, 24, static_cast<std::uint32_t>(names.size()));
    Put32(ex, 32, kRva + 40);
    std::string text;
    const std::uint32_t first = kRva + 40 + 4 * static_cast<std::uint32_t>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        Put32(ex, 40 + 4 * i, first + static_cast<std::uint32_t>(text.size()));
        text += names[i] + '\0';
    }
    ex += text;
    Put32(b, 0x58 + 112, kRva);
    Put32(b, 0x58 + 116, static_cast<std::uint32_t>(ex.size()));
    const std::size_t sec = 0x58 + 240;
    b.replace(sec, 6, ".edata");
    Put32(b, sec + 8, static_cast<std::uint32_t>(ex.size()));
    Put32(b, sec + 12, kRva);
    Put32(b, sec + 16, static_cast<std::uint32_t>(ex.size()));
    Put32(b, sec + 20, kRaw);
    return b + ex + tail;
}

std::string MediumContent(const std::string &file) {
    const std::string text = "content of " + file;
    if (file.ends_with(".dll") || file.ends_with(".ocx"))
        return PeImage({"DllCanUnloadNow", "DllRegisterServer"}, text);
    return text;
}

SetupMachine::SetupMachine() {
    fs.AddDrive("c:", kDriveFixed);
    fs.MakeFolders("c:\\windows\\System32");
    fs.MakeFolders(kDesktop);
    fs.AddDrive("d:", kDriveCdRom);
    fs.SetCurrentDrive("d:");
    fs.MakeFolders("d:\\medium");
    fs.SetCurrentFolder("d:", "\\medium");
    clock.SetTime(12, 0, 0);
    shell.special_folders[0] = kDesktop;
    shell.special_folders[kCsidlCommonDesktop] = kPublicDesktop;
    shell.special_folders[kCsidlCommonPrograms] = kStartMenu;
    fs.MakeFolders(kPublicDesktop);
    fs.MakeFolders(kStartMenu);
    fs.WriteFile("d:\\medium\\Setup.exe", "the installer");
    shell.fs = &fs;
    NewProgram();
}

void SetupMachine::PutMediumFiles(const DateTime &when) {
    for (const std::string &f : TableFiles()) {
        fs.WriteFile("d:\\medium\\" + f, MediumContent(f));
        fs.SetLastModified("d:\\medium\\" + f, when);
    }
}

void SetupMachine::NewProgram() {
    program.reset();
    program = std::make_unique<SetupProgramm>(SetupServices{
        fs, clock, events, processes, shell, windows, boxes, registry, "d:\\medium\\Setup.exe"});
}

Fenster2 &SetupMachine::LoadInstallWindow(bool english) {
    program->fenster1.Form_Load();
    if (english)
        program->fenster1.Englisch.Click();
    program->fenster2.Form_Load();
    return program->fenster2;
}

} // namespace tf::setup::test
