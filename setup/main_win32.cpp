// Setup.exe: wires the Win32 services and windows to the installer.
//   Setup.exe            the four windows, welcome to completion
//   Setup.exe /S         installs without any window (administrators); exit code 0
// A further switch, /ansicht:<1..4>:<de|en>, only shows one window in one
// language and stays there, for taking pictures of the windows.
#include "platform/win32/services_win32.h"
#include "platform/win32/ui/window_system_win32.h"
#include "platform/win32/wide.h"
#include "setup/fenster.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Arguments() {
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < argc; ++i)
        args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

bool Unattended() {
    for (const std::wstring &arg : Arguments())
        if (arg == L"/S" || arg == L"/s")
            return true;
    return false;
}

// An unattended install must never stop at a box nobody is there to answer.
void ReportFailure(const std::wstring &text) {
    if (!Unattended())
        MessageBoxW(nullptr, text.c_str(), L"Setup Trackforge", MB_OK | MB_ICONERROR);
}

struct Ansicht {
    int fenster = 1;
    bool englisch = false;
};

// "/ansicht:3:en"
std::optional<Ansicht> AnsichtAus(const std::wstring &arg) {
    const std::wstring prefix = L"/ansicht:";
    if (arg.size() < prefix.size() + 1 ||
        _wcsnicmp(arg.c_str(), prefix.c_str(), prefix.size()) != 0)
        return std::nullopt;
    Ansicht a;
    a.fenster = arg[prefix.size()] - L'0';
    if (a.fenster < 1 || a.fenster > 4)
        return std::nullopt;
    a.englisch =
        arg.size() >= prefix.size() + 4 && _wcsicmp(arg.c_str() + prefix.size() + 2, L"en") == 0;
    return a;
}

void Zeigen(tf::setup::SetupProgramm &p, const Ansicht &a, tf::ui::WindowSystem &windows) {
    p.kontext.vorschau = true;
    if (a.fenster == 1) {
        windows.Show(p.fenster1);
        if (a.englisch)
            p.fenster1.Englisch.Click();
        return;
    }
    p.fenster1.Form_Load();
    if (a.englisch)
        p.fenster1.Englisch_Click();
    tf::ui::Form *f[] = {nullptr, nullptr, &p.fenster2, &p.fenster3, &p.fenster4};
    windows.Show(*f[a.fenster]);
}

int RunSetup() {
    auto fs = tf::win32::MakeFileSystem();
    auto clock = tf::win32::MakeClock();
    auto events = tf::win32::MakeEventPump();
    auto processes = tf::win32::MakeProcessStarter();
    auto shell = tf::win32::MakeShellApi();
    const tf::setup::Fenster1 *sprache = nullptr;
    tf::win32::WindowSystemOptions options;
    options.handler_error_text = [&sprache] {
        return std::string(
            sprache ? sprache->Text("Das hat leider nicht geklappt.", "Sorry, that did not work.")
                    : "");
    };
    options.window_class = "TrackforgeSetupForm";
    options.error_title = "Setup " + std::string(tf::setup::kProduktName);
    tf::win32::Win32WindowSystem windows(std::move(options));
    tf::setup::SetupProgramm programm(
        tf::setup::SetupServices{*fs, *clock, *events, *processes, *shell, windows});
    sprache = &programm.fenster1;

    if (Unattended())
        return programm.Unbeaufsichtigt_installieren();
    std::optional<Ansicht> ansicht;
    for (const std::wstring &arg : Arguments())
        if (!ansicht)
            ansicht = AnsichtAus(arg);
    if (ansicht)
        Zeigen(programm, *ansicht, windows);
    else
        programm.Starten();
    return windows.Run();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return RunSetup();
    } catch (const std::exception &e) {
        ReportFailure(tf::win32::Widen(e.what()));
    } catch (...) {
        ReportFailure(L"Unexpected error");
    }
    return 1;
}
