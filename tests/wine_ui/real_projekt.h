#pragma once
// The main window over the real Win32 file system, clock, event pump and
// window system. Message boxes and dialogs would wait for a user, so they are
// scripted; no sound, no cursor files, no library. The settings go to a
// scratch folder of the test's own, removed at its end.
#include "app/shell/projekt.h"
#include "platform/audio_preparation.h"
#include "platform/fake/fake_services.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/ui/window_system_win32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tf::test {

class RealProjekt {
  protected:
    explicit RealProjekt(const std::string &prefix) {
        const auto *unit = ::testing::UnitTest::GetInstance();
        folder =
            std::filesystem::temp_directory_path() / (prefix + std::to_string(unit->random_seed()) +
                                                      "_" + unit->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        paths.program_folder = paths.user_data_folder = folder.string();
        cursor.loaded_cursor = 0;
    }
    ~RealProjekt() {
        ws.Unload(projekt);
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    std::filesystem::path folder;
    std::unique_ptr<FileSystem> files = win32::MakeFileSystem();
    std::unique_ptr<Clock> clock = win32::MakeClock();
    std::unique_ptr<EventPump> events = win32::MakeEventPump();
    fake::ScriptedMessageBoxes msg;
    fake::ScriptedFileDialogs dialogs;
    fake::RecordingMci mci;
    fake::FakeCursorApi cursor;
    fake::FakeConversionLibrary library;
    fake::FakeAppPaths paths;
    fake::FakeLocale locale;
    fake::FakeShellApi shell;
    std::unique_ptr<AudioPreparation> audio = MakeAudioPreparation();
    std::vector<int> exit_codes;
    win32::Win32WindowSystem ws{win32::WindowSystemOptions{
        [this](int code) { exit_codes.push_back(code); },
        [](const std::string &e) { ADD_FAILURE() << "handler error: " << e; },
        [] { return std::string("a handler failed"); }, "TfForm", ""}};
    Projekt projekt{ProjektServices{*files, msg, dialogs, *clock, *events, mci, cursor, library,
                                    paths, locale, ws, shell, *audio}};
};

} // namespace tf::test
