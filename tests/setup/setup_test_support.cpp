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
    shell.fs = &fs;
    NewProgram();
}

void SetupMachine::PutMediumFiles(const DateTime &when) {
    for (const std::string &f : TableFiles()) {
        fs.WriteFile("d:\\medium\\" + f, "content of " + f);
        fs.SetLastModified("d:\\medium\\" + f, when);
    }
}

void SetupMachine::NewProgram() {
    program.reset();
    program = std::make_unique<SetupProgramm>(
        SetupServices{fs, clock, events, processes, shell, windows});
}

Fenster2 &SetupMachine::LoadInstallWindow(bool english) {
    program->fenster1.Form_Load();
    if (english)
        program->fenster1.Englisch.Click();
    program->fenster2.Form_Load();
    return program->fenster2;
}

} // namespace tf::setup::test
