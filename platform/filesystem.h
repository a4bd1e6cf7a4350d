#pragma once
// The file, folder and drive services both programs use. Every member that
// fails throws FsError; the callers decide what a failure means to the user.
// Paths are UTF-8 and may use "\" or "/" as separators.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tf {

// What a caller can tell the user about a failure beyond "it failed".
enum class FsFault {
    Other,
    Gone, // the medium or its drive went away (a card pulled, a reader unplugged)
    Full, // no room left on the volume
};

struct FsError : std::runtime_error {
    explicit FsError(const std::string &what, FsFault why = FsFault::Other)
        : std::runtime_error(what), fault(why) {}
    FsFault fault;
};

// Told after each block (about 1 MB) of a long copy or read-back: the bytes
// done and the bytes in all. It may let the window take its messages; an
// exception it throws ends the copy or the read-back as a failure would.
using BlockProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Drive type codes as the programs show them (not GetDriveType's numbering).
enum DriveTypeCode : int {
    kDriveUnknown = 0,
    kDriveRemovable = 1,
    kDriveFixed = 2,
    kDriveNetwork = 3,
    kDriveCdRom = 4,
    kDriveRamDisk = 5,
};

struct DriveEntry {
    std::string name;  // "e:"
    std::string label; // volume label; empty when none, not ready, network or optical
};

struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// A file opened as 8-bit text in the ANSI code page; text crosses as UTF-8.
class TextReader {
  public:
    virtual ~TextReader() = default;
    // Raw bytes of the file, up to n of them; fewer at the end, throws when none is left.
    virtual std::string ReadBytes(std::size_t n) = 0;
    // One line without its line end, converted to UTF-8; throws past the end.
    virtual std::string ReadLine() = 0;
    virtual bool AtEndOfStream() = 0;
    virtual void Close() = 0;
};

class TextWriter {
  public:
    virtual ~TextWriter() = default;
    virtual void Write(const std::string &utf8) = 0;     // converted to the ANSI code page
    virtual void WriteLine(const std::string &utf8) = 0; // the same, then CR LF
    virtual void Close() = 0;                            // throws when the data could not be stored
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Drives, named like "e:". Unknown drives throw.
    virtual std::vector<DriveEntry> Drives() = 0;
    virtual int DriveType(const std::string &drive) = 0;
    virtual bool IsReady(const std::string &drive) = 0;
    virtual std::string FileSystemName(const std::string &drive) = 0;   // throws when not ready
    virtual std::uint64_t TotalSize(const std::string &drive) = 0;      // throws when not ready
    virtual std::uint64_t AvailableSpace(const std::string &drive) = 0; // for the calling user

    // Paths.
    virtual std::string GetAbsolutePathName(const std::string &path) = 0;
    virtual std::string GetDriveName(const std::string &path) = 0; // "e:" or "" when none
    // The short (8.3) form of an existing path, "" when the volume has none.
    virtual std::string ShortPathName(const std::string &path) = 0;

    // Files and folders.
    virtual bool FileExists(const std::string &path) = 0;
    virtual bool FolderExists(const std::string &path) = 0;
    virtual std::uint64_t FileSize(const std::string &path) = 0;
    virtual DateTime LastModified(const std::string &path) = 0;
    virtual std::vector<std::string> ListFolders(const std::string &folder) = 0; // names, sorted
    virtual std::vector<std::string> ListFiles(const std::string &folder,
                                               const std::string &pattern = "*.*") = 0;

    // Text files.
    virtual std::unique_ptr<TextReader> OpenTextForReading(const std::string &path) = 0;
    virtual std::unique_ptr<TextWriter> CreateTextFile(const std::string &path) = 0;

    // Copy into a new file that is on the medium when it returns (flushed
    // through the cache); a target ending in "\" or "/" is a folder and the
    // file keeps its name. Fails when anything, even a dangling link, already
    // has the target's name: nothing is ever written through a link.
    virtual void CopyToNewFile(const std::string &source, const std::string &target,
                               const BlockProgress &progress = {}) = 0;
    // True when both files hold the same bytes; read back from the medium.
    // The progress counts the bytes of `a` compared.
    virtual bool FilesEqual(const std::string &a, const std::string &b,
                            const BlockProgress &progress = {}) = 0;
    // Rename, replacing an existing target.
    virtual void MoveFile(const std::string &from, const std::string &to) = 0;
    // Delete by wildcard pattern in the last path element, read-only items
    // included. Throws when nothing matches or an item cannot be deleted; the
    // items after a failing one stay. A link (an entry that really lives
    // elsewhere than its name says) is never deleted nor followed, wherever it
    // leads: it stays with the folders that hold it, and that is no failure.
    virtual void DeleteFile(const std::string &pattern) = 0;
    virtual void DeleteFolder(const std::string &pattern) = 0;
    // One new folder level; throws when the parent is missing or it cannot be made.
    virtual void CreateFolder(const std::string &path) = 0;

    // Ends the use of a removable medium so it can be taken out: the volume is
    // flushed, locked, dismounted and its medium ejected. InUse: something
    // still holds a file or folder on it, and it stays mounted as it was.
    enum class EjectResult { Ejected, InUse, Failed };
    virtual EjectResult EjectMedium(const std::string &drive) = 0;

    // True when another program holds the file open so that it cannot be
    // replaced now (a running program, an open document); false when it is
    // free or absent.
    virtual bool InUse(const std::string &path) = 0;
};

} // namespace tf
