#pragma once
// A machine for the installer to run on: drive C with its Windows folder, the
// install medium on D with Setup.exe on it (also the working folder), the
// shell folders, and recording doubles.

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_window_system.h"
#include "setup/fenster.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tf::setup::test {

// The installer's own table's files, in table order.
std::vector<std::string> TableFiles();
// The names the table registers after a copy.
std::vector<std::string> RegisteredFiles();
// A minimal PE file (64 bit) exporting `names`, followed by `tail`.
std::string PeImage(const std::vector<std::string> &names, const std::string &tail = "");
// What PutMediumFiles writes for a file: libraries and controls are images
// that export DllRegisterServer.
std::string MediumContent(const std::string &file);

inline constexpr const char *kDesktop = "c:\\Users\\Test\\Desktop";
inline constexpr const char *kLogFile = "C:\\Programme\\NOVALUX Trackforge\\TF_log.txt";
inline constexpr const char *kPublicDesktop = "c:\\Users\\Public\\Desktop";
inline constexpr const char *kStartMenu =
    "c:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

class SetupMachine : public ::testing::Test {
  protected:
    SetupMachine();

    // Puts every file of the table on the medium, dated `when`.
    void PutMediumFiles(const DateTime &when = {2004, 5, 6, 7, 8, 9});
    // A fresh installer process (the windows and their state start anew).
    void NewProgram();
    // Loads the install window as after the welcome window with the given language.
    Fenster2 &LoadInstallWindow(bool english = false);

    fake::FakeFileSystem fs;
    fake::FakeClock clock;
    fake::RecordingEventPump events{&clock, 0.25};
    fake::FakeProcessStarter processes;
    fake::FakeShellApi shell;
    fake::FakeWindowSystem windows;
    fake::ScriptedMessageBoxes boxes;
    fake::FakeRegistry registry;
    std::unique_ptr<SetupProgramm> program;
};

} // namespace tf::setup::test
