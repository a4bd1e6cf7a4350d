#pragma once
// The main window over the test doubles, for the card, conversion and shell
// tests: a drive table, scripted message boxes and dialogs, a clock that only
// moves when told, and a recording pump. The window is made on first use, so
// a test sets up its drives first.

#include "app/shell/projekt.h"
#include "app/shell/settings.h"
#include "platform/fake/fake_audio_preparation.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_window_system.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

namespace tf::testing {

// Every service of the main window doubled but its file system, which each
// test chooses; the audio double works on `audio_fs`. Each DoEvents lets
// this much time pass, so the waits end.
struct WindowDoubles {
    explicit WindowDoubles(fake::FakeFileSystem &audio_fs, double seconds_per_event_round = 1.0)
        : events{&clock, seconds_per_event_round}, audio{audio_fs} {}
    ProjektServices Over(FileSystem &fs) {
        return ProjektServices{fs,      msg,   dialogs, clock,   events, mci,  cursor,
                               library, paths, locale,  windows, shell,  audio};
    }
    fake::ScriptedMessageBoxes msg;
    fake::ScriptedFileDialogs dialogs;
    fake::FakeClock clock;
    fake::RecordingEventPump events;
    fake::RecordingMci mci;
    fake::FakeCursorApi cursor;
    fake::FakeConversionLibrary library;
    fake::FakeAppPaths paths;
    fake::FakeLocale locale;
    fake::FakeWindowSystem windows;
    fake::FakeShellApi shell;
    fake::FakeAudioPreparation audio;
};

// Made before the doubles that are handed it.
template <class FileSystemDouble> struct FileSystemFirst { FileSystemDouble fs; };

template <class FileSystemDouble = fake::FakeFileSystem>
class MainWindowTest : public ::testing::Test,
                       protected FileSystemFirst<FileSystemDouble>,
                       protected WindowDoubles {
  protected:
    explicit MainWindowTest(double seconds_per_event_round = 1.0)
        : WindowDoubles(this->fs, seconds_per_event_round) {}
    using FileSystemFirst<FileSystemDouble>::fs;

    bool german_at_start = true; // as after picking the German flag

    Projekt &W() {
        if (!window_) {
            window_ = std::make_unique<Projekt>(Over(fs));
            if (german_at_start)
                window_->Deutsch.set_value(true);
        }
        return *window_;
    }
    void English() { W().Englisch.set_value(true); }

    // Picks a drive in the drive list as a user would; runs Drive1_Change.
    void PickDrive(const std::string &letter) {
        W().Drive1.Refresh();
        const auto &items = W().Drive1.items();
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i][0] == letter[0]) {
                W().Drive1.SelectFromUser(static_cast<int>(i));
                return;
            }
        FAIL() << "no drive " << letter << " in the list";
    }

    std::string LastMessage() const { return msg.calls.empty() ? "" : msg.calls.back().text; }

  private:
    std::unique_ptr<Projekt> window_;
};

// Drive c: and a reader e: holding a full-size card with all of it free, as
// the card tests start.
template <class FileSystemDouble = fake::FakeFileSystem>
class CardTest : public MainWindowTest<FileSystemDouble> {
  protected:
    CardTest() {
        this->fs.AddDrive("c:", kDriveFixed);
        card_ = &this->fs.AddDrive("e:", kDriveRemovable);
        card_->total_bytes = card_->available_bytes = 125000 * 1024ull;
    }
    fake::FakeDrive *card_ = nullptr;
};

// The window as the program starts it: drive c: holds the program folder and
// the user's data folder, e: is a card reader with a 128 MB FAT card, no
// language chosen yet, and a quarter of a second per event round.
class ShellTest : public MainWindowTest<> {
  protected:
    ShellTest() : MainWindowTest(0.25) {
        german_at_start = false;
        fs.AddDrive("c:", kDriveFixed);
        fs.AddDrive("e:", kDriveRemovable);
        fs.MakeFolders(paths.program_folder);
        fs.MakeFolders(paths.user_data_folder);
        clock.SetTime(14, 7, 0);
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
};

} // namespace tf::testing
