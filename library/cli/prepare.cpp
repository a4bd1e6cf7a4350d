// trackforge-convert prepare: any audio file to a wave the device plays.
#include "library/cli/cli.h"

#include "library/prepare/prepare.h"

#include <cstdio>
#include <iostream>

namespace tf::cli {

namespace {

using audio::PrepareReport;
using audio::PrepareResult;
using audio::SampleKind;

Refusal failure_for(PrepareResult result) {
    switch (result) {
    case PrepareResult::SourceNotOpened:
        return {kSourceNotOpened, Msg::PrepareSourceNotOpened};
    case PrepareResult::NotDecodable:
        return {kNotDecodable, Msg::PrepareNotDecodable};
    case PrepareResult::TooManyChannels:
        return {kTooManyChannels, Msg::PrepareTooManyChannels};
    case PrepareResult::SameFile:
        return {kTargetIsSource, Msg::PrepareSameFile};
    case PrepareResult::TargetExists:
        return {kTargetExists, Msg::PrepareTargetExists};
    case PrepareResult::TargetNotCreated:
        return {kTargetNotCreated, Msg::PrepareTargetNotCreated};
    case PrepareResult::ReadError:
        return {kReadError, Msg::PrepareReadError};
    case PrepareResult::TooLong:
        return {kTooLong, Msg::PrepareTooLong};
    case PrepareResult::NoResampler:
        return {kNoResampler, Msg::PrepareNoResampler};
    case PrepareResult::RateUnsupported:
        return {kRateUnsupported, Msg::PrepareRateUnsupported};
    case PrepareResult::Damaged:
        return {kDamaged, Msg::PrepareDamagedEnds};
    case PrepareResult::WriteError:
    case PrepareResult::Done:
        break;
    }
    return {kIoError, Msg::PrepareWriteError};
}

std::string_view kind_name(SampleKind kind) {
    switch (kind) {
    case SampleKind::Pcm8:
        return "8 bit";
    case SampleKind::Pcm16:
        return "16 bit";
    case SampleKind::Pcm24:
        return "24 bit";
    case SampleKind::Pcm32:
        return "32 bit";
    case SampleKind::Float:
        return "float";
    case SampleKind::Compressed:
        break;
    }
    return "compressed";
}

Msg damage_message(audio::Damage damage) {
    switch (damage) {
    case audio::Damage::DecoderError:
        return Msg::PrepareDamagedDecoder;
    case audio::Damage::NoAudio:
        return Msg::PrepareDamagedNoAudio;
    case audio::Damage::Checksum:
        return Msg::PrepareDamagedChecksum;
    case audio::Damage::EndsEarly:
    case audio::Damage::None:
        break;
    }
    return Msg::PrepareDamagedEnds;
}

std::string decibels(double db) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", db);
    return text;
}

// What became of the source, with the clipping count a user must hear about.
std::string what_was_done(const PrepareReport &report) {
    if (report.copied_unchanged) {
        return say(Msg::PreparedCopied, {std::to_string(report.frames_written)});
    }
    std::string done =
        say(Msg::PreparedConverted,
            {std::to_string(report.frames_written), std::to_string(report.source.rate),
             std::to_string(report.source.channels), kind_name(report.source.kind),
             report.resampled ? "resampled" : "not resampled",
             report.dithered ? "dithered" : "no dither", std::to_string(report.clipped)});
    if (report.lowered_db > 0) {
        done += say(Msg::PreparedLowered, {decibels(report.lowered_db)});
    }
    return done;
}

// Says a failure; the target is named only where it is the cause.
int tell_failure(const std::string &input, const std::string &output, PrepareResult result,
                 const PrepareReport &report) {
    const Refusal failure = failure_for(result);
    const Msg message =
        result == PrepareResult::Damaged ? damage_message(report.damage) : failure.message;
    const std::uint32_t rate = report.source.rate;
    std::cerr << say(message, {shown(input), shown(output), std::to_string(report.source.channels),
                               std::to_string(rate), audio::clock_time(report.frames_decoded, rate),
                               audio::clock_time(report.frames_declared, rate)});
    return failure.exit;
}

PrepareResult prepare_with_bar(const std::string &input, const std::string &output,
                               PrepareReport &report, bool headroom) {
    ProgressBar bar;
    audio::PrepareProgress progress;
    if (stderr_is_terminal()) {
        // Counted in seconds of the source; three minutes and more get a bar.
        progress = [&bar, &report](std::uint64_t done, std::uint64_t total) {
            const std::uint64_t rate = report.source.rate;
            bar.update(done, total, {rate * 180, rate, "s"});
        };
    }
    audio::PrepareSettings settings;
    settings.headroom = headroom;
    return audio::prepare_wave(input, output, progress, &report, settings);
}

} // namespace

int run_prepare(const std::string &input, const std::string &output, bool headroom) {
    if (const std::string why = not_a_file(input, "audio file"); !why.empty()) {
        std::cerr << why;
        return kSourceNotOpened;
    }
    PrepareReport report;
    const PrepareResult result = prepare_with_bar(input, output, report, headroom);
    if (result != PrepareResult::Done) {
        return tell_failure(input, output, result, report);
    }
    std::cout << say(Msg::Prepared, {shown(output), what_was_done(report)});
    return kOk;
}

int prepare_for_convert(const std::string &input, const std::string &wave, bool headroom) {
    PrepareReport report;
    const PrepareResult result = prepare_with_bar(input, wave, report, headroom);
    if (result != PrepareResult::Done) {
        return tell_failure(input, wave, result, report);
    }
    std::cerr << say(Msg::PreparedOnTheWay, {shown(input), what_was_done(report)});
    return kOk;
}

} // namespace tf::cli
