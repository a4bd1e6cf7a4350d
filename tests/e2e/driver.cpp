// Plays a user's whole day with the installed Trackforge.exe, from outside the
// program, through its real windows: it starts the program the desktop
// shortcut points to, chooses a 48 kHz wave file and lets the program make a
// copy the device plays, converts it, picks the card drive,
// clears the card, writes the project file onto it, switches to English and
// closes the window. Message boxes are answered from a script and every one
// seen is logged; file dialogs are filled in as a user would type a path.
//
//   e2e_driver.exe --card R --card-unix /unix/folder --wave C:\...\x.wav
//                  --target C:\...\x.kpf --name "Show 2003!"
//
// Controls are found by the name the window layer stores on each control's
// window (property "TfControl", a global atom). Exit code 0 when every check
// held, 1 otherwise; the log on stdout says which.
#include "support/wine_drive.h"
#include <windows.h>

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <winioctl.h>

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- text

std::string Utf8(const std::wstring &w) {
    if (w.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

std::wstring Upper(std::wstring s) {
    CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// Shows CR and LF, so that the log tells line breaks apart.
std::string Visible(const std::wstring &w) {
    std::string out;
    for (char c : Utf8(w)) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// ---------------------------------------------------------------- log and checks

int g_failures = 0;
const auto g_start = std::chrono::steady_clock::now();

double Elapsed() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
}

void Log(const std::string &line) {
    std::printf("[%6.2f] %s\n", Elapsed(), line.c_str());
    std::fflush(stdout);
}

void Check(bool ok, const std::string &what) {
    Log(std::string(ok ? "ok   " : "FAIL ") + what);
    if (!ok)
        ++g_failures;
}

void CheckText(const std::wstring &actual, const std::wstring &expected, const std::string &what) {
    Check(actual == expected,
          what + ": \"" + Visible(actual) + "\"" +
              (actual == expected ? "" : " expected \"" + Visible(expected) + "\""));
}

// A step that cannot go on; ends the day with what has been found so far.
struct Abort : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------- windows of the program

DWORD g_pid = 0;

// Texts of another process's windows travel with WM_GETTEXT; GetWindowText
// would give an edit control's creation text only.
std::wstring TextOf(HWND h) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return L"<no answer>";
    std::wstring s(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(h, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(s.data()),
                        SMTO_ABORTIFHUNG, 5000, &got);
    s.resize(got);
    return s;
}

std::wstring ClassOf(HWND h) {
    wchar_t name[256] = {};
    GetClassNameW(h, name, 256);
    return name;
}

bool OfProgram(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid == g_pid;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> all;
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            if (OfProgram(h) && IsWindowVisible(h))
                reinterpret_cast<std::vector<HWND> *>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

// The edit of a file dialog that takes the file name: the combo box cmb13
// (0x47C) of the newer layout, or the plain edit edt1 (0x480).
HWND FileNameEdit(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, 0x47C)) {
        if (ClassOf(combo) == L"Edit")
            return combo;
        if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr))
            return edit;
        for (HWND inner = FindWindowExW(combo, nullptr, nullptr, nullptr); inner;
             inner = FindWindowExW(combo, inner, nullptr, nullptr))
            if (HWND edit = FindWindowExW(inner, nullptr, L"Edit", nullptr))
                return edit;
    }
    return GetDlgItem(dialog, 0x480);
}

bool IsDialog(HWND h) {
    return ClassOf(h) == L"#32770";
}
bool IsFileDialog(HWND h) {
    return IsDialog(h) && FileNameEdit(h) != nullptr;
}
// A dialog is shown only once its controls are made: a file dialog still
// being built has no name box yet and must not pass for a message box.
bool IsMessageBox(HWND h) {
    return IsDialog(h) && IsWindowVisible(h) && !IsFileDialog(h);
}

// A message box's text is its longest static text (the other one holds the icon).
std::wstring MessageBoxText(HWND box) {
    std::wstring best;
    for (HWND c = FindWindowExW(box, nullptr, L"Static", nullptr); c;
         c = FindWindowExW(box, c, L"Static", nullptr)) {
        std::wstring t = TextOf(c);
        if (t.size() > best.size())
            best = t;
    }
    return best;
}

// What a user's click does, posted so that a modal box or dialog that the
// click opens does not hold the driver.
void PostClick(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

// ---------------------------------------------------------------- message boxes

struct ExpectedBox {
    std::wstring title;
    std::wstring text;
    int answer; // IDOK, IDYES, IDNO
};

struct SeenBox {
    std::wstring title, text;
    bool expected;
};

std::deque<ExpectedBox> g_expected;
std::vector<SeenBox> g_seen;

// The button that ends the box with `answer`: the button itself, and the
// dialog's command as the fallback when the click does not take.
void Answer(HWND box, int answer) {
    if (HWND b = GetDlgItem(box, answer))
        PostClick(b);
    for (int i = 0; i < 100 && IsWindow(box); ++i)
        Sleep(20);
    if (IsWindow(box)) {
        Log("the button did not close the box; sending its command");
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        for (int i = 0; i < 100 && IsWindow(box); ++i)
            Sleep(20);
    }
}

// A box that no step expects is answered so that the program goes on (No,
// else OK, else Cancel) and counted as a failure.
void AnswerUnexpected(HWND box) {
    for (int id : {IDNO, IDOK, IDCANCEL})
        if (GetDlgItem(box, id)) {
            Answer(box, id);
            return;
        }
}

// Answers every message box of the program that is up now.
void ServiceBoxes() {
    for (HWND h : TopLevelWindows()) {
        if (!IsMessageBox(h))
            continue;
        SeenBox seen{TextOf(h), MessageBoxText(h), false};
        const bool expected = !g_expected.empty() && g_expected.front().title == seen.title &&
                              g_expected.front().text == seen.text;
        seen.expected = expected;
        g_seen.push_back(seen);
        Log(std::string("message box ") + (expected ? "" : "(UNEXPECTED) ") + "\"" +
            Visible(seen.title) + "\": \"" + Visible(seen.text) + "\"");
        if (expected) {
            const int answer = g_expected.front().answer;
            g_expected.pop_front();
            Answer(h, answer);
            Log(answer == IDYES ? "answered Yes" : answer == IDNO ? "answered No" : "answered OK");
        } else {
            ++g_failures;
            AnswerUnexpected(h);
        }
    }
}

// Waits until `done`, answering boxes meanwhile; false after the timeout.
bool WaitFor(const std::function<bool()> &done, double seconds) {
    const double end = Elapsed() + seconds;
    while (true) {
        ServiceBoxes();
        if (done())
            return true;
        if (Elapsed() > end)
            return false;
        Sleep(50);
    }
}

void Expect(ExpectedBox box) {
    g_expected.push_back(std::move(box));
}

void CheckExpectedBoxesShown(const std::string &step) {
    const bool none_left = WaitFor([] { return g_expected.empty(); }, 15);
    Check(none_left, step + ": the expected message boxes were shown");
    g_expected.clear();
}

// ---------------------------------------------------------------- file dialogs

// Types the path into the open or save dialog that the click brought up, and
// presses its OK button.
void FillFileDialog(const std::wstring &path, const std::string &step) {
    HWND dialog = nullptr;
    if (!WaitFor(
            [&] {
                for (HWND h : TopLevelWindows())
                    if (IsFileDialog(h))
                        dialog = h;
                return dialog != nullptr;
            },
            20))
        throw Abort(step + ": no file dialog came up");
    Log(step + ": file dialog \"" + Visible(TextOf(dialog)) + "\"");
    HWND edit = FileNameEdit(dialog);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostClick(GetDlgItem(dialog, IDOK));
    if (!WaitFor([&] { return !IsWindow(dialog); }, 15))
        throw Abort(step + ": the file dialog stayed open");
    Log(step + ": dialog closed");
}

// ---------------------------------------------------------------- the main window

HWND g_main = nullptr;
std::map<std::wstring, HWND> g_controls;

void FindControls() {
    g_controls.clear();
    EnumChildWindows(
        g_main,
        [](HWND h, LPARAM) -> BOOL {
            const auto atom =
                static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(h, L"TfControl")));
            wchar_t name[256] = {};
            if (atom && GlobalGetAtomNameW(atom, name, 256))
                g_controls[name] = h;
            return TRUE;
        },
        0);
}

HWND Control(const std::wstring &name) {
    auto it = g_controls.find(name);
    if (it == g_controls.end())
        throw Abort("no control named " + Utf8(name) + " on the main window");
    return it->second;
}

std::wstring Text(const std::wstring &control) {
    return TextOf(Control(control));
}

bool WaitForText(const std::wstring &control, const std::wstring &text, double seconds) {
    return WaitFor([&] { return Text(control) == text; }, seconds);
}

void CheckTextBecomes(const std::wstring &control, const std::wstring &expected, double seconds) {
    WaitForText(control, expected, seconds);
    CheckText(Text(control), expected, Utf8(control));
}

std::vector<std::wstring> ListItems(HWND list) {
    const bool combo = ClassOf(list) == L"ComboBox";
    std::vector<std::wstring> items;
    const auto count = SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto n =
            SendMessageW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring s(static_cast<size_t>(std::max<LRESULT>(n, 0)) + 1, L'\0');
        SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(std::max<LRESULT>(n, 0)));
        items.push_back(s);
    }
    return items;
}

std::string Joined(const std::vector<std::wstring> &items) {
    std::string out;
    for (const auto &i : items)
        out += (out.empty() ? "" : ", ") + Visible(i);
    return "[" + out + "]";
}

bool Contains(const std::vector<std::wstring> &items, const std::wstring &wanted) {
    for (const auto &i : items)
        if (_wcsicmp(i.c_str(), wanted.c_str()) == 0)
            return true;
    return false;
}

// ---------------------------------------------------------------- sizes in kB

// Bytes to kB as the program counts them: nearest integer, halves to even.
long long Kb(unsigned long long bytes) {
    return std::llrint(static_cast<double>(bytes) / 1024.0);
}

// "1.541 kByte" -> 1541, whatever the digit grouping; -1 when not of that form.
long long KbShown(const std::wstring &text) {
    const std::wstring suffix = L" kByte";
    if (text.size() <= suffix.size() ||
        text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0)
        return -1;
    long long value = 0;
    bool digits = false;
    for (wchar_t c : text.substr(0, text.size() - suffix.size())) {
        if (c >= L'0' && c <= L'9') {
            value = value * 10 + (c - L'0');
            digits = true;
        } else if (c != L'.' && c != L',' && c != L' ' && c != L'\'' && c != 0xA0 && c != 0x202F) {
            return -1;
        }
    }
    return digits ? value : -1;
}

void CheckKb(const std::wstring &control, long long expected) {
    const std::wstring shown = Text(control);
    Check(KbShown(shown) == expected, Utf8(control) + ": \"" + Utf8(shown) + "\" expected " +
                                          std::to_string(expected) + " kByte");
}

unsigned long long FileBytes(const std::wstring &path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a))
        throw Abort("cannot read the size of " + Utf8(path));
    return (static_cast<unsigned long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

struct DriveSpace {
    unsigned long long available = 0, total = 0;
};

DriveSpace SpaceOf(const std::wstring &root) {
    ULARGE_INTEGER available{}, total{}, free_total{};
    if (!GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free_total))
        throw Abort("no space figures for " + Utf8(root));
    return {available.QuadPart, total.QuadPart};
}

std::vector<std::wstring> FolderEntries(const std::wstring &folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::wcscmp(fd.cFileName, L".") != 0 && std::wcscmp(fd.cFileName, L"..") != 0)
            names.push_back(fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return names;
}

// ---------------------------------------------------------------- setting the stage

struct ComInit {
    ComInit() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComInit() { CoUninitialize(); }
};

template <class I> struct Released {
    I *p = nullptr;
    ~Released() {
        if (p)
            p->Release();
    }
};

// The program the desktop shortcut starts (on the public desktop: the install is
// per machine), read through the shell's link object.
std::wstring ShortcutTarget() {
    ComInit com;
    wchar_t desktop[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY, nullptr, 0, desktop)))
        throw Abort("no desktop folder");
    Released<IShellLinkW> link;
    Released<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void **>(&link.p))) ||
        FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file.p))))
        throw Abort("no shell link object");
    if (FAILED(file.p->Load((std::wstring(desktop) + L"\\Trackforge.lnk").c_str(), STGM_READ)))
        throw Abort("no Trackforge.lnk on the public desktop");
    wchar_t path[MAX_PATH] = {};
    link.p->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
    return path;
}

bool DefineRemovableDrive(wchar_t letter, const std::string &unix_folder) {
    return tf::testing::DefineWineDrive(letter, unix_folder, DRIVE_REMOVABLE);
}

struct Process {
    PROCESS_INFORMATION info{};
    ~Process() {
        if (info.hThread)
            CloseHandle(info.hThread);
        if (info.hProcess)
            CloseHandle(info.hProcess);
    }
};

void Start(const std::wstring &program, Process &p, const std::wstring &argument = L"") {
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    std::wstring command = L"\"" + program + L"\"";
    if (!argument.empty())
        command += L" \"" + argument + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &si, &p.info))
        throw Abort("cannot start " + Utf8(program));
    g_pid = p.info.dwProcessId;
    WaitForInputIdle(p.info.hProcess, 15000);
}

HWND FindMainWindow() {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND h : TopLevelWindows())
                if (ClassOf(h) == L"TrackforgeForm" && TextOf(h).rfind(L"Korvant NOVALUX", 0) == 0)
                    found = h;
            return found != nullptr;
        },
        30);
    return found;
}

// ---------------------------------------------------------------- the day

struct Options {
    std::wstring card_letter; // "R"
    std::string card_unix;
    std::wstring wave, target, name;
};

Options Parse(int argc, wchar_t **argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring key = argv[i], value = argv[i + 1];
        if (key == L"--card")
            o.card_letter = Upper(value.substr(0, 1));
        else if (key == L"--card-unix")
            o.card_unix = Utf8(value);
        else if (key == L"--wave")
            o.wave = value;
        else if (key == L"--target")
            o.target = value;
        else if (key == L"--name")
            o.name = value;
    }
    if (o.card_letter.empty() || o.card_unix.empty() || o.wave.empty() || o.target.empty() ||
        o.name.empty())
        throw Abort(
            "usage: e2e_driver --card R --card-unix DIR --wave PATH --target PATH --name NAME");
    return o;
}

const std::wstring kNovalux = L"NOVALUX";

void FirstLook() {
    CheckText(Text(L"Projektname_txt"), L"Unbenannt", "name box at first start");
    CheckText(Text(L"Karte_löschen"), L"Compact Flash Karte löschen", "Karte_löschen in German");
    CheckText(Text(L"Command3"), L"Schließen", "Command3 in German");
    CheckText(Text(L"Label5"), L"CF-Laufwerk:", "Label5 in German");
    CheckText(Text(L"Frame2"), L"Wave-Datei in Project-Datei umwandeln", "Frame2 in German");
}

// The copy the program offers to make of a wave it refuses, beside the original.
std::wstring PreparedCopy(const std::wstring &wave) {
    return wave.substr(0, wave.find_last_of(L'.')) + L" (Tarvolin Audio).wav";
}

// The wave dialog lists the wave entry first and selected, then all audio files.
void CheckWaveFilters() {
    HWND dialog = nullptr;
    WaitFor(
        [&] {
            for (HWND h : TopLevelWindows())
                if (IsFileDialog(h))
                    dialog = h;
            return dialog != nullptr;
        },
        20);
    HWND types = dialog ? GetDlgItem(dialog, 0x470) : nullptr; // cmb1, the file types
    if (!types) {
        Check(false, "wave dialog: no list of file types");
        return;
    }
    const auto items = ListItems(types);
    Check(items.size() == 2 && items[0] == L"Wave-Datei (*.wav)" &&
              items[1] == L"Audio-Dateien (*.wav;*.flac;*.mp3;*.ogg;*.m4a;*.wma)",
          "wave dialog file types " + Joined(items));
    Check(SendMessageW(types, CB_GETCURSEL, 0, 0) == 0, "wave dialog starts on the wave entry");
}

// A 48 kHz file: refused with the rate message, then the offer of a copy,
// answered Yes; the copy is taken as if chosen.
void ChooseWave(const Options &o) {
    const std::wstring copy = PreparedCopy(o.wave);
    Expect({L"Trackforge", L"Nur Waves mit 44.1 kHz können verwendet werden.", IDOK});
    Expect({L"Trackforge",
            L"Soll Trackforge eine Kopie im Format des Tarvolin Audio erstellen (44,1 kHz, "
            L"16 Bit, Stereo)?",
            IDYES});
    PostClick(Control(L"Quell_Wave_Button"));
    CheckWaveFilters();
    FillFileDialog(o.wave, "wave dialog");
    CheckExpectedBoxesShown("48 kHz wave");
    WaitFor([&] { return _wcsicmp(Text(L"Quell_Wave_txt").c_str(), copy.c_str()) == 0; }, 60);
    Check(_wcsicmp(Text(L"Quell_Wave_txt").c_str(), copy.c_str()) == 0,
          "Quell_Wave_txt: \"" + Utf8(Text(L"Quell_Wave_txt")) + "\"");
    WaitFor([] { return KbShown(Text(L"Wave_Größe_txt")) >= 0; }, 10);
    CheckKb(L"Wave_Größe_txt", Kb(FileBytes(copy)));
}

void TypeName(const Options &o) {
    HWND box = Control(L"Projektname_txt");
    SendMessageW(box, EM_SETSEL, 0, -1); // typing replaces the selected default name
    for (wchar_t c : o.name)
        SendMessageW(box, WM_CHAR, c, 1);
    CheckText(Text(L"Projektname_txt"), o.name, "typed project name");
}

void ChooseTarget(const Options &o) {
    PostClick(Control(L"Ziel_Projekt_Button"));
    FillFileDialog(o.target, "project file dialog");
    WaitFor([&] { return _wcsicmp(Text(L"Ziel_Projekt_txt").c_str(), o.target.c_str()) == 0; }, 10);
    Check(_wcsicmp(Text(L"Ziel_Projekt_txt").c_str(), o.target.c_str()) == 0,
          "Ziel_Projekt_txt: \"" + Utf8(Text(L"Ziel_Projekt_txt")) + "\"");
    WaitFor([] { return KbShown(Text(L"Freier_Speicherplatz_txt")) >= 0; }, 10);
    Check(KbShown(Text(L"Freier_Speicherplatz_txt")) > 0,
          "Freier_Speicherplatz_txt: \"" + Utf8(Text(L"Freier_Speicherplatz_txt")) + "\"");
}

void Convert(const Options &o) {
    const double start = Elapsed();
    PostClick(Control(L"OK_Button"));
    CheckTextBecomes(L"Status_txt", L"Fertig", 120);
    Log("conversion took " + std::to_string(Elapsed() - start) + " s");
    Check(FileBytes(o.target) > 0,
          "project file written: " + std::to_string(FileBytes(o.target)) + " bytes");
}

// "Open with" on the project file while the program runs: the second start
// hands it to the running window and ends; no second window appears.
void SecondStart(const std::wstring &program, const Options &o) {
    const DWORD first = g_pid;
    Process second;
    Start(program, second, o.target);
    g_pid = first;
    DWORD ended = WAIT_TIMEOUT;
    WaitFor(
        [&] {
            ended = WaitForSingleObject(second.info.hProcess, 0);
            return ended == WAIT_OBJECT_0;
        },
        30);
    Check(ended == WAIT_OBJECT_0, "the second start ended by itself");
    if (ended != WAIT_OBJECT_0) { // a second window of its own: take it away
        TerminateProcess(second.info.hProcess, 3);
        return;
    }
    DWORD code = 1;
    GetExitCodeProcess(second.info.hProcess, &code);
    Check(code == 0, "the second start's exit code " + std::to_string(code));
    CheckTextBecomes(L"Ziel_Projekt_txt_2", o.target, 15);
}

// Index of the drive list's entry for `letter` ("C:"), -1 when it is not listed.
int DriveIndex(const std::vector<std::wstring> &items, const std::wstring &drive) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].size() >= 2 && Upper(items[i].substr(0, 2)) == drive)
            return static_cast<int>(i);
    return -1;
}

// Picks entry `index` in Drive1 as a user's click in the list would.
void SelectDrive(int index) {
    HWND drives = Control(L"Drive1");
    SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageW(g_main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(drives), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drives));
}

// A fixed disk is refused as the card: the message names the entry as the list
// shows it, the card's lists hide, and clearing then touches nothing on it.
void RefuseFixedDrive() {
    const auto items = ListItems(Control(L"Drive1"));
    const int index = DriveIndex(items, L"C:");
    if (index < 0)
        throw Abort("drive c: is not in Drive1");
    const auto root_before = FolderEntries(L"C:\\");
    Expect({kNovalux,
            L"Das Laufwerk " + items[static_cast<size_t>(index)] +
                L" ist kein Wechseldatenträger!\r\nBitte wählen Sie bei 'CF-Laufwerk' ein "
                L"anderes Laufwerk aus.",
            IDOK});
    SelectDrive(index);
    CheckExpectedBoxesShown("fixed drive");
    CheckTextBecomes(L"Drive_txt", L"HDD", 10);
    WaitFor([] { return !IsWindowVisible(Control(L"Dir1")); }, 10);
    Check(!IsWindowVisible(Control(L"Dir1")) && !IsWindowVisible(Control(L"File1")),
          "Dir1 and File1 hidden after the fixed drive");
    const size_t boxes_before = g_seen.size();
    PostClick(Control(L"Karte_löschen"));
    WaitFor([] { return false; }, 1.5);
    Check(g_seen.size() == boxes_before, "clearing after a refused drive asks nothing");
    Check(FolderEntries(L"C:\\") == root_before, "nothing on c: was touched");
}

void ChooseCard(const Options &o) {
    const std::wstring prefix = Upper(o.card_letter) + L":";
    const auto items = ListItems(Control(L"Drive1"));
    Log("Drive1 lists " + Joined(items));
    const int index = DriveIndex(items, prefix);
    if (index < 0)
        throw Abort("the card drive is not in Drive1");
    // The Wine drive reports NTFS, so the card gets the file-system warning.
    Expect({kNovalux,
            L"Die Compact-Flash-Karte ist nicht richtig formatiert!\r\nRichtiges Dateisystem ist "
            L"'FAT'.",
            IDOK});
    SelectDrive(index);
    CheckExpectedBoxesShown("card drive");
    CheckTextBecomes(L"Drive_txt", L"Wechseldatenträger", 10);
    const std::wstring root = prefix + L"\\";
    WaitFor([] { return KbShown(Text(L"CF_Größe_txt")) >= 0; }, 10);
    CheckKb(L"CF_Größe_txt", Kb(SpaceOf(root).available));
    Check(IsWindowVisible(Control(L"Dir1")) && IsWindowVisible(Control(L"File1")),
          "Dir1 and File1 shown");
    const auto files = ListItems(Control(L"File1"));
    const auto folders = ListItems(Control(L"Dir1"));
    Log("File1 lists " + Joined(files) + ", Dir1 lists " + Joined(folders));
    std::vector<std::wstring> on_card_files, on_card_folders;
    for (const auto &name : FolderEntries(root))
        (GetFileAttributesW((root + name).c_str()) & FILE_ATTRIBUTE_DIRECTORY ? on_card_folders
                                                                              : on_card_files)
            .push_back(name);
    bool all_files = !on_card_files.empty() && files.size() == on_card_files.size();
    for (const auto &f : on_card_files)
        all_files = all_files && Contains(files, f);
    Check(all_files, "File1 lists exactly the card's files " + Joined(on_card_files));
    bool all_folders = !on_card_folders.empty();
    for (const auto &f : on_card_folders) {
        bool listed = false;
        for (const auto &item : folders)
            listed = listed || item.find(f) != std::wstring::npos;
        all_folders = all_folders && listed;
    }
    Check(all_folders, "Dir1 shows the card's folders " + Joined(on_card_folders));
}

void ClearCard(const Options &o) {
    const std::wstring root = Upper(o.card_letter) + L":\\";
    Expect({kNovalux,
            L"Sind Sie sicher, daß Sie alle Daten auf Laufwerk '" + Upper(o.card_letter) +
                L":' löschen wollen ?",
            IDYES});
    PostClick(Control(L"Karte_löschen"));
    CheckExpectedBoxesShown("clearing the card");
    const bool emptied = WaitFor([&] { return FolderEntries(root).empty(); }, 15);
    Check(emptied, "card root empty after clearing: " + Joined(FolderEntries(root)));
    WaitFor([] { return ListItems(Control(L"File1")).empty(); }, 10);
    Check(ListItems(Control(L"File1")).empty(),
          "File1 empty after clearing: " + Joined(ListItems(Control(L"File1"))));
    WaitFor([&] { return KbShown(Text(L"CF_Größe_txt")) == Kb(SpaceOf(root).available); }, 10);
    CheckKb(L"CF_Größe_txt", Kb(SpaceOf(root).available));
}

void WriteCard(const Options &o) {
    PostClick(Control(L"Ziel_Projekt_Button_2"));
    FillFileDialog(o.target, "project file to write");
    WaitFor([&] { return _wcsicmp(Text(L"Ziel_Projekt_txt_2").c_str(), o.target.c_str()) == 0; },
            10);
    Check(_wcsicmp(Text(L"Ziel_Projekt_txt_2").c_str(), o.target.c_str()) == 0,
          "Ziel_Projekt_txt_2: \"" + Utf8(Text(L"Ziel_Projekt_txt_2")) + "\"");
    WaitFor([] { return KbShown(Text(L"Projekt_Größe_txt")) >= 0; }, 10);
    CheckKb(L"Projekt_Größe_txt", Kb(FileBytes(o.target)));

    // After the verified write the card is offered for eject; the day goes on with it.
    Expect({kNovalux,
            L"Die Karte kann jetzt sicher entfernt werden. Soll Trackforge sie auswerfen?", IDNO});
    PostClick(Control(L"Karte_schreiben"));
    // The copy and the read-back show their figures; the 20-second wait the plain text.
    const bool writing = WaitForText(L"Status2_txt", L"Project-Datei wird geschrieben", 15);
    const double writing_seen = Elapsed();
    Check(writing, "Status2_txt while writing: \"" + Utf8(Text(L"Status2_txt")) + "\"");
    if (!writing)
        throw Abort("the card write did not start");
    CheckTextBecomes(L"Status2_txt", L"Fertig", 90);
    const double waited = Elapsed() - writing_seen;
    Log("writing to the card took " + std::to_string(waited) + " s");
    Check(waited >= 19.0, "the card write waited its 20 seconds");
    const std::wstring file_name = o.target.substr(o.target.find_last_of(L'\\') + 1);
    WaitFor([&] { return Contains(ListItems(Control(L"File1")), file_name); }, 10);
    Check(Contains(ListItems(Control(L"File1")), file_name),
          "File1 shows the written file: " + Joined(ListItems(Control(L"File1"))));
    CheckExpectedBoxesShown("the offer to eject the card");
}

void SwitchToEnglish(const Options &o) {
    PostClick(Control(L"Englisch"));
    CheckTextBecomes(L"Karte_löschen", L"Clear CF card", 10);
    CheckText(Text(L"Karte_schreiben"), L"Save Project-file to CF card",
              "Karte_schreiben in English");
    CheckText(Text(L"Command3"), L"Close", "Command3 in English");
    CheckText(Text(L"Label5"), L"CF drive:", "Label5 in English");
    CheckText(Text(L"Frame2"), L"Convert Wave-file into Project-file", "Frame2 in English");
    CheckText(Text(L"Projektname_txt"), o.name, "typed name kept by the language switch");
    CheckText(Text(L"Status2_txt"), L"Fertig", "card status keeps its language");
}

void CloseWindow(Process &p) {
    PostMessageW(g_main, WM_CLOSE, 0, 0);
    DWORD ended = WAIT_TIMEOUT;
    WaitFor(
        [&] {
            ended = WaitForSingleObject(p.info.hProcess, 0);
            return ended == WAIT_OBJECT_0;
        },
        30);
    Check(ended == WAIT_OBJECT_0, "the program ended after its window was closed");
    DWORD code = 0;
    GetExitCodeProcess(p.info.hProcess, &code);
    Check(code == 0, "exit code " + std::to_string(code));
}

int Day(const Options &o) {
    const std::wstring program = ShortcutTarget();
    Log("the desktop shortcut starts " + Utf8(program));
    Check(_wcsicmp(program.c_str(), L"C:\\Programme\\NOVALUX Trackforge\\Trackforge.exe") == 0,
          "the shortcut points into the program folder");
    if (!DefineRemovableDrive(o.card_letter[0], o.card_unix))
        throw Abort("the card drive could not be mapped");
    Check(GetDriveTypeW((o.card_letter + L":\\").c_str()) == DRIVE_REMOVABLE,
          "card drive is removable");

    Process p;
    Start(program, p);
    g_main = FindMainWindow();
    if (!g_main)
        throw Abort("the main window did not show");
    Log("main window \"" + Utf8(TextOf(g_main)) + "\"");
    // Activation reads the settings and waits half a second; let it finish.
    WaitFor([] { return false; }, 1.0);
    FindControls();
    Log("controls found by name: " + std::to_string(g_controls.size()));

    FirstLook();
    ChooseWave(o);
    TypeName(o);
    ChooseTarget(o);
    Convert(o);
    SecondStart(program, o);
    RefuseFixedDrive();
    ChooseCard(o);
    ClearCard(o);
    WriteCard(o);
    SwitchToEnglish(o);
    CloseWindow(p);
    return 0;
}

} // namespace

int main() {
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    try {
        Day(Parse(argc, argv));
    } catch (const Abort &e) {
        Log(std::string("ABORT ") + e.what());
        ++g_failures;
        if (g_pid)
            if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, g_pid)) {
                TerminateProcess(h, 3);
                CloseHandle(h);
            }
    }
    Log("message boxes seen: " + std::to_string(g_seen.size()));
    for (const auto &b : g_seen)
        Log(std::string(b.expected ? "  " : "  UNEXPECTED ") + "\"" + Visible(b.title) + "\": \"" +
            Visible(b.text) + "\"");
    LocalFree(argv);
    Log(g_failures == 0 ? "day complete, every check held"
                        : std::to_string(g_failures) + " check(s) failed");
    return g_failures == 0 ? 0 : 1;
}
