#pragma once
// A FileSystem for tests: a table of drives, each backed by a real temporary
// folder, so files and folders behave for real.
//
//   tf::fake::FakeFileSystem fs;                    // no drives yet
//   auto& e = fs.AddDrive("e:", tf::kDriveRemovable); // FAT, 128 MB card
//   e.total_bytes = 60000ull * 1024;
//   fs.WriteFile("e:\\old.kpf", "bytes");           // raw bytes, parents made
//   fs.SetReadOnly("e:\\old.kpf");
//   fs.AddDrive("f:", tf::kDriveRemovable).ready = false; // reader without a card
//   fs.FailNext("TotalSize");                       // next TotalSize throws FsError
//   fs.HostPath("e:\\old.kpf");                     // where it lives on the host
//
// Paths: "e:\x\y", "E:/x/y", "e:" (the drive's current folder), "e:x"
// (relative to it), "\x" and "x" (on the current drive). Names match
// case-insensitively, as on Windows. Text files are Windows-1252 on disk.
// A drive that is not ready hides its content: FileExists gives false and
// every other member that touches it throws. Read-only and locked items are
// attributes of the fake (the tests may run as root, who ignores modes).
// Every call is logged as "Member(argument)" in calls().

#include "platform/filesystem.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tf::fake {

struct FakeDrive {
    int type = kDriveFixed;
    bool ready = true;
    std::string file_system = "NTFS";
    std::string label;
    std::uint64_t total_bytes = 0;
    // Copies onto the drive fail once they would exceed it; copies and
    // deletes change it, as on a real drive.
    std::uint64_t available_bytes = 0;
    // What ejecting the medium gives; an ejected drive is no longer ready.
    FileSystem::EjectResult eject_result = FileSystem::EjectResult::Ejected;
    std::filesystem::path root;              // the backing folder
    std::vector<std::string> current_folder; // components below the root
};

class FakeFileSystem : public FileSystem {
  public:
    FakeFileSystem();
    ~FakeFileSystem() override;
    FakeFileSystem(const FakeFileSystem &) = delete;
    FakeFileSystem &operator=(const FakeFileSystem &) = delete;

    // --- Setting up ---------------------------------------------------------
    // Adds (or replaces) a drive. Removable drives start as a FAT card of
    // 128 MB with 100 MB free, others as an NTFS disk of 100 GB with 50 GB free.
    FakeDrive &AddDrive(const std::string &name, int type = kDriveFixed);
    FakeDrive &drive(const std::string &name); // throws std::out_of_range
    void RemoveDrive(const std::string &name);
    // The drive used for paths without a drive letter (first added by default).
    void SetCurrentDrive(const std::string &name);
    void SetCurrentFolder(const std::string &drive, const std::string &folder);

    // Where a path lives on the host (ignores readiness; the path need not exist).
    std::filesystem::path HostPath(const std::string &path) const;
    // Raw bytes; parent folders are made.
    void WriteFile(const std::string &path, const std::string &bytes);
    std::string ReadFile(const std::string &path) const;
    void MakeFolders(const std::string &path);
    void SetReadOnly(const std::string &path, bool read_only = true);
    bool IsReadOnly(const std::string &path) const;
    // A locked item can be neither deleted nor overwritten (open elsewhere).
    void SetLocked(const std::string &path, bool locked = true);
    void SetLastModified(const std::string &path, const DateTime &when);
    void SetShortPathName(const std::string &path, const std::string &short_name);

    // --- Failure injection --------------------------------------------------
    // The member named (as in FileSystem, e.g. "TotalSize") throws FsError on
    // its next `times` calls / on every call until cleared.
    void FailNext(const std::string &member, int times = 1);
    void FailAlways(const std::string &member, bool on = true);
    // Any call for which this gives true throws FsError.
    std::function<bool(const std::string &member, const std::string &argument)> fail_when;
    void ClearFailures();

    const std::vector<std::string> &calls() const { return calls_; }
    int CallCount(const std::string &member) const;
    void ClearCalls() { calls_.clear(); }

    // --- FileSystem ---------------------------------------------------------
    std::vector<DriveEntry> Drives() override;
    int DriveType(const std::string &drive) override;
    bool IsReady(const std::string &drive) override;
    std::string FileSystemName(const std::string &drive) override;
    std::uint64_t TotalSize(const std::string &drive) override;
    std::uint64_t AvailableSpace(const std::string &drive) override;
    std::string GetAbsolutePathName(const std::string &path) override;
    std::string GetDriveName(const std::string &path) override;
    std::string ShortPathName(const std::string &path) override;
    bool FileExists(const std::string &path) override;
    bool FolderExists(const std::string &path) override;
    std::uint64_t FileSize(const std::string &path) override;
    DateTime LastModified(const std::string &path) override;
    std::vector<std::string> ListFolders(const std::string &folder) override;
    std::vector<std::string> ListFiles(const std::string &folder,
                                       const std::string &pattern = "*.*") override;
    std::unique_ptr<TextReader> OpenTextForReading(const std::string &path) override;
    std::unique_ptr<TextWriter> CreateTextFile(const std::string &path) override;
    void CopyToNewFile(const std::string &source, const std::string &target,
                       const BlockProgress &progress = {}) override;
    bool FilesEqual(const std::string &a, const std::string &b,
                    const BlockProgress &progress = {}) override;
    // The block the copy and the read-back report progress by, as the real ones do.
    static constexpr std::size_t kBlockBytes = 1 << 20;
    void MoveFile(const std::string &from, const std::string &to) override;
    void DeleteFile(const std::string &pattern) override;
    void DeleteFolder(const std::string &pattern) override;
    void CreateFolder(const std::string &path) override;
    EjectResult EjectMedium(const std::string &drive) override;
    bool InUse(const std::string &path) override; // the locked items

    // Windows wildcard match ("*", "?", and "*.*" for every name), ignoring case.
    static bool WildcardMatch(const std::string &pattern, const std::string &name);

  private:
    struct Resolved {
        char letter = 0;          // lower case
        std::string shown_letter; // as the caller wrote it
        std::vector<std::string> parts;
    };
    Resolved Resolve(const std::string &path) const;
    FakeDrive &DriveOf(char letter);
    const FakeDrive &DriveOf(char letter) const;
    FakeDrive &ReadyDrive(char letter);
    std::filesystem::path Host(const Resolved &r) const;
    std::filesystem::path ReadyHost(const std::string &path, Resolved *out = nullptr);
    void Enter(const std::string &member, const std::string &argument);
    void CopyImpl(const std::string &source, const std::string &target,
                  const BlockProgress &progress);
    void CopyInBlocks(const std::filesystem::path &src, const std::filesystem::path &tgt,
                      FakeDrive &d, const BlockProgress &progress);
    void DeleteMatching(const std::string &pattern, bool folders);
    bool DeleteEntry(const std::filesystem::path &entry, const std::filesystem::path &expected,
                     FakeDrive &d);
    void CheckWritable(const std::filesystem::path &host) const;
    void Forget(const std::filesystem::path &host);

    std::filesystem::path base_;
    std::map<char, FakeDrive> drives_;
    char current_drive_ = 0;
    std::set<std::string> read_only_;
    std::set<std::string> locked_;
    std::map<std::string, std::string> short_names_;
    std::map<std::string, int> fail_next_;
    std::set<std::string> fail_always_;
    std::vector<std::string> calls_;
};

} // namespace tf::fake
