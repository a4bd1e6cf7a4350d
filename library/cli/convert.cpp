#include "library/cli/cli.h"

#include "library/file_system.h"
#include "library/name_rule.h"
#include "library/prepare/audio_backend.h"
#include "library/project_format.h"
#include "library/project_writer.h"
#include "library/wave_header.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <set>

namespace tf::cli {

namespace {

// The command line is UTF-8 on every platform (on Windows taken wide).
constexpr NameEncoding kArgumentEncoding = NameEncoding::Utf8;

Refusal refusal_for(WaveCheck check) {
    switch (check) {
    case WaveCheck::Accepted:
        break;
    case WaveCheck::NotStereo:
        return {kNotStereo, Msg::RefusedNotStereo};
    case WaveCheck::Not44100Hz:
        return {kNot44100Hz, Msg::RefusedNot44100Hz};
    case WaveCheck::Not16Bit:
        return {kNot16Bit, Msg::RefusedNot16Bit};
    case WaveCheck::InvalidFormat:
        break;
    }
    return {kInvalidFormat, Msg::RefusedInvalidFormat};
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

// A target that already holds a wave file is someone's audio, most likely a
// second wave that a wildcard put last on the command line.
bool is_wave_file(const std::string &path) {
    std::FILE *f = open_regular_for_reading(path.c_str());
    if (!f) {
        return false;
    }
    char head[12] = {};
    const bool whole = std::fread(head, 1, sizeof head, f) == sizeof head;
    std::fclose(f);
    return whole && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

// The refusal of a source or target before anything is opened for writing.
std::optional<int> refuse_early(const std::string &input, const std::string &output) {
    if (const std::string why = not_a_file(input, "wave file"); !why.empty()) {
        std::cerr << why;
        return kSourceNotOpened;
    }
    const WaveHeaderRead header = read_wave_header(input.c_str());
    if (!header.opened) {
        std::cerr << say(Msg::SourceNotOpened, {shown(input)});
        return kSourceNotOpened;
    }
    if (const WaveCheck check = check_wave_header(header.bytes); check != WaveCheck::Accepted) {
        const Refusal refusal = refusal_for(check);
        std::cerr << say(refusal.message, {shown(input)});
        // Anything the preparation can decode need not be refused at all.
        if (audio::open_decoder(input).failure == audio::OpenFailure::None)
            std::cerr << say(Msg::RefusedHintPrepare, {shown(input)});
        return refusal.exit;
    }
    if (is_wave_file(output)) {
        std::cerr << say(Msg::TargetIsWave, {shown(input), shown(output)});
        return kTargetNotCreated;
    }
    return std::nullopt;
}

Msg io_error_message(const ConversionReport &report, bool through_link) {
    if (report.written_path.empty()) {
        return Msg::IoErrorNothingWritten;
    }
    if (!report.target_regular) {
        return Msg::IoErrorNotAFile;
    }
    if (!report.removed) {
        return Msg::IoErrorNotRemoved;
    }
    return through_link ? Msg::IoErrorLinkLeft : Msg::IoErrorRemoved;
}

// Says what happened. The line about a written file goes to standard output,
// unless the project file is itself standard output or another non-file.
int tell_outcome(const std::string &input, const std::string &output, Result result,
                 const ConversionReport &report, const std::string &name, const std::string &code) {
    const bool through_link = !report.written_path.empty() && report.written_path != output;
    const std::string in = shown(input), out = shown(output), real = shown(report.written_path);
    switch (result) {
    case Result::SourceNotOpened:
        std::cerr << say(Msg::SourceNotOpened, {in});
        return kSourceNotOpened;
    case Result::TargetNotCreated:
        std::cerr << say(Msg::TargetNotCreated, {in, out});
        return kTargetNotCreated;
    case Result::IoError:
        std::cerr << say(io_error_message(report, through_link), {in, out, real});
        return kIoError;
    case Result::SourceCloseFailed:
        std::cerr << say(Msg::SourceCloseFailed, {in, out});
        break;
    case Result::Done:
        break;
    }
    const std::uint64_t audio = report.audio_converted;
    const bool into_data =
        !report.target_regular || same_file_as(report.written_path.c_str(), stdout);
    (into_data ? std::cerr : std::cout)
        << say(through_link ? Msg::WroteThroughLink : Msg::Wrote,
               {real, std::to_string(report.bytes_written), shown(name), shown(code),
                std::to_string(audio), std::to_string(audio / 4), out});
    return result == Result::Done ? kOk : kSourceCloseFailed;
}

// `wave` is what is read; `input` is what the user named, for the name and
// the messages.
int convert_wave(const std::string &wave, const std::string &input, const std::string &output,
                 const ConvertOptions &options) {
    std::string name =
        prepare_name(options.name_given ? options.name : stem_of(input), kArgumentEncoding);
    std::string code = options.code;
    ConversionReport report;
    ProgressBar bar;
    Progress progress;
    if (stderr_is_terminal()) {
        progress = [&bar](std::uint64_t done, std::uint64_t total) { bar.update(done, total); };
    }
    const Result result = create_project_file(wave.c_str(), output.c_str(), name.data(),
                                              code.data(), progress, &report);
    return tell_outcome(input, output, result, report, name, code);
}

// The prepared wave lies beside the project file under a name of its own and
// is removed on every way out, but only when that name was free: a file found
// under every name tried, or put there meanwhile, belongs to someone else.
class TemporaryWave {
  public:
    explicit TemporaryWave(const std::string &output) {
        for (int n = 0; n < 100 && !free_; ++n) {
            path_ = output + ".prepare" + (n ? std::to_string(n) : "") + ".wav";
            free_ = path_kind(path_.c_str()) == PathKind::Missing;
        }
    }
    ~TemporaryWave() {
        if (free_) {
            remove_path(path_.c_str());
        }
    }
    TemporaryWave(const TemporaryWave &) = delete;
    TemporaryWave &operator=(const TemporaryWave &) = delete;
    const std::string &path() const { return path_; }
    bool free() const { return free_; }
    void disown() { free_ = false; }

  private:
    std::string path_;
    bool free_ = false;
};

int convert_prepared(const std::string &input, const std::string &output,
                     const ConvertOptions &options) {
    if (const std::string why = not_a_file(input, "audio file"); !why.empty()) {
        std::cerr << why;
        return kSourceNotOpened;
    }
    const WaveHeaderRead header = read_wave_header(input.c_str());
    if (header.opened && check_wave_header(header.bytes) == WaveCheck::Accepted) {
        const auto refused = refuse_early(input, output);
        return refused ? *refused : convert_wave(input, input, output, options);
    }
    // Otherwise the project file would be written over the audio file itself.
    if (is_wave_file(output) || same_file(input.c_str(), output.c_str())) {
        std::cerr << say(Msg::TargetNotCreated, {shown(input), shown(output)});
        return kTargetNotCreated;
    }
    TemporaryWave wave(output);
    if (!wave.free()) {
        std::cerr << say(Msg::TargetNotCreated, {shown(input), shown(output)});
        return kTargetNotCreated;
    }
    if (const int prepared = prepare_for_convert(input, wave.path(), options.headroom);
        prepared != kOk) {
        if (prepared == kTargetExists) {
            wave.disown();
        }
        return prepared;
    }
    return convert_wave(wave.path(), input, output, options);
}

int convert_one(const std::string &input, const std::string &output,
                const ConvertOptions &options) {
    if (options.prepare) {
        return convert_prepared(input, output, options);
    }
    if (const auto refused = refuse_early(input, output)) {
        return *refused;
    }
    return convert_wave(input, input, output, options);
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

ProgressBar::~ProgressBar() {
    if (shown_) {
        std::fputs("\n", stderr);
    }
}

// It follows the work really done, so 100 % means the output is all written.
void ProgressBar::update(std::uint64_t done, std::uint64_t total, const ProgressScale &scale) {
    if (total < scale.threshold || scale.per_unit == 0) {
        return;
    }
    const int percent = static_cast<int>(std::min<std::uint64_t>(100, done * 100 / total));
    if (percent == percent_) {
        return;
    }
    percent_ = percent;
    shown_ = true;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r  [%.*s%.*s] %3d%%  %llu/%llu %s", filled,
                 "########################################", kWidth - filled,
                 "........................................", percent,
                 static_cast<unsigned long long>(done / scale.per_unit),
                 static_cast<unsigned long long>(total / scale.per_unit), scale.unit);
    std::fflush(stderr);
}

int run_convert(const ConvertOptions &options) {
    if (options.code.size() != kCodeSize) {
        std::cerr << say(Msg::CodeNotFourBytes,
                         {shown(options.code), std::to_string(options.code.size())});
        return kUsage;
    }
    const bool into_folder = options.inputs.size() > 1 || is_folder(options.output);
    if (options.inputs.size() > 1 && !is_folder(options.output)) {
        std::cerr << say(Msg::SeveralNeedFolder, {shown(options.output)});
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
        std::cerr << say(Msg::SameTarget, {shown(clash)});
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
