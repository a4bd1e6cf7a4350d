// Setup.exe: wires the Win32 services and windows to the installer.
//   Setup.exe            the four windows, welcome to completion
//   Setup.exe /S         installs without any window (administrators); its
//                        exit status says what is in place (see /?)
//   Setup.exe /uninstall [/S]
//                        removes Trackforge, asking once (without /S)
//   Setup.exe /?         lists the above
// A further switch, /ansicht:<1..4>:<de|en>, only shows one window in one
// language for taking its picture: its buttons do nothing.
#include "platform/trace_log.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/trace_sink_win32.h"
#include "platform/win32/ui/window_system_win32.h"
#include "platform/win32/wide.h"
#include "setup/deinstallation.h"
#include "setup/fenster.h"
#include "tf_version.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

using tf::setup::Meldung;

std::vector<std::wstring> Arguments() {
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < argc; ++i)
        args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

bool HasSwitch(const wchar_t *a, const wchar_t *b) {
    for (const std::wstring &arg : Arguments())
        if (arg == a || arg == b)
            return true;
    return false;
}

bool Unattended() {
    return HasSwitch(L"/S", L"/s");
}

std::wstring Fenstertitel() {
    return tf::win32::Widen(
        tf::setup::Text(Meldung::Titel, tf::Language::German, {tf::setup::kProduktName}));
}

// The language of the system's user interface; the installer's own choice is
// not made yet.
tf::Language SystemLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN ? tf::Language::German
                                                                    : tf::Language::English;
}

// To the console or file the caller gave; without one, in a box.
void Usage() {
    const std::string text = tf::setup::Text(Meldung::Aufruf, SystemLanguage());
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((!out || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
        out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE &&
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return;
    tf::win32::SwallowedError("Setup /?", "no standard output", GetLastError());
    MessageBoxW(nullptr, tf::win32::Widen(text).c_str(), Fenstertitel().c_str(), MB_OK);
}

// An unattended install must never stop at a box nobody is there to answer.
void ReportFailure(const std::string &text) {
    tf::trace::Swallowed("Setup", text);
    if (!Unattended())
        MessageBoxW(nullptr, tf::win32::Widen(text).c_str(), Fenstertitel().c_str(),
                    MB_OK | MB_ICONERROR);
}

// A running program cannot be deleted, but it can be renamed on its volume.
// The uninstaller moves itself out of the program folder (into the temporary
// folder, or beside the program folder when that is on another volume) and
// is deleted at the next restart.
void MoveSelfAside(const std::wstring &self) {
    const std::wstring folder = self.substr(0, self.find_last_of(L"\\/"));
    const std::wstring installed = tf::win32::Widen(std::string(tf::setup::kProgrammOrdner) + "\\" +
                                                    tf::setup::kDeinstallationsDatei);
    if (_wcsicmp(self.c_str(), installed.c_str()) != 0)
        return;
    const std::wstring name =
        L"Trackforge-Uninstall-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::vector<std::wstring> places;
    if (n > 0 && n <= MAX_PATH)
        places.push_back(std::wstring(temp) + name);
    places.push_back(folder.substr(0, folder.find_last_of(L"\\/")) + L"\\" + name);
    for (const std::wstring &to : places) {
        if (MoveFileExW(self.c_str(), to.c_str(), 0)) {
            if (!MoveFileExW(to.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
                tf::win32::SwallowedError("Setup /uninstall", "delete at restart", GetLastError());
            return;
        }
        tf::win32::SwallowedError("Setup /uninstall", "move aside", GetLastError());
    }
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

// The window's buttons do nothing here; the language is set through the
// handlers themselves.
void Zeigen(tf::setup::SetupProgramm &p, const Ansicht &a, tf::ui::WindowSystem &windows) {
    p.kontext.vorschau = true;
    if (a.fenster == 1) {
        windows.Show(p.fenster1);
        if (a.englisch) {
            p.fenster1.Englisch.set_value(true);
            p.fenster1.Englisch_Click();
        }
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
    auto boxes = tf::win32::MakeMessageBoxes();
    auto registry = tf::win32::MakeRegistry();
    const std::wstring self = tf::win32::ProgramPath();
    const tf::setup::Fenster1 *sprache = nullptr;
    tf::win32::WindowSystemOptions options;
    options.handler_error_text = [&sprache] {
        return std::string(sprache ? sprache->Text(tf::setup::Meldung::Handler_Fehler) : "");
    };
    options.window_class = "TrackforgeSetupForm";
    options.error_title = "Setup " + std::string(tf::setup::kProduktName);
    tf::win32::Win32WindowSystem windows(std::move(options));
    tf::setup::SetupServices services{*fs,        *clock,    *events,
                                      *processes, *shell,    windows,
                                      *boxes,     *registry, tf::win32::Narrow(self)};
    if (HasSwitch(L"/uninstall", L"/UNINSTALL")) {
        tf::setup::Deinstallation d(services, SystemLanguage());
        d.vor_dem_entfernen = [&self] { MoveSelfAside(self); };
        return d.Ausfuehren(Unattended());
    }
    tf::setup::SetupProgramm programm(services);
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
    tf::win32::InstallTraceSink("Setup");
    tf::win32::TraceStart(TF_VERSION);
    if (HasSwitch(L"/?", L"/h")) {
        Usage();
        return 0;
    }
    try {
        return RunSetup();
    } catch (const std::exception &e) {
        ReportFailure(e.what());
    } catch (...) {
        ReportFailure(tf::setup::Text(Meldung::Unerwarteter_Fehler, tf::Language::German));
    }
    return tf::setup::kSetupGescheitert;
}
