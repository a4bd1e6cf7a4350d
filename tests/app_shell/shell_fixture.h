#pragma once
// A main window over doubles: drive c: holds the program folder and the user's
// data folder, e: is a card reader with a 128 MB FAT card.

#include "app/shell/projekt.h"
#include "app/shell/settings.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_window_system.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tf::test {

class ShellTest : public ::testing::Test {
  protected:
    ShellTest() {
        fs.AddDrive("c:", kDriveFixed);
        fs.AddDrive("e:", kDriveRemovable);
        fs.MakeFolders(paths.program_folder);
        fs.MakeFolders(paths.user_data_folder);
        // Every DoEvents lets a quarter of a second pass, so the waits end.
        events = std::make_unique<fake::RecordingEventPump>(&clock, 0.25);
        clock.SetTime(14, 7, 0);
        window = std::make_unique<Projekt>(ProjektServices{
            fs, msg, dialogs, clock, *events, mci, cursor, library, paths, locale, windows});
    }

    std::string ProgramSettings() const { return paths.program_folder + "\\Trackforge.kps"; }
    std::string UserSettings() { return UserSettingsFile(paths); }
    // A settings file as the program writes it: lines ended by CR LF.
    void WriteSettings(const std::string &path, std::initializer_list<std::string> lines) {
        std::string bytes;
        for (const std::string &l : lines)
            bytes += l + "\r\n";
        fs.WriteFile(path, bytes);
    }

    fake::FakeFileSystem fs;
    fake::ScriptedMessageBoxes msg;
    fake::ScriptedFileDialogs dialogs;
    fake::FakeClock clock;
    std::unique_ptr<fake::RecordingEventPump> events;
    fake::RecordingMci mci;
    fake::FakeCursorApi cursor;
    fake::FakeConversionLibrary library;
    fake::FakeAppPaths paths;
    fake::FakeLocale locale;
    fake::FakeWindowSystem windows;
    std::unique_ptr<Projekt> window;
};

} // namespace tf::test
