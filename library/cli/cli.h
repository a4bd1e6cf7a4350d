// trackforge-convert: the pieces shared by its commands.
#pragma once

#include "library/cli/messages.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tf::cli {

// One exit status per outcome, so scripts can tell them apart.
enum Exit : int {
    kOk = 0,
    kUsage = 2,
    kSourceNotOpened = 3,   // result −1, or not a file
    kTargetNotCreated = 4,  // result −2, or a wave file as target
    kSourceCloseFailed = 5, // result −3 (project file complete)
    kIoError = 6,           // result −5
    kBrokenProjectFile = 7, // info: the structure does not hold
    kInvalidFormat = 10,    // wave header refusals, in check order
    kNotStereo = 11,
    kNot44100Hz = 12,
    kNot16Bit = 13,
};

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::string output; // a file, or a folder for several inputs
    std::string name;   // empty: each input's file name without extension
    bool name_given = false;
    std::string code = "0120";
};

int run_convert(const ConvertOptions &options);
int run_info(const std::string &path);

bool stderr_is_terminal();
bool is_folder(const std::string &path);

// Why `path` cannot be read as a file, said for the user; empty when it is a
// regular file or missing (which the opening itself then reports). `wanted`
// names what a folder is not ("wave file", "project file").
std::string not_a_file(const std::string &path, std::string_view wanted);

} // namespace tf::cli
