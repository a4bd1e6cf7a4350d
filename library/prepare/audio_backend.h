// What the preparation needs from a platform's audio stack: a decoder that
// hands out interleaved float frames at the file's own rate, and a resampler.
// libsndfile and libsoxr stand behind it on Linux, Media Foundation on Windows;
// everything above it (channel mapping, dither, clipping, the wave writing) is
// shared code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tf::audio {

// How the file stores its samples; decides whether the float frames can carry
// more than 16 bits and so need dither on the way down.
enum class SampleKind { Pcm8, Pcm16, Pcm24, Pcm32, Float, Compressed };

struct StreamFormat {
    std::uint32_t rate = 0;
    std::uint32_t channels = 0;
    SampleKind kind = SampleKind::Compressed;
    std::optional<std::uint64_t> frames; // as the file declares them; none when unknown
};

class Decoder {
  public:
    virtual ~Decoder() = default;
    virtual const StreamFormat &format() const = 0;
    // Fills `out` with up to `frames` interleaved frames, full scale being
    // ±1.0; values beyond full scale are passed on, not clipped. Returns the
    // frames given, 0 at the end of the stream or after a failure.
    virtual std::size_t read(float *out, std::size_t frames) = 0;
    // True once a read has failed (as opposed to the stream having ended).
    virtual bool failed() const = 0;
};

enum class OpenFailure {
    None,
    NotOpened,    // missing, unreadable, or not a regular file
    NotDecodable, // opened, but nothing here understands its contents
};

struct Opened {
    std::unique_ptr<Decoder> decoder; // set exactly when failure is None
    OpenFailure failure = OpenFailure::None;
    std::string detail; // the backend's own words, for a trace; never shown as is
};

// `path` is UTF-8 on every platform. Only a regular file is opened.
Opened open_decoder(const std::string &path);

class Resampler {
  public:
    virtual ~Resampler() = default;
    // Appends to `out` the interleaved output these input frames give.
    virtual bool process(const float *in, std::size_t frames, std::vector<float> &out) = 0;
    // Appends what the filter still holds once the input has ended.
    virtual bool finish(std::vector<float> &out) = 0;
};

// The platform's resampler at its highest quality; null when it cannot be made.
std::unique_ptr<Resampler> make_resampler(std::uint32_t from_rate, std::uint32_t to_rate,
                                          std::uint32_t channels);

} // namespace tf::audio
