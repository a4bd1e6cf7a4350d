// trackforge-convert: the pieces shared by its commands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tf::cli {

// One exit status per outcome, so scripts can tell them apart.
enum Exit : int {
    kOk = 0,
    kUsage = 2,
    kSourceNotOpened = 3,   // result −1
    kTargetNotCreated = 4,  // result −2
    kSourceCloseFailed = 5, // result −3 (project file complete)
    kIoError = 6,           // result −5
    kBrokenProjectFile = 7, // info: the structure does not hold
    kInvalidFormat = 10,    // wave header refusals, in check order
    kNotStereo = 11,
    kNot44100Hz = 12,
    kNot16Bit = 13,
};

// The desktop program's name preparation: the first 30 characters, blanks and
// codes 34 to 125 kept, every other character a blank, padded with blanks.
// Arguments are UTF-8 on Linux (a multi-byte character is one character) and
// ANSI bytes on Windows.
std::string prepare_name(std::string_view typed);

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

} // namespace tf::cli
