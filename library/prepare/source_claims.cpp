#include "library/prepare/source_claims.h"

#include "library/file_system.h"

#include <cmath>
#include <cstring>

namespace tf::audio {

namespace {

constexpr std::uint32_t kUnset = 0xFFFFFFFFu;
constexpr std::uint64_t kFourGiB = 1ULL << 32;

std::uint32_t le(const std::uint8_t *p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

std::uint32_t be(const std::uint8_t *p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        v = (v << 8) | p[i];
    }
    return v;
}

std::uint64_t le64(const std::uint8_t *p) {
    return le(p, 4) | std::uint64_t{le(p + 4, 4)} << 32;
}

class Reader {
  public:
    Reader(std::FILE *f, std::uint64_t size) : f_(f), size_(size) {}
    bool at(std::uint64_t offset, std::uint8_t *out, std::size_t n) {
        return offset + n <= size_ && seek_to(f_, offset) && std::fread(out, 1, n, f_) == n;
    }
    std::uint64_t size() const { return size_; }

  private:
    std::FILE *f_;
    std::uint64_t size_;
};

// An ID3v2 tag in front of the audio (common before FLAC and MP3): its
// length, with its ten-byte header and optional footer.
std::uint64_t id3_length(Reader &in) {
    std::uint8_t h[10];
    if (!in.at(0, h, sizeof h) || std::memcmp(h, "ID3", 3) != 0) {
        return 0;
    }
    const std::uint64_t body =
        (h[6] & 0x7Fu) << 21 | (h[7] & 0x7Fu) << 14 | (h[8] & 0x7Fu) << 7 | (h[9] & 0x7Fu);
    return 10 + body + ((h[5] & 0x10) ? 10 : 0);
}

// A size of 0 or all ones is what a recorder leaves when it never came back
// to fill it in; past 4 GiB a 32-bit size may have wrapped. None is a claim.
void claim_bytes(SourceClaims &c, std::uint64_t declared, std::uint64_t start, std::uint64_t size,
                 std::uint64_t slack) {
    const std::uint64_t present = size > start ? size - start : 0;
    c.declared_bytes = declared;
    // Less than one frame missing is a writer rounding its size, not a loss.
    c.present_bytes = present + slack >= declared ? declared : present;
}

void read_wave(Reader &in, SourceClaims &c, bool rf64) {
    std::uint64_t ds64_data = 0;
    std::uint32_t tag = 0, block = 0, width = 0;
    std::uint8_t h[8];
    for (std::uint64_t at = 12; in.at(at, h, sizeof h);) {
        const std::uint32_t size = le(h + 4, 4);
        const std::uint64_t body = at + 8;
        std::uint8_t b[24];
        if (std::memcmp(h, "ds64", 4) == 0 && size >= 24 && in.at(body, b, 24)) {
            ds64_data = le64(b + 8);
        } else if (std::memcmp(h, "fmt ", 4) == 0 && size >= 16 && in.at(body, b, 16)) {
            tag = le(b, 2);
            block = le(b + 12, 2);
            width = le(b + 2, 2) * ((le(b + 14, 2) + 7) / 8);
        } else if (std::memcmp(h, "data", 4) == 0) {
            const bool big = rf64 && size == kUnset;
            const std::uint64_t declared = big ? ds64_data : size;
            if (declared == 0 || (!big && (size == kUnset || in.size() >= kFourGiB))) {
                return;
            }
            claim_bytes(c, declared, body, in.size(), block > 1 ? block - 1 : 1);
            // A count only where the frame size is beyond doubt; a header whose
            // block size disagrees with its width leaves the decoder to judge.
            const bool plain = tag == 1 || tag == 3 || tag == 0xFFFE;
            if (plain && block > 0 && block == width) {
                c.frames = declared / block;
            }
            return;
        }
        at = body + size + (size & 1);
    }
}

void read_aiff(Reader &in, SourceClaims &c) {
    std::optional<std::uint64_t> frames;
    std::uint32_t block = 0;
    std::uint8_t h[8];
    for (std::uint64_t at = 12; in.at(at, h, sizeof h);) {
        const std::uint32_t size = be(h + 4, 4);
        const std::uint64_t body = at + 8;
        std::uint8_t b[8];
        if (std::memcmp(h, "COMM", 4) == 0 && size >= 8 && in.at(body, b, 8)) {
            frames = be(b + 2, 4);
            block = be(b, 2) * ((be(b + 6, 2) + 7) / 8);
        } else if (std::memcmp(h, "SSND", 4) == 0 && size > 8 && in.at(body, b, 8)) {
            if (size == kUnset || in.size() >= kFourGiB) {
                return;
            }
            const std::uint64_t start = body + 8 + be(b, 4);
            const std::uint64_t declared = size - 8 - std::min<std::uint64_t>(be(b, 4), size - 8);
            claim_bytes(c, declared, start, in.size(), block > 1 ? block - 1 : 1);
            c.frames = frames;
            return;
        }
        at = body + size + (size & 1);
    }
}

// STREAMINFO, always the first metadata block: 20 bits of rate, 3 of
// channels, 5 of width, 36 of total samples (0: unknown), then the MD5 (all
// zeros: none stored).
void read_flac(Reader &in, SourceClaims &c, std::uint64_t start) {
    std::uint8_t b[4 + 34];
    if (!in.at(start + 4, b, sizeof b) || (b[0] & 0x7F) != 0 || be(b + 1, 3) < 34) {
        return;
    }
    const std::uint8_t *info = b + 4;
    const std::uint64_t total = std::uint64_t{info[13] & 0x0Fu} << 32 | be(info + 14, 4);
    c.bits = ((info[12] & 0x01u) << 4 | info[13] >> 4) + 1;
    if (total > 0) {
        c.frames = total;
    }
    Md5Digest digest;
    std::memcpy(digest.data(), info + 18, digest.size());
    if (digest != Md5Digest{}) {
        c.md5 = digest;
    }
}

} // namespace

SourceClaims read_source_claims(std::FILE *file) {
    SourceClaims c;
    const auto position = stream_position(file);
    const auto size = stream_size(file);
    if (!position || !size) {
        return c;
    }
    Reader in(file, *size);
    std::uint8_t h[12];
    const std::uint64_t tag = id3_length(in);
    if (in.at(0, h, sizeof h) && std::memcmp(h + 8, "WAVE", 4) == 0 &&
        (std::memcmp(h, "RIFF", 4) == 0 || std::memcmp(h, "RF64", 4) == 0)) {
        read_wave(in, c, std::memcmp(h, "RF64", 4) == 0);
    } else if (in.at(0, h, sizeof h) && std::memcmp(h, "FORM", 4) == 0 &&
               (std::memcmp(h + 8, "AIFF", 4) == 0 || std::memcmp(h + 8, "AIFC", 4) == 0)) {
        read_aiff(in, c);
    } else if (in.at(tag, h, 4) && std::memcmp(h, "fLaC", 4) == 0) {
        read_flac(in, c, tag);
    }
    seek_to(file, *position);
    return c;
}

// MD5 as RFC 1321 gives it.
namespace {

// floor(|sin(i + 1)| * 2^32)
constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

std::uint32_t rotl(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

} // namespace

Md5::Md5() : h_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void Md5::block(const std::uint8_t *p) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = le(p + 4 * i, 4);
    }
    std::uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const std::uint32_t next = d;
        d = c;
        c = b;
        b = b + rotl(a + f + kSine[i] + m[g], kShift[i]);
        a = next;
    }
    h_[0] += a;
    h_[1] += b;
    h_[2] += c;
    h_[3] += d;
}

void Md5::update(const std::uint8_t *data, std::size_t size) {
    std::size_t used = static_cast<std::size_t>(length_ % 64);
    length_ += size;
    while (size > 0) {
        const std::size_t take = std::min(size, 64 - used);
        std::memcpy(buffer_.data() + used, data, take);
        used += take;
        data += take;
        size -= take;
        if (used == 64) {
            block(buffer_.data());
            used = 0;
        }
    }
}

Md5Digest Md5::finish() {
    const std::uint64_t bits = length_ * 8;
    const std::uint8_t one = 0x80, zero = 0;
    update(&one, 1);
    while (length_ % 64 != 56) {
        update(&zero, 1);
    }
    std::uint8_t tail[8];
    for (int i = 0; i < 8; ++i) {
        tail[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    update(tail, sizeof tail);
    Md5Digest out;
    for (int i = 0; i < 16; ++i) {
        out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(h_[i / 4] >> (8 * (i % 4)));
    }
    return out;
}

void SampleDigest::add(const float *samples, std::size_t count) {
    const unsigned width = (bits_ + 7) / 8;
    const double scale = std::ldexp(1.0, static_cast<int>(bits_) - 1);
    std::size_t used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::uint32_t>(
            static_cast<std::int32_t>(std::lrint(static_cast<double>(samples[i]) * scale)));
        for (unsigned b = 0; b < width; ++b) {
            bytes_[used++] = static_cast<std::uint8_t>(v >> (8 * b));
        }
        if (used + 4 > bytes_.size()) {
            md5_.update(bytes_.data(), used);
            used = 0;
        }
    }
    md5_.update(bytes_.data(), used);
}

} // namespace tf::audio
