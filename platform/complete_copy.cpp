#include "platform/complete_copy.h"

#include "platform/steps.h"

namespace tf {

namespace {
void RemoveTemp(FileSystem &fs, const std::string &temp) {
    steps::Skippable("ReplaceWithCompleteCopy: removing " + temp, [&] {
        if (fs.FileExists(temp))
            fs.DeleteFile(temp);
    });
}
} // namespace

void ReplaceWithCompleteCopy(FileSystem &fs, const std::string &source, const std::string &temp,
                             const std::string &target) {
    // A read-only leftover would refuse the copy on every later run.
    RemoveTemp(fs, temp);
    try {
        fs.CopyToNewFile(source, temp);
        if (!fs.FilesEqual(source, temp))
            throw FsError("the copy of '" + source + "' does not read back equal");
        fs.MoveFile(temp, target);
    } catch (const FsError &) {
        RemoveTemp(fs, temp);
        throw;
    }
}

} // namespace tf
