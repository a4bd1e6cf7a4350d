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
    default:
        return AudioPreparation::Result::Failed;
    }
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

    Outcome Prepare(const std::string &source, const std::string &target,
                    const Progress &progress) override {
        audio::PrepareReport report;
        // The core counts source frames; the window counts the wave's bytes.
        audio::PrepareProgress frames;
        if (progress)
            frames = [&](std::uint64_t done, std::uint64_t expected) {
                const auto bytes = [&](std::uint64_t n) -> std::uint64_t {
                    const std::uint32_t rate = report.source.rate ? report.source.rate : 44100;
                    return static_cast<std::uint64_t>(static_cast<long double>(n) * 44100 / rate) *
                           4;
                };
                progress(bytes(done), expected ? bytes(expected) : 0);
            };
        const PrepareResult r = audio::prepare_wave(source, target, frames, &report);
        if (r != PrepareResult::Done)
            trace::Swallowed("AudioPreparation::Prepare",
                             "result " + std::to_string(static_cast<int>(r)) + " for " + target);
        return {Told(r), r == PrepareResult::Done ? report.clipped : 0};
    }
};

} // namespace

std::unique_ptr<AudioPreparation> MakeAudioPreparation() {
    return std::make_unique<LibraryPreparation>();
}

} // namespace tf
