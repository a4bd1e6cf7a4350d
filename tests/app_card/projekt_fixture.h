#pragma once
// The main window over the test doubles: a drive table, scripted message
// boxes and dialogs, a clock that only moves when told, and a recording pump.

#include "app/shell/projekt.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_window_system.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tf::testing {

template <class FileSystemDouble = fake::FakeFileSystem>
class ProjektTest : public ::testing::Test {
  protected:
    FileSystemDouble fs;
    fake::ScriptedMessageBoxes msg;
    fake::ScriptedFileDialogs dialogs;
    fake::FakeClock clock;
    fake::RecordingEventPump events{&clock, 1.0}; // each DoEvents lets a second pass
    fake::RecordingMci mci;
    fake::FakeCursorApi cursor;
    fake::FakeConversionLibrary library;
    fake::FakeAppPaths paths;
    fake::FakeLocale locale;
    fake::FakeWindowSystem windows;

    // Made on first use, so a test sets up its drives first.
    Projekt& W() {
        if (!window_) {
            window_ = std::make_unique<Projekt>(ProjektServices{fs, msg, dialogs, clock, events,
                                                                mci, cursor, library, paths,
                                                                locale, windows});
            window_->Deutsch.set_value(true);
        }
        return *window_;
    }
    void English() { W().Englisch.set_value(true); }

    // Picks a drive in the drive list as a user would; runs Drive1_Change.
    void PickDrive(const std::string& letter) {
        W().Drive1.Refresh();
        const auto& items = W().Drive1.items();
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

} // namespace tf::testing
