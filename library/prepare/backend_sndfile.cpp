// The audio stack behind the preparation on every platform: libsndfile
// decodes (WAV in all its forms, AIFF, FLAC, Ogg Vorbis, Opus, MP3 as Debian
// builds it), libsoxr resamples. Windows links the same versions, cross-built.
#include "library/prepare/audio_backend.h"
#include "library/prepare/decoders.h"
#include "library/prepare/wave_file.h"

#include <cstdio>
#include <sndfile.h>
#include <soxr.h>

namespace tf::audio {

namespace {

SampleKind kind_of(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return SampleKind::Pcm8;
    case SF_FORMAT_PCM_16:
        return SampleKind::Pcm16;
    case SF_FORMAT_PCM_24:
        return SampleKind::Pcm24;
    case SF_FORMAT_PCM_32:
        return SampleKind::Pcm32;
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        return SampleKind::Float;
    default:
        return SampleKind::Compressed;
    }
}

class SndfileDecoder final : public Decoder {
  public:
    // Takes over `file`; the descriptor stays its, libsndfile only reads it.
    SndfileDecoder(std::FILE *file, SNDFILE *sf, const SF_INFO &info) : file_(file), sf_(sf) {
        format_.rate = static_cast<std::uint32_t>(info.samplerate);
        format_.channels = static_cast<std::uint32_t>(info.channels);
        format_.kind = kind_of(info.format);
        if (info.frames >= 0 && info.frames != SF_COUNT_MAX) {
            format_.frames = static_cast<std::uint64_t>(info.frames);
        }
        // Float data beyond full scale must reach the clipping count, so
        // libsndfile may not clip it on the way.
        sf_command(sf_, SFC_SET_CLIPPING, nullptr, SF_FALSE);
        sf_command(sf_, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    }
    ~SndfileDecoder() override {
        sf_close(sf_);
        std::fclose(file_);
    }
    SndfileDecoder(const SndfileDecoder &) = delete;
    SndfileDecoder &operator=(const SndfileDecoder &) = delete;

    const StreamFormat &format() const override { return format_; }

    std::size_t read(float *out, std::size_t frames) override {
        if (failed_) {
            return 0;
        }
        const sf_count_t got = sf_readf_float(sf_, out, static_cast<sf_count_t>(frames));
        if (got <= 0 && sf_error(sf_) != SF_ERR_NO_ERROR) {
            failed_ = true;
        }
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

    bool failed() const override { return failed_; }

  private:
    std::FILE *file_;
    SNDFILE *sf_;
    StreamFormat format_;
    bool failed_ = false;
};

class SoxrResampler final : public Resampler {
  public:
    SoxrResampler(soxr_t soxr, double ratio, std::uint32_t channels)
        : soxr_(soxr), ratio_(ratio), channels_(channels) {}
    ~SoxrResampler() override { soxr_delete(soxr_); }
    SoxrResampler(const SoxrResampler &) = delete;
    SoxrResampler &operator=(const SoxrResampler &) = delete;

    bool process(const float *in, std::size_t frames, std::vector<float> &out) override {
        while (frames > 0) {
            std::size_t used = 0;
            const std::size_t made = step(in, frames, &used, out);
            if (failed_ || (used == 0 && made == 0)) {
                return !failed_;
            }
            in += used * channels_;
            frames -= used;
        }
        return true;
    }

    // Input null tells soxr the stream has ended; it then gives out its tail
    // over as many calls as the room allows.
    bool finish(std::vector<float> &out) override {
        while (step(nullptr, 0, nullptr, out) > 0) {
        }
        return !failed_;
    }

  private:
    std::size_t step(const float *in, std::size_t frames, std::size_t *used,
                     std::vector<float> &out) {
        const std::size_t room = static_cast<std::size_t>(frames * ratio_) + 1024;
        const std::size_t at = out.size();
        out.resize(at + room * channels_);
        std::size_t made = 0;
        failed_ = soxr_process(soxr_, in, frames, used, out.data() + at, room, &made) != nullptr;
        out.resize(at + (failed_ ? 0 : made) * channels_);
        return failed_ ? 0 : made;
    }

    soxr_t soxr_;
    double ratio_;
    std::uint32_t channels_;
    bool failed_ = false;
};

} // namespace

Opened open_sndfile_decoder(const std::string &path) {
    Opened opened;
    // UTF-8 on every platform, whatever the paths of the project writer are.
    std::FILE *file = open_for_reading(path).release();
    if (!file) {
        opened.failure = OpenFailure::NotOpened;
        return opened;
    }
    SF_INFO info{};
    SNDFILE *sf = sf_open_fd(fileno(file), SFM_READ, &info, SF_FALSE);
    if (!sf) {
        opened.failure = OpenFailure::NotDecodable;
        opened.detail = sf_strerror(nullptr);
        std::fclose(file);
        return opened;
    }
    try {
        opened.decoder = std::make_unique<SndfileDecoder>(file, sf, info);
    } catch (...) {
        sf_close(sf);
        std::fclose(file);
        throw;
    }
    return opened;
}

std::unique_ptr<Resampler> make_resampler(std::uint32_t from_rate, std::uint32_t to_rate,
                                          std::uint32_t channels) {
    if (from_rate == 0 || to_rate == 0 || channels == 0) {
        return nullptr;
    }
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    soxr_error_t error = nullptr;
    soxr_t soxr = soxr_create(from_rate, to_rate, channels, &error, &io, &quality, nullptr);
    if (!soxr || error) {
        soxr_delete(soxr);
        return nullptr;
    }
    const double ratio = static_cast<double>(to_rate) / from_rate;
    try {
        return std::make_unique<SoxrResampler>(soxr, ratio, channels);
    } catch (...) {
        soxr_delete(soxr);
        throw;
    }
}

} // namespace tf::audio
