#pragma once
// The contract's drives under Wine: tools/wine-drives.sh prepares their host
// folders (and a 100 MiB tmpfs card) before the run, and this maps them to
// r: .. v: through Wine's mount manager. Host links are made by the host's own
// ln, which Wine starts like any program.

#include "platform/win32/services_win32.h"

#include <windows.h>
#undef CopyFile
#undef DeleteFile
#undef MoveFile

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "support/strict/unbuffered_io.h"
#include "support/wine_drive.h"

namespace tf::testing {

class Win32Harness {
  public:
    static constexpr const char *kName = "win32";
    static constexpr std::uint64_t kCardBytes = 100ull * 1024 * 1024;

    // r: a card, s: a fixed disk, t: a reader without a card (its folder is
    // missing), u: network, v: CD-ROM; w: must not exist.
    static void SetUpDrives() {
        // The contract is Windows' too: unbuffered reads keep its alignment.
        strict::EnforceUnbufferedAlignment();
        const std::string dir = Dir();
        if (dir.empty())
            return;
        DefineWineDrive(L'w', "", DRIVE_NO_ROOT_DIR);
        ready_ = DefineWineDrive(L'r', dir + "/card", DRIVE_REMOVABLE) &&
                 DefineWineDrive(L's', dir + "/disk", DRIVE_FIXED) &&
                 DefineWineDrive(L't', dir + "/nocard", DRIVE_REMOVABLE) &&
                 DefineWineDrive(L'u', dir + "/net", DRIVE_REMOTE) &&
                 DefineWineDrive(L'v', dir + "/cd", DRIVE_CDROM);
    }
    static void TearDownDrives() {
        for (wchar_t letter : {L'r', L's', L't', L'u', L'v'})
            DefineWineDrive(letter, "", DRIVE_NO_ROOT_DIR);
    }

    FileSystem &fs() { return *fs_; }
    std::string Unavailable() const {
        return ready_ ? ""
                      : "no test drives: run through CTest (tools/wine-drives.sh prepares them) "
                        "under Wine";
    }
    // The card is a tmpfs of exactly kCardBytes where mounting was allowed.
    bool ExactSizes() const {
        std::ifstream in("Z:" + Dir() + "/status");
        std::string line;
        std::getline(in, line);
        return line.rfind("tmpfs=yes", 0) == 0;
    }
    void SetReadOnly(const std::string &path) {
        SetFileAttributesW(std::wstring(path.begin(), path.end()).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    // Writes a filler file at `path` on the card so that `bytes` stay free
    // (a sparse file would take no room on the tmpfs).
    void LeaveFree(const std::string &path, std::uint64_t bytes) {
        std::uint64_t left = fs_->AvailableSpace("r:") - bytes;
        const std::string chunk(1 << 20, 'f');
        auto w = fs_->CreateTextFile(path);
        while (left > 0) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
            w->Write(chunk.substr(0, n));
            left -= n;
        }
        w->Close();
    }
    // Open without leave to delete: the system refuses to delete it meanwhile.
    std::shared_ptr<void> Lock(const std::string &path) {
        HANDLE h = CreateFileW(std::wstring(path.begin(), path.end()).c_str(), GENERIC_READ,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                               nullptr);
        return std::shared_ptr<void>(h, [](void *handle) { CloseHandle(handle); });
    }
    void Link(const std::string &link, const std::string &target) {
        RunHost("ln -s '" + Host(target) + "' '" + Host(link) + "'");
    }
    bool HostEntryExists(const std::string &path) {
        // Appended, not "'" + Host(): g++ 12 misreads that rvalue form at -O3 (-Wrestrict).
        std::string p = "'";
        p.append(Host(path)).append("'");
        return RunHost("if [ -L " + p + " ] || [ -e " + p + " ]; then echo yes; fi") == "yes\n";
    }
    void RemoveOnHost(const std::string &path) {
        RunHost(std::string("rm -rf '").append(Host(path)).append("'"));
    }

  private:
    static std::string Dir() {
        const char *dir = std::getenv("TF_WINE_DRIVES");
        return dir ? dir : "";
    }
    // The unix path of a path on r: or s:.
    static std::string Host(const std::string &path) {
        std::string out =
            Dir() + (std::tolower(static_cast<unsigned char>(path[0])) == 'r' ? "/card" : "/disk");
        for (char c : path.substr(2))
            out += c == '\\' ? '/' : c;
        return out;
    }
    // Runs a shell command on the host and gives its output. Wine starts a
    // host program without a process to wait for, so the command leaves its
    // output under a second name once it is done, and that is waited for.
    static std::string RunHost(const std::string &command) {
        static int serial = 0;
        const std::string out = Dir() + "/host-" + std::to_string(++serial);
        std::wstring line = L"Z:\\bin\\sh -c \"";
        const std::string script =
            "(" + command + ") >'" + out + ".tmp' 2>&1; mv '" + out + ".tmp' '" + out + "'";
        line += std::wstring(script.begin(), script.end()) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return "";
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        const std::string windows_name = "Z:" + out;
        for (int waited = 0; waited < 10000; waited += 10) {
            std::ifstream in(windows_name, std::ios::binary);
            if (in)
                return std::string(std::istreambuf_iterator<char>(in), {});
            Sleep(10);
        }
        return "";
    }
    static inline bool ready_ = false;
    std::unique_ptr<FileSystem> fs_ = win32::MakeFileSystem();
};

} // namespace tf::testing
