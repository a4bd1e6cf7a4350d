#include "library/cli/cli.h"

#include "library/file_system.h"
#include "library/project_format.h"
#include "library/project_writer.h"
#include "library/wave_header.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <set>

namespace tf::cli {

namespace {

// Files smaller than this finish before a bar would be worth drawing.
constexpr std::uint64_t kProgressThreshold = 32ULL << 20;

int exit_for_check(WaveCheck check) {
    switch (check) {
    case WaveCheck::Accepted:
        return kOk;
    case WaveCheck::InvalidFormat:
        return kInvalidFormat;
    case WaveCheck::NotStereo:
        return kNotStereo;
    case WaveCheck::Not44100Hz:
        return kNot44100Hz;
    case WaveCheck::Not16Bit:
        return kNot16Bit;
    }
    return kInvalidFormat;
}

struct Outcome {
    int exit;
    const char *message;
};

Outcome outcome_for(Result result) {
    switch (result) {
    case Result::Done:
        return {kOk, nullptr};
    case Result::SourceNotOpened:
        return {kSourceNotOpened, "the wave file could not be opened or read (result -1)"};
    case Result::TargetNotCreated:
        return {kTargetNotCreated,
                "the project file could not be created: missing folder, no write permission, "
                "or it names the wave file itself (result -2)"};
    case Result::SourceCloseFailed:
        return {kSourceCloseFailed,
                "the project file is complete, but closing the wave file reported an error "
                "(result -3)"};
    case Result::IoError:
        return {kIoError,
                "reading the wave file or writing the project file failed midway (disk full or "
                "medium removed?); the incomplete project file was removed (result -5)"};
    }
    return {kIoError, "unexpected result"};
}

std::string stem_of(const std::string &path) {
    const auto slash = path.find_last_of("/\\");
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = base.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

std::string join(const std::string &folder, const std::string &file) {
    if (folder.empty() || folder.back() == '/' || folder.back() == '\\') {
        return folder + file;
    }
#ifdef _WIN32
    return folder + "\\" + file;
#else
    return folder + "/" + file;
#endif
}

// Redraws a one-line bar on the terminal when the percentage changes.
class ProgressBar {
  public:
    explicit ProgressBar(std::uint64_t total) : total_(total ? total : 1) {}
    ~ProgressBar() {
        if (shown_) {
            std::fputs("\n", stderr);
        }
    }

    // Chunks behind the audio are not converted, so the count may stop short
    // of the total; a finished conversion still shows 100 %.
    void finish() { update(total_); }
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    void update(std::uint64_t done) {
        const int percent = static_cast<int>(std::min<std::uint64_t>(100, done * 100 / total_));
        if (percent == percent_) {
            return;
        }
        percent_ = percent;
        shown_ = true;
        constexpr int kWidth = 40;
        const int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\r  [%.*s%.*s] %3d%%  %llu/%llu MB", filled,
                     "########################################", kWidth - filled,
                     "........................................", percent,
                     static_cast<unsigned long long>(done >> 20),
                     static_cast<unsigned long long>(total_ >> 20));
        std::fflush(stderr);
    }

  private:
    std::uint64_t total_;
    int percent_ = -1;
    bool shown_ = false;
};

int convert_one(const std::string &input, const std::string &output,
                const ConvertOptions &options) {
    const WaveHeaderRead header = read_wave_header(input.c_str());
    if (!header.opened) {
        std::cerr << input << ": " << outcome_for(Result::SourceNotOpened).message << "\n";
        return kSourceNotOpened;
    }
    const WaveCheck check = check_wave_header(header.bytes);
    if (check != WaveCheck::Accepted) {
        std::cerr << input << ": refused: " << wave_check_message(check, Language::English) << "\n";
        return exit_for_check(check);
    }

    std::string name = prepare_name(options.name_given ? options.name : stem_of(input));
    std::string code = options.code;
    const std::uint64_t source_size = file_size(input.c_str()).value_or(0);
    Result result;
    if (stderr_is_terminal() && source_size >= kProgressThreshold) {
        ProgressBar bar(source_size - kSourceHeaderSize);
        result = create_project_file(input.c_str(), output.c_str(), name.data(), code.data(),
                                     [&bar](std::uint64_t done) { bar.update(done); });
        if (result == Result::Done) {
            bar.finish();
        }
    } else {
        result = create_project_file(input.c_str(), output.c_str(), name.data(), code.data());
    }

    const Outcome outcome = outcome_for(result);
    if (outcome.message) {
        std::cerr << input << " -> " << output << ": " << outcome.message << "\n";
    }
    if (result == Result::Done || result == Result::SourceCloseFailed) {
        const std::uint64_t size = file_size(output.c_str()).value_or(0);
        const std::uint64_t audio = size >= kFixedBytes ? size - kFixedBytes : 0;
        std::cout << "wrote " << output << ": " << size << " bytes, name \"" << name << "\", code "
                  << code << ", audio " << audio << " bytes (" << audio / 4 << " sample frames)\n";
    }
    return outcome.exit;
}

// ASCII case folded: the project files end up on Windows and on FAT cards,
// where "Song.kpf" and "song.kpf" are one file.
std::string folded(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The first output that an earlier input already writes to, or "".
std::string clashing_output(const std::vector<std::string> &outputs) {
    std::set<std::string> seen;
    for (const std::string &output : outputs) {
        if (!seen.insert(folded(output)).second) {
            return output;
        }
    }
    return {};
}

} // namespace

int run_convert(const ConvertOptions &options) {
    if (options.code.size() != kCodeSize) {
        std::cerr << "--code takes exactly 4 characters, e.g. --code 0120\n";
        return kUsage;
    }
    const bool into_folder = options.inputs.size() > 1 || is_folder(options.output);
    if (options.inputs.size() > 1 && !is_folder(options.output)) {
        std::cerr << "with several wave files the last argument must be an existing folder: "
                  << options.output << "\n";
        return kUsage;
    }
    std::vector<std::string> outputs;
    for (const std::string &input : options.inputs) {
        outputs.push_back(into_folder ? join(options.output, stem_of(input) + ".kpf")
                                      : options.output);
    }
    // Checked before anything is written: otherwise a later wave of the same
    // name would silently replace an earlier one's project file.
    if (const std::string clash = clashing_output(outputs); !clash.empty()) {
        std::cerr << "two wave files would both be written to " << clash
                  << "; convert them into different folders\n";
        return kUsage;
    }
    int first_failure = kOk;
    for (std::size_t i = 0; i < options.inputs.size(); ++i) {
        const int status = convert_one(options.inputs[i], outputs[i], options);
        if (status != kOk && first_failure == kOk) {
            first_failure = status;
        }
    }
    return first_failure;
}

} // namespace tf::cli
