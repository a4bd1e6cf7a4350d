// Trackforge.exe: wires the Win32 services and windows to the main window,
// shows it and runs the program until its window closes.
#include "app/shell/projekt.h"
#include "platform/audio_preparation.h"
#include "platform/steps.h"
#include "platform/trace_log.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/trace_sink_win32.h"
#include "platform/win32/ui/window_system_win32.h"
#include "platform/win32/wide.h"
#include "tf_version.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

namespace {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> Arguments() {
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> out;
    for (int i = 1; argv && i < argc; ++i)
        out.push_back(tf::win32::Narrow(argv[i]));
    LocalFree(argv);
    return out;
}

// "/info" opens the about window once the main window is up (used to take
// pictures of it without a mouse). Switches are ASCII and any case.
bool HasSwitch(const std::vector<std::string> &arguments, const std::string &name) {
    auto lower = [](std::string s) {
        for (char &c : s)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return s;
    };
    for (const std::string &argument : arguments)
        if (lower(argument) == name)
            return true;
    return false;
}

// A second start hands over its files with full paths: its current folder is
// not the running copy's.
std::vector<std::string> Absolute(tf::FileSystem &fs, std::vector<std::string> arguments) {
    for (std::string &a : arguments)
        if (!a.empty() && a[0] != '/')
            tf::steps::Skippable("hand over: GetAbsolutePathName",
                                 [&] { a = fs.GetAbsolutePathName(a); });
    return arguments;
}

int RunProgram() {
    auto fs = tf::win32::MakeFileSystem();
    auto paths = tf::win32::MakeAppPaths();
    const std::vector<std::string> arguments = Arguments();
    // Two windows of one folder would share its settings and could write one
    // card at once: the running copy takes the files instead. One that is
    // still starting is waited for; one that never shows a window is not.
    tf::win32::SingleInstance instance(paths->ProgramFolder());
    if (!instance.first() && instance.HandOver(Absolute(*fs, arguments), 10000))
        return 0;
    auto msg = tf::win32::MakeMessageBoxes();
    auto dialogs = tf::win32::MakeFileDialogs();
    auto clock = tf::win32::MakeClock();
    auto events = tf::win32::MakeEventPump();
    auto mci = tf::win32::MakeMci();
    auto cursor = tf::win32::MakeCursorApi();
    auto library = tf::win32::MakeConversionLibrary();
    auto locale = tf::win32::MakeLocale();
    auto shell = tf::win32::MakeShellApi();
    auto audio = tf::MakeAudioPreparation();
    const tf::Projekt *language_from = nullptr;
    tf::win32::WindowSystemOptions options;
    options.handler_error_text = [&language_from] {
        return language_from ? language_from->UnexpectedErrorText() : std::string();
    };
    options.window_class = tf::win32::kProgramWindowClass;
    options.error_title = tf::kTitleApp;
    tf::win32::Win32WindowSystem windows(std::move(options));

    tf::Projekt projekt(tf::ProjektServices{*fs, *msg, *dialogs, *clock, *events, *mci, *cursor,
                                            *library, *paths, *locale, windows, *shell, *audio});
    language_from = &projekt;
    windows.Show(projekt);
    instance.Announce(windows.Handle(projekt));
    if (HasSwitch(arguments, "/info"))
        PostMessageW(reinterpret_cast<HWND>(windows.ControlHandle(projekt.Info_Button)), BM_CLICK,
                     0, 0);
    projekt.Befehlszeile(arguments);
    return windows.Run();
}

} // namespace

namespace {
// Outside any window the language is not known: the plain sentence in both;
// the detail is in the trace.
void ShowStartFailure() {
    const std::string text = std::string(tf::Text(tf::Msg::UnexpectedError, tf::Language::German)) +
                             "\n\n" + tf::Text(tf::Msg::UnexpectedError, tf::Language::English);
    MessageBoxW(nullptr, tf::win32::Widen(text).c_str(), L"Trackforge", MB_OK | MB_ICONERROR);
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tf::win32::InstallTraceSink("Trackforge");
    tf::win32::TraceStart(TF_VERSION);
    try {
        return RunProgram();
    } catch (const std::exception &e) {
        tf::trace::Swallowed("WinMain", e.what());
        ShowStartFailure();
    } catch (...) {
        tf::trace::Swallowed("WinMain", "unexpected error");
        ShowStartFailure();
    }
    return 1;
}
