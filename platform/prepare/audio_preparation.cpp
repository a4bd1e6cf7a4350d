// The window's preparation service over the library's preparation core.
#include "platform/audio_preparation.h"

#include "library/prepare/prepare.h"
#include "platform/trace_log.h"

namespace tf {

namespace {

using audio::PrepareResult;

AudioPreparation::Result Told(PrepareResult r) {
    switch (r) {
    case PrepareResult::Done:
        return AudioPreparation::Result::Done;
    case PrepareResult::SourceNotOpened:
    case PrepareResult::NotDecodable:
        return AudioPreparation::Result::NotDecodable;
    case PrepareResult::TooManyChannels:
        return AudioPreparation::Result::TooManyChannels;
    case PrepareResult::SameFile:
    case PrepareResult::TargetExists:
        return AudioPreparation::Result::TargetExists;
    case PrepareResult::TargetNotCreated:
        return AudioPreparation::Result::TargetNotCreated;
    case PrepareResult::Damaged:
        return AudioPreparation::Result::Damaged;
    case PrepareResult::RateUnsupported:
        return AudioPreparation::Result::RateUnsupported;
    default:
        return AudioPreparation::Result::Failed;
    }
}

AudioPreparation::Outcome OutcomeOf(PrepareResult r, const audio::PrepareReport &report) {
    AudioPreparation::Outcome outcome;
    outcome.result = Told(r);
    outcome.clipped = r == PrepareResult::Done ? report.clipped : 0;
    outcome.ends_early = report.damage == audio::Damage::EndsEarly;
    const std::uint32_t rate = report.source.rate;
    outcome.seconds_held = rate ? report.frames_decoded / rate : 0;
    outcome.seconds_declared = rate ? report.frames_declared / rate : 0;
    outcome.rate = rate;
    return outcome;
}

class LibraryPreparation : public AudioPreparation {
  public:
    Verdict Probe(const std::string &source) override {
        const audio::Opened opened = audio::open_decoder(source);
        if (!opened.decoder) {
            // Most refused files are simply not audio; the detail helps with the rest.
            trace::Swallowed("AudioPreparation::Probe", opened.detail);
            return Verdict::NotDecodable;
        }
        const std::uint32_t channels = opened.decoder->format().channels;
        if (channels == 0)
            return Verdict::NotDecodable;
        return channels > 2 ? Verdict::TooManyChannels : Verdict::Decodable;
    }

    // The core counts source frames; the window counts the wave's bytes.
    static audio::PrepareProgress InBytes(const Progress &progress,
                                          const audio::PrepareReport &report) {
        if (!progress)
            return {};
        return [&progress, &report](std::uint64_t done, std::uint64_t expected) {
            const auto bytes = [&](std::uint64_t n) -> std::uint64_t {
                const std::uint32_t rate = report.source.rate ? report.source.rate : 44100;
                return static_cast<std::uint64_t>(static_cast<long double>(n) * 44100 / rate) * 4;
            };
            progress(bytes(done), expected ? bytes(expected) : 0);
        };
    }

    Level Measure(const std::string &source, const Progress &progress) override {
        audio::PrepareReport report;
        audio::LevelReport level;
        const PrepareResult r =
            audio::measure_level(source, level, InBytes(progress, report), &report);
        if (r != PrepareResult::Done)
            trace::Swallowed("AudioPreparation::Measure",
                             "result " + std::to_string(static_cast<int>(r)) + " for " + source);
        return {OutcomeOf(r, report), level.over, level.lower_db};
    }

    Outcome Prepare(const std::string &source, const std::string &target, double lower_db,
                    const Progress &progress) override {
        audio::PrepareReport report;
        audio::PrepareSettings settings;
        settings.lower_db = lower_db;
        const PrepareResult r =
            audio::prepare_wave(source, target, InBytes(progress, report), &report, settings);
        if (r != PrepareResult::Done)
            trace::Swallowed("AudioPreparation::Prepare",
                             "result " + std::to_string(static_cast<int>(r)) + " for " + target);
        return OutcomeOf(r, report);
    }
};

} // namespace

std::unique_ptr<AudioPreparation> MakeAudioPreparation() {
    return std::make_unique<LibraryPreparation>();
}

} // namespace tf
