#include "library/prepare/prepare.h"

#include "library/file_system.h"
#include "library/prepare/source_claims.h"
#include "library/prepare/wave_file.h"
#include "library/project_writer.h"
#include "library/wave_header.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tf::audio {

namespace {

constexpr std::uint32_t kDeviceRate = 44100;
constexpr std::size_t kBlockFrames = 16384;

// Triangular dither of 1 LSB either way: the sum of two uniform values of one
// LSB's width. A fixed seed keeps the output the same from run to run.
class Tpdf {
  public:
    float next() { return uniform() + uniform(); }

  private:
    float uniform() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<float>(state_ >> 40) * (1.0f / 16777216.0f) - 0.5f;
    }
    std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

// Where the frames at the device's rate go: into the wave, or into a measure.
class FrameSink {
  public:
    virtual ~FrameSink() = default;
    virtual bool put(const float *in, std::size_t frames) = 0;
};

// Interleaved float frames of one or two channels to 16-bit stereo bytes. A
// mono source is quantised once and written to both channels, so the two stay
// identical even with dither.
class StereoSink final : public FrameSink {
  public:
    StereoSink(WaveOut &out, std::uint32_t channels, bool dither, double lower_db)
        : out_(out), channels_(channels), dither_(dither),
          gain_(static_cast<float>(std::pow(10.0, -lower_db / 20))) {}

    bool put(const float *in, std::size_t frames) override {
        bytes_.resize(frames * 4);
        std::uint8_t *at = bytes_.data();
        for (std::size_t i = 0; i < frames; ++i, at += 4) {
            const std::int16_t left = quantise(in[i * channels_]);
            const std::int16_t right = channels_ == 1 ? left : quantise(in[i * channels_ + 1]);
            at[0] = static_cast<std::uint8_t>(left);
            at[1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(left) >> 8);
            at[2] = static_cast<std::uint8_t>(right);
            at[3] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(right) >> 8);
        }
        frames_ += frames;
        return out_.write(bytes_.data(), bytes_.size());
    }
    std::uint64_t clipped() const { return clipped_; }
    std::uint64_t frames() const { return frames_; }

  private:
    // Full scale is ±1.0; +1.0 itself lies half a step above the largest
    // sample and is clamped without counting, like dither stepping over it.
    std::int16_t quantise(float x) {
        x *= gain_;
        float v;
        if (x > 1.0f || x < -1.0f) {
            ++clipped_;
            v = x > 0 ? 32767.0f : -32768.0f;
        } else if (std::isnan(x)) {
            v = 0.0f;
        } else {
            v = x * 32768.0f + (dither_ ? tpdf_.next() : 0.0f);
        }
        const long q = std::lrint(v);
        return static_cast<std::int16_t>(q > 32767 ? 32767 : q < -32768 ? -32768 : q);
    }

    WaveOut &out_;
    std::uint32_t channels_;
    bool dither_;
    float gain_;
    Tpdf tpdf_;
    std::vector<std::uint8_t> bytes_;
    std::uint64_t clipped_ = 0;
    std::uint64_t frames_ = 0;
};

// The level of the frames, as the wave would get them before quantising.
class PeakMeter final : public FrameSink {
  public:
    explicit PeakMeter(std::uint32_t channels) : channels_(channels) {}
    bool put(const float *in, std::size_t frames) override {
        for (std::size_t i = 0; i < frames * channels_; ++i) {
            const float a = std::fabs(in[i]);
            if (a > level_.peak) {
                level_.peak = a;
            }
            if (a > 1.0f) {
                ++level_.over;
            }
        }
        return true;
    }
    // Lowered by this much the peak sits a step below full scale, so neither
    // the count nor the dither's clamp ever meets it.
    LevelReport level() const {
        LevelReport l = level_;
        if (l.over > 0) {
            const double db = 20 * std::log10(static_cast<double>(l.peak) * 32768.0 / 32767.0);
            l.lower_db = std::ceil(db * 10) / 10;
        }
        return l;
    }

  private:
    std::uint32_t channels_;
    LevelReport level_;
};

struct Job {
    const std::string &source;
    const std::string &target;
    const PrepareProgress &progress;
    PrepareReport &report;
    SourceClaims claims;
    // The share of the progress one pass covers: a measured preparation
    // reads the file twice.
    std::uint64_t pass = 0, passes = 1;
};

void tell_progress(const Job &job, std::uint64_t done, std::uint64_t expected) {
    if (job.progress) {
        job.progress(job.pass * expected + done, job.passes * expected);
    }
}

// A header that declares more audio than the file holds: refused before a
// single frame is decoded, said in the times the header gives.
PrepareResult cut_short(const SourceClaims &claims, PrepareReport &report) {
    const std::uint64_t declared = claims.frames.value_or(report.source.frames.value_or(0));
    report.damage = Damage::EndsEarly;
    report.frames_declared = declared;
    report.frames_decoded = static_cast<std::uint64_t>(
        static_cast<long double>(declared) * claims.present_bytes / claims.declared_bytes);
    return PrepareResult::Damaged;
}

PrepareResult opened_as(WaveOpen opened) {
    return opened == WaveOpen::TargetExists ? PrepareResult::TargetExists
                                            : PrepareResult::TargetNotCreated;
}

PrepareResult write_failure(const WaveOut &out) {
    return out.too_long() ? PrepareResult::TooLong : PrepareResult::WriteError;
}

PrepareResult committed(WaveOut &out) {
    switch (out.commit()) {
    case WaveCommit::Done:
        return PrepareResult::Done;
    case WaveCommit::TargetExists:
        return PrepareResult::TargetExists;
    case WaveCommit::WriteFailed:
        break;
    }
    return PrepareResult::WriteError;
}

// The audio as the converter itself finds it, byte for byte, in whole frames.
PrepareResult copy_device_ready(std::FILE *src, Job &job) {
    const auto layout = read_source_layout(src);
    if (!layout) {
        return PrepareResult::ReadError;
    }
    const std::uint64_t expected = layout->expected / 4;
    job.report.source = {kDeviceRate, 2, SampleKind::Pcm16, expected};
    job.report.copied_unchanged = true;
    if (job.claims.cut_short()) {
        return cut_short(job.claims, job.report);
    }
    if (expected * 4 > kMaxDataBytes) {
        return PrepareResult::TooLong;
    }
    WaveOut out;
    if (const WaveOpen opened = out.open(job.target); opened != WaveOpen::Opened) {
        return opened_as(opened);
    }
    std::vector<std::uint8_t> buffer(kBlockFrames * 4);
    std::uint64_t remaining =
        layout->audio_length.value_or(std::numeric_limits<std::uint64_t>::max());
    std::size_t carry = 0; // bytes of a frame begun at the end of the last block
    while (remaining > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size() - carry, remaining));
        const std::size_t got = std::fread(buffer.data() + carry, 1, want, src);
        remaining -= got;
        const std::size_t whole = (carry + got) / 4 * 4;
        if (!out.write(buffer.data(), whole)) {
            return write_failure(out);
        }
        carry = carry + got - whole;
        std::memmove(buffer.data(), buffer.data() + whole, carry);
        job.report.frames_written = out.data_bytes() / 4;
        tell_progress(job, job.report.frames_written, expected);
        if (got < want) {
            break;
        }
    }
    if (std::ferror(src)) {
        return PrepareResult::ReadError;
    }
    job.report.frames_decoded = job.report.frames_written;
    if (job.report.frames_written == 0) {
        job.report.damage = Damage::NoAudio;
        return PrepareResult::Damaged;
    }
    return committed(out);
}

PrepareResult open_failure(OpenFailure failure) {
    return failure == OpenFailure::NotOpened ? PrepareResult::SourceNotOpened
                                             : PrepareResult::NotDecodable;
}

bool needs_dither(const StreamFormat &format, bool resampled) {
    return resampled || (format.kind != SampleKind::Pcm8 && format.kind != SampleKind::Pcm16);
}

// Frames the device rate gives for `frames` at `rate`, rounded.
std::uint64_t frames_at_device_rate(std::uint64_t frames, std::uint32_t rate) {
    return static_cast<std::uint64_t>(
        std::llround(static_cast<long double>(frames) * kDeviceRate / rate));
}

// Whether the frames decoded are all the file declares and what it stores a
// digest of. A count the container gives is exact; one only the decoder
// estimates (a compressed stream's) may be off by a few milliseconds.
PrepareResult judge(const Decoder &decoder, std::uint64_t decoded, SampleDigest *digest, Job &job) {
    PrepareReport &report = job.report;
    const StreamFormat &format = decoder.format();
    report.frames_decoded = decoded;
    const std::optional<std::uint64_t> declared =
        job.claims.frames ? job.claims.frames : format.frames;
    report.frames_declared = declared.value_or(0);
    const std::uint64_t slack = job.claims.frames ? 0 : format.rate / 20;
    if (decoder.failed()) {
        report.damage = Damage::DecoderError;
    } else if (decoded == 0) {
        report.damage = Damage::NoAudio;
    } else if (declared && decoded + slack < *declared) {
        report.damage = Damage::EndsEarly;
    } else if (digest && digest->finish() != *job.claims.md5) {
        report.damage = Damage::Checksum;
    }
    return report.damage == Damage::None ? PrepareResult::Done : PrepareResult::Damaged;
}

// The resampler is fed in pieces whose output fits one block, so memory stays
// the same at any ratio: a 1 kHz source would otherwise give 44 times the
// block at once.
std::size_t piece_frames(std::uint32_t rate) {
    return rate >= kDeviceRate
               ? kBlockFrames
               : std::max<std::size_t>(
                     1, static_cast<std::size_t>(std::uint64_t{kBlockFrames} * rate / kDeviceRate));
}

// The digest is checked only at the widths whose float values are known to
// be the integers exactly (the decoder divides by 2^(width-1)).
std::unique_ptr<SampleDigest> digest_for(const SourceClaims &claims) {
    const unsigned bits = claims.bits;
    if (!claims.md5 || (bits != 8 && bits != 16 && bits != 24)) {
        return nullptr;
    }
    return std::make_unique<SampleDigest>(bits);
}

// Reads, resamples where the rate differs, and hands the frames to `sink`;
// then judges whether the file gave all it declares.
PrepareResult stream_frames(Decoder &decoder, Resampler *resampler, FrameSink &sink,
                            const WaveOut *out, Job &job) {
    const StreamFormat &format = decoder.format();
    const std::size_t piece = resampler ? piece_frames(format.rate) : kBlockFrames;
    std::vector<float> in(piece * format.channels);
    std::vector<float> resampled;
    const std::unique_ptr<SampleDigest> digest = digest_for(job.claims);
    const std::uint64_t expected = job.claims.frames.value_or(format.frames.value_or(0));
    auto failed_write = [out] { return out ? write_failure(*out) : PrepareResult::WriteError; };
    std::uint64_t done = 0;
    for (;;) {
        const std::size_t got = decoder.read(in.data(), piece);
        if (got == 0) {
            break;
        }
        done += got;
        if (digest) {
            digest->add(in.data(), got * format.channels);
        }
        resampled.clear();
        if (resampler && !resampler->process(in.data(), got, resampled)) {
            return PrepareResult::NoResampler;
        }
        const float *frames = resampler ? resampled.data() : in.data();
        const std::size_t count = resampler ? resampled.size() / format.channels : got;
        if (!sink.put(frames, count)) {
            return failed_write();
        }
        tell_progress(job, done, expected);
    }
    if (const PrepareResult judged = judge(decoder, done, digest.get(), job);
        judged != PrepareResult::Done) {
        return judged;
    }
    resampled.clear();
    if (resampler && !resampler->finish(resampled)) {
        return PrepareResult::NoResampler;
    }
    if (!sink.put(resampled.data(), resampled.size() / format.channels)) {
        return failed_write();
    }
    return PrepareResult::Done;
}

// The decoder and resampler of one pass over the source, with every refusal
// the header alone allows made before anything is written.
struct Pass {
    Opened opened;
    std::unique_ptr<Resampler> resampler;
};

PrepareResult open_pass(Job &job, Pass &pass) {
    pass.opened = open_decoder(job.source);
    if (pass.opened.failure != OpenFailure::None || !pass.opened.decoder) {
        return open_failure(pass.opened.failure);
    }
    const StreamFormat format = pass.opened.decoder->format();
    job.report.source = format;
    if (format.channels == 0 || format.rate == 0) {
        return PrepareResult::NotDecodable;
    }
    if (format.rate < kLowestRate || format.rate > kHighestRate) {
        return PrepareResult::RateUnsupported;
    }
    if (format.channels > 2) {
        return PrepareResult::TooManyChannels;
    }
    if (job.claims.cut_short()) {
        return cut_short(job.claims, job.report);
    }
    if (format.rate != kDeviceRate) {
        pass.resampler = make_resampler(format.rate, kDeviceRate, format.channels);
        if (!pass.resampler) {
            return PrepareResult::NoResampler;
        }
    }
    job.report.resampled = pass.resampler != nullptr;
    job.report.dithered = needs_dither(format, job.report.resampled);
    return PrepareResult::Done;
}

// Integer samples at the device's rate never leave full scale.
bool can_exceed_full_scale(const Pass &pass) {
    const SampleKind kind = pass.opened.decoder->format().kind;
    return pass.resampler || kind == SampleKind::Float || kind == SampleKind::Compressed;
}

PrepareResult measure(Job &job, LevelReport &level) {
    Pass pass;
    if (const PrepareResult opened = open_pass(job, pass); opened != PrepareResult::Done) {
        return opened;
    }
    PeakMeter meter(pass.opened.decoder->format().channels);
    const PrepareResult measured =
        stream_frames(*pass.opened.decoder, pass.resampler.get(), meter, nullptr, job);
    level = meter.level();
    return measured;
}

PrepareResult decode(Job &job, const PrepareSettings &settings) {
    Pass pass;
    if (const PrepareResult opened = open_pass(job, pass); opened != PrepareResult::Done) {
        return opened;
    }
    const StreamFormat format = pass.opened.decoder->format();
    if (format.frames && frames_at_device_rate(*format.frames, format.rate) * 4 > kMaxDataBytes) {
        return PrepareResult::TooLong;
    }
    double lower_db = settings.lower_db;
    if (settings.headroom && can_exceed_full_scale(pass)) {
        LevelReport level;
        job.passes = 2;
        const PrepareResult measured = measure(job, level);
        if (measured != PrepareResult::Done) {
            return measured;
        }
        lower_db = level.lower_db;
        job.pass = 1;
    }
    job.report.lowered_db = lower_db;
    WaveOut out;
    if (const WaveOpen made = out.open(job.target); made != WaveOpen::Opened) {
        return opened_as(made);
    }
    StereoSink sink(out, format.channels, job.report.dithered, lower_db);
    const PrepareResult streamed =
        stream_frames(*pass.opened.decoder, pass.resampler.get(), sink, &out, job);
    job.report.frames_written = sink.frames();
    job.report.clipped = sink.clipped();
    return streamed == PrepareResult::Done ? committed(out) : streamed;
}

bool device_ready(std::FILE *src) {
    WaveHeaderBytes header{};
    return std::fread(header.data(), 1, header.size(), src) == header.size() &&
           check_wave_header(header) == WaveCheck::Accepted && seek_to(src, 0);
}

PrepareResult prepare(Job &job, const PrepareSettings &settings) {
    if (!is_regular_file(job.source)) {
        return PrepareResult::SourceNotOpened;
    }
    if (same_file_utf8(job.source, job.target)) {
        return PrepareResult::SameFile;
    }
    if (name_taken(job.target)) {
        return PrepareResult::TargetExists;
    }
    {
        File src = open_for_reading(job.source);
        if (!src) {
            return PrepareResult::SourceNotOpened;
        }
        job.claims = read_source_claims(src.get());
        if (device_ready(src.get())) {
            return copy_device_ready(src.get(), job);
        }
    }
    return decode(job, settings);
}

} // namespace

PrepareResult prepare_wave(const std::string &source, const std::string &target,
                           const PrepareProgress &progress, PrepareReport *report,
                           const PrepareSettings &settings) noexcept {
    try {
        PrepareReport local;
        PrepareReport &told = report ? *report : local;
        told = PrepareReport{};
        Job job{source, target, progress, told, {}};
        return prepare(job, settings);
    } catch (...) {
        // Out of memory, or a progress callback that threw; the wave being
        // written has been removed on the way out.
        return PrepareResult::WriteError;
    }
}

std::string clock_time(std::uint64_t frames, std::uint32_t rate) {
    const std::uint64_t s = rate ? frames / rate : 0;
    char text[32];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%llu:%02u:%02u",
                      static_cast<unsigned long long>(s / 3600), static_cast<unsigned>(s / 60 % 60),
                      static_cast<unsigned>(s % 60));
    } else {
        std::snprintf(text, sizeof text, "%u:%02u", static_cast<unsigned>(s / 60),
                      static_cast<unsigned>(s % 60));
    }
    return text;
}

PrepareResult measure_level(const std::string &source, LevelReport &level,
                            const PrepareProgress &progress, PrepareReport *report) noexcept {
    try {
        PrepareReport local;
        PrepareReport &told = report ? *report : local;
        told = PrepareReport{};
        level = LevelReport{};
        if (!is_regular_file(source)) {
            return PrepareResult::SourceNotOpened;
        }
        const std::string no_target;
        Job job{source, no_target, progress, told, {}};
        {
            File src = open_for_reading(source);
            if (!src) {
                return PrepareResult::SourceNotOpened;
            }
            job.claims = read_source_claims(src.get());
            // A device-ready wave is copied as it is and cannot clip.
            if (device_ready(src.get())) {
                return job.claims.cut_short() ? cut_short(job.claims, told) : PrepareResult::Done;
            }
        }
        return measure(job, level);
    } catch (...) {
        return PrepareResult::ReadError;
    }
}

} // namespace tf::audio
