// What an audio file's own header says about its audio, read by the shared
// code and never by a decoder: decoders quietly shorten their count to what
// the file holds, so only the header itself can tell that the end is missing.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace tf::audio {

using Md5Digest = std::array<std::uint8_t, 16>;

struct SourceClaims {
    // Frames the header declares; none when it does not say (or cannot be
    // trusted: a RIFF size left unset, or one that may have wrapped at 4 GiB).
    std::optional<std::uint64_t> frames;
    // The audio bytes the header declares against those the file holds: a
    // file cut off in transfer holds fewer.
    std::uint64_t declared_bytes = 0;
    std::uint64_t present_bytes = 0;
    // FLAC's digest of the decoded samples, when the encoder stored one, and
    // the sample width it was taken at.
    std::optional<Md5Digest> md5;
    unsigned bits = 0;

    bool cut_short() const { return present_bytes < declared_bytes; }
};

// Reads the container header of `file` (RIFF/RF64 wave, AIFF, FLAC, each
// perhaps behind an ID3v2 tag) and leaves the position where it was. An
// unknown or unreadable container claims nothing.
SourceClaims read_source_claims(std::FILE *file);

// The digest FLAC stores: MD5 over the samples as little-endian signed
// integers of (bits + 7) / 8 bytes each, interleaved.
class Md5 {
  public:
    Md5();
    void update(const std::uint8_t *data, std::size_t size);
    Md5Digest finish();

  private:
    void block(const std::uint8_t *p);
    std::array<std::uint32_t, 4> h_;
    std::array<std::uint8_t, 64> buffer_{};
    std::uint64_t length_ = 0;
};

// Feeds the digest from the decoder's float frames (full scale ±1.0, which a
// lossless decoder gives as the integer divided by 2^(bits-1)).
class SampleDigest {
  public:
    explicit SampleDigest(unsigned bits) : bits_(bits) {}
    void add(const float *samples, std::size_t count);
    Md5Digest finish() { return md5_.finish(); }

  private:
    unsigned bits_;
    Md5 md5_;
    std::array<std::uint8_t, 4096> bytes_{};
};

} // namespace tf::audio
