#pragma once
// The contract's drives on the test double: the same letters and kinds as the
// Wine drives, each backed by a host folder of its own.

#include "platform/fake/fake_file_system.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tf::testing {

class FakeHarness {
  public:
    static constexpr const char *kName = "double";
    static void SetUpDrives() {}
    static void TearDownDrives() {}
    FakeHarness() {
        fake_.AddDrive("r:", kDriveRemovable).total_bytes = kCardBytes;
        fake_.drive("r:").available_bytes = kCardBytes;
        fake_.AddDrive("s:", kDriveFixed);
        fake_.AddDrive("t:", kDriveRemovable).ready = false;
        fake_.AddDrive("u:", kDriveNetwork);
        fake_.AddDrive("v:", kDriveCdRom);
    }
    static constexpr std::uint64_t kCardBytes = 100ull * 1024 * 1024;

    FileSystem &fs() { return fake_; }
    std::string Unavailable() const { return ""; }
    bool ExactSizes() const { return true; }
    void SetReadOnly(const std::string &path) { fake_.SetReadOnly(path); }
    // The card keeps only `bytes` free (the double needs no filler file).
    void LeaveFree(const std::string &, std::uint64_t bytes) {
        fake_.drive("r:").available_bytes = bytes;
    }
    // Keeps `path` from being deleted while the result lives.
    std::shared_ptr<void> Lock(const std::string &path) {
        fake_.SetLocked(path);
        return std::shared_ptr<void>(nullptr,
                                     [this, path](void *) { fake_.SetLocked(path, false); });
    }
    // A host symbolic link at `link` leading to `target` (need not exist).
    void Link(const std::string &link, const std::string &target) {
        std::filesystem::create_symlink(fake_.HostPath(target), fake_.HostPath(link));
    }
    // True when anything, a dangling link too, has that name on the host.
    bool HostEntryExists(const std::string &path) {
        return std::filesystem::exists(std::filesystem::symlink_status(fake_.HostPath(path)));
    }

    void RemoveOnHost(const std::string &path) {
        std::filesystem::remove_all(fake_.HostPath(path));
    }

  private:
    fake::FakeFileSystem fake_;
};

} // namespace tf::testing
