// trackforge-convert: the pieces shared by its commands.
#pragma once

#include "library/cli/messages.h"

#include <cstdint>
#include <optional>
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
    kNotDecodable = 20, // prepare: nothing here understands the audio file
    kTooManyChannels = 21,
    kTargetExists = 22, // prepare: an existing wave file is never replaced
    kTargetIsSource = 23,
    kReadError = 24, // prepare: the audio file failed midway
    kTooLong = 25,
    kNoResampler = 26,
    kDamaged = 27,         // prepare: the audio file is cut short or corrupted
    kRateUnsupported = 28, // prepare: a rate no audio has: a broken header
};

// A refusal or failure: the status to exit with and the message that says it.
struct Refusal {
    int exit;
    Msg message;
};

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::string output; // a file, or a folder for several inputs
    std::string name;   // empty: each input's file name without extension
    bool name_given = false;
    std::string code = "0120";
    bool prepare = false;  // any audio file, made device-ready on the way
    bool headroom = false; // ... lowered in level just enough that nothing clips
};

// How a progress bar counts: below `threshold` no bar is drawn.
struct ProgressScale {
    std::uint64_t threshold;
    std::uint64_t per_unit;
    const char *unit;
};
inline constexpr ProgressScale kBytes{32ULL << 20, 1ULL << 20, "MB"};

// Redraws a one-line bar on the terminal when the percentage changes.
class ProgressBar {
  public:
    ProgressBar() = default;
    ~ProgressBar();
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;
    void update(std::uint64_t done, std::uint64_t total, const ProgressScale &scale = kBytes);

  private:
    int percent_ = -1;
    bool shown_ = false;
};

int run_convert(const ConvertOptions &options);
int run_info(const std::string &path);
int run_prepare(const std::string &input, const std::string &output, bool headroom);

// Prepares `input` into a wave `wave` that the converter then reads; tells a
// failure and returns its status, kOk when the wave is written.
int prepare_for_convert(const std::string &input, const std::string &wave, bool headroom);

// The command line, program name first, as UTF-8 on every platform; none
// when an argument is not valid Unicode.
std::optional<std::vector<std::string>> utf8_command_line(int argc, char **argv);

// While it lives, what std::cout and std::cerr are given (UTF-8) reaches a
// Windows console as the characters it stands for; output into a file or pipe
// stays UTF-8. Nothing changes elsewhere.
class ConsoleText {
  public:
    ConsoleText();
    ~ConsoleText();
    ConsoleText(const ConsoleText &) = delete;
    ConsoleText &operator=(const ConsoleText &) = delete;
};

bool stderr_is_terminal();
bool is_folder(const std::string &path);

// Why `path` cannot be read as a file, said for the user; empty when it is a
// regular file or missing (which the opening itself then reports). `wanted`
// names what a folder is not ("wave file", "project file").
std::string not_a_file(const std::string &path, std::string_view wanted);

} // namespace tf::cli
