#include "library/prepare/prepare.h"

#include "library/file_system.h"
#include "library/prepare/wave_file.h"
#include "library/project_writer.h"
#include "library/wave_header.h"

#include <cmath>
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

// Interleaved float frames of one or two channels to 16-bit stereo bytes. A
// mono source is quantised once and written to both channels, so the two stay
// identical even with dither.
class StereoSink {
  public:
    StereoSink(WaveOut &out, std::uint32_t channels, bool dither)
        : out_(out), channels_(channels), dither_(dither) {}

    bool put(const float *in, std::size_t frames) {
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
    Tpdf tpdf_;
    std::vector<std::uint8_t> bytes_;
    std::uint64_t clipped_ = 0;
    std::uint64_t frames_ = 0;
};

struct Job {
    const std::string &source;
    const std::string &target;
    const PrepareProgress &progress;
    PrepareReport &report;
};

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
        if (job.progress) {
            job.progress(job.report.frames_written, expected);
        }
        if (got < want) {
            break;
        }
    }
    return std::ferror(src) ? PrepareResult::ReadError : committed(out);
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

// Reads, resamples where the rate differs, and hands the frames to `sink`.
PrepareResult stream_frames(Decoder &decoder, Resampler *resampler, StereoSink &sink,
                            const WaveOut &out, Job &job) {
    const StreamFormat &format = decoder.format();
    std::vector<float> in(kBlockFrames * format.channels);
    std::vector<float> resampled;
    std::uint64_t done = 0;
    for (;;) {
        const std::size_t got = decoder.read(in.data(), kBlockFrames);
        if (got == 0) {
            break;
        }
        done += got;
        resampled.clear();
        if (resampler && !resampler->process(in.data(), got, resampled)) {
            return PrepareResult::NoResampler;
        }
        const float *frames = resampler ? resampled.data() : in.data();
        const std::size_t count = resampler ? resampled.size() / format.channels : got;
        if (!sink.put(frames, count)) {
            return write_failure(out);
        }
        if (job.progress) {
            job.progress(done, format.frames.value_or(0));
        }
    }
    if (decoder.failed()) {
        return PrepareResult::ReadError;
    }
    resampled.clear();
    if (resampler && !resampler->finish(resampled)) {
        return PrepareResult::NoResampler;
    }
    if (!sink.put(resampled.data(), resampled.size() / format.channels)) {
        return write_failure(out);
    }
    return PrepareResult::Done;
}

PrepareResult decode(Job &job) {
    Opened opened = open_decoder(job.source);
    if (opened.failure != OpenFailure::None || !opened.decoder) {
        return open_failure(opened.failure);
    }
    Decoder &decoder = *opened.decoder;
    const StreamFormat format = decoder.format();
    job.report.source = format;
    if (format.channels == 0 || format.rate == 0) {
        return PrepareResult::NotDecodable;
    }
    if (format.channels > 2) {
        return PrepareResult::TooManyChannels;
    }
    std::unique_ptr<Resampler> resampler;
    if (format.rate != kDeviceRate) {
        resampler = make_resampler(format.rate, kDeviceRate, format.channels);
        if (!resampler) {
            return PrepareResult::NoResampler;
        }
    }
    job.report.resampled = resampler != nullptr;
    job.report.dithered = needs_dither(format, job.report.resampled);
    if (format.frames && frames_at_device_rate(*format.frames, format.rate) * 4 > kMaxDataBytes) {
        return PrepareResult::TooLong;
    }
    WaveOut out;
    if (const WaveOpen made = out.open(job.target); made != WaveOpen::Opened) {
        return opened_as(made);
    }
    StereoSink sink(out, format.channels, job.report.dithered);
    const PrepareResult streamed = stream_frames(decoder, resampler.get(), sink, out, job);
    job.report.frames_written = sink.frames();
    job.report.clipped = sink.clipped();
    return streamed == PrepareResult::Done ? committed(out) : streamed;
}

bool device_ready(std::FILE *src) {
    WaveHeaderBytes header{};
    return std::fread(header.data(), 1, header.size(), src) == header.size() &&
           check_wave_header(header) == WaveCheck::Accepted && seek_to(src, 0);
}

PrepareResult prepare(Job &job) {
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
        if (device_ready(src.get())) {
            return copy_device_ready(src.get(), job);
        }
    }
    return decode(job);
}

} // namespace

PrepareResult prepare_wave(const std::string &source, const std::string &target,
                           const PrepareProgress &progress, PrepareReport *report) noexcept {
    try {
        PrepareReport local;
        PrepareReport &told = report ? *report : local;
        told = PrepareReport{};
        Job job{source, target, progress, told};
        return prepare(job);
    } catch (...) {
        // Out of memory, or a progress callback that threw; the wave being
        // written has been removed on the way out.
        return PrepareResult::WriteError;
    }
}

} // namespace tf::audio
