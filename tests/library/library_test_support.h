// Test helpers for the conversion library: scratch folders, wave builders and
// a plain reference model of a project file to compare the fast writer against.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <cerrno>
#include <sys/mount.h>
#endif

namespace tf::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("tf-lib-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline void write_bytes(const std::string &path, const Bytes &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes read_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a recorder leaves in a wave file past 4 GiB: sizes of all ones, or the
// true sizes wrapped at 2^32.
enum class BigSizes { Unset, Wrapped };

// A sparse wave file of `total` bytes in one of those forms; its last four
// bytes are 01 02 03 04, to be found at the end of the audio. False when the
// file system cannot hold it.
bool make_big_wave(const std::string &path, std::uint64_t total, BigSizes sizes);

#ifndef _WIN32
// A tmpfs of a chosen size, mounted for the life of the object (needs root in
// a container that allows it).
class TmpfsMount {
  public:
    TmpfsMount(const std::string &point, const std::string &size) : point_(point) {
        std::filesystem::create_directories(point);
        mounted_ = mount("tf-test", point.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
        error_ = mounted_ ? "" : std::strerror(errno);
    }
    ~TmpfsMount() {
        if (mounted_) {
            umount2(point_.c_str(), MNT_DETACH);
        }
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;
    bool mounted() const { return mounted_; }
    const std::string &error() const { return error_; }

  private:
    std::string point_;
    bool mounted_ = false;
    std::string error_;
};
#endif

// Element-wise on purpose: GCC 12 at -O3 misreads vector::insert of small
// ranges as an overflow (-Wstringop-overflow) in the MinGW build.
template <typename It> void append(Bytes &b, It first, It last) {
    for (; first != last; ++first) {
        b.push_back(static_cast<std::uint8_t>(*first));
    }
}

inline void put16(Bytes &b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(Bytes &b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline void put_id(Bytes &b, const char *id) {
    append(b, id, id + 4);
}

inline void put_chunk(Bytes &b, const char *id, const Bytes &body) {
    put_id(b, id);
    put32(b, static_cast<std::uint32_t>(body.size()));
    append(b, body.begin(), body.end());
    if (body.size() % 2) {
        b.push_back(0);
    }
}

inline Bytes pattern(std::size_t size, std::uint32_t seed = 1) {
    Bytes b(size);
    std::mt19937 gen(seed);
    for (auto &x : b) {
        x = static_cast<std::uint8_t>(gen());
    }
    return b;
}

inline Bytes fmt_body(std::uint16_t format = 1, std::uint16_t channels = 2,
                      std::uint32_t rate = 44100, std::uint16_t bits = 16) {
    Bytes f;
    put16(f, format);
    put16(f, channels);
    put32(f, rate);
    put32(f, rate * channels * bits / 8);
    put16(f, static_cast<std::uint16_t>(channels * bits / 8));
    put16(f, bits);
    return f;
}

// A canonical 44-byte-header wave around `audio`, followed by `trailer`.
inline Bytes make_wave(const Bytes &audio, const Bytes &trailer = {}) {
    Bytes w;
    put_id(w, "RIFF");
    put32(w, static_cast<std::uint32_t>(36 + audio.size() + trailer.size()));
    put_id(w, "WAVE");
    put_chunk(w, "fmt ", fmt_body());
    put_id(w, "data");
    put32(w, static_cast<std::uint32_t>(audio.size()));
    append(w, audio.begin(), audio.end());
    append(w, trailer.begin(), trailer.end());
    return w;
}

inline bool make_big_wave(const std::string &path, std::uint64_t total, BigSizes sizes) {
    const bool unset = sizes == BigSizes::Unset;
    Bytes head;
    put_id(head, "RIFF");
    put32(head, unset ? 0xFFFFFFFF : static_cast<std::uint32_t>(total - 8));
    put_id(head, "WAVE");
    put_chunk(head, "fmt ", fmt_body());
    put_id(head, "data");
    put32(head, unset ? 0xFFFFFFFF : static_cast<std::uint32_t>(total - 44));
    write_bytes(path, head);
    std::error_code ec;
    std::filesystem::resize_file(path, total, ec);
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(total - 4));
    f.write("\x01\x02\x03\x04", 4);
    return !ec && f.good();
}

// Where the audio of `wave` lies, found the slow and obvious way.
inline void reference_audio(const Bytes &wave, std::size_t &begin, std::size_t &end) {
    auto le32 = [&](std::size_t p) {
        return std::uint32_t{wave[p]} | std::uint32_t{wave[p + 1]} << 8 |
               std::uint32_t{wave[p + 2]} << 16 | std::uint32_t{wave[p + 3]} << 24;
    };
    begin = std::min<std::size_t>(44, wave.size());
    end = wave.size();
    if (wave.size() < 44 || std::memcmp(wave.data(), "RIFF", 4) != 0 ||
        std::memcmp(wave.data() + 8, "WAVE", 4) != 0) {
        return;
    }
    for (std::uint64_t p = 12; p + 8 <= wave.size();) {
        const std::uint32_t size = le32(static_cast<std::size_t>(p) + 4);
        if (std::memcmp(wave.data() + p, "data", 4) == 0) {
            begin = static_cast<std::size_t>(p + 8);
            if (size != 0 && p + 8 + size < wave.size()) {
                end = static_cast<std::size_t>(p + 8 + size);
            }
            return;
        }
        p += 8 + std::uint64_t{size} + (size & 1);
    }
}

// The project file for `wave`, one byte at a time as the format describes it.
inline Bytes reference_project(const Bytes &wave, const std::string &name30,
                               const std::string &code4) {
    std::size_t begin = 0, end = 0;
    reference_audio(wave, begin, end);
    const std::size_t audio = end > begin ? (end - begin) / 2 * 2 : 0;
    Bytes out(7680 + 511488 + audio + 883020, 0);
    std::size_t at = 0;
    for (char c : std::string("KORVANT") + code4.substr(0, 4)) {
        out[at++] = static_cast<std::uint8_t>(c);
    }
    for (int i = 0; i < 30; ++i) {
        const auto c = static_cast<std::uint8_t>(name30[i]);
        std::uint8_t w = (c >= 0x20 && c <= 0x7E) ? c : 0x20;
        if (c == 0xFC || c == 0xDC)
            w = 0xF5;
        if (c == 0xF6 || c == 0xD6)
            w = 0xEF;
        if (c == 0xE4 || c == 0xC4)
            w = 0xE1;
        out[at++] = w;
    }
    std::uint64_t s = 0;
    for (int i = 7; i >= 4; --i) {
        s = s << 8 | (i < static_cast<int>(wave.size()) ? wave[i] : 0);
    }
    const std::uint64_t count = s < 44 ? 1 : (s - 44) / 176604 + 1;
    out[41] = static_cast<std::uint8_t>(count % 256);
    out[42] = static_cast<std::uint8_t>(count / 256 % 256);
    at = 7680;
    for (int i = 0; i < 255744; ++i, at += 2) {
        out[at + 1] = 0x80;
    }
    for (std::size_t p = begin; p < begin + audio; p += 2, at += 2) {
        unsigned u = wave[p] + 256u * wave[p + 1];
        u = u <= 32768 ? u + 32768 : u - 32768;
        out[at] = static_cast<std::uint8_t>(u % 256);
        out[at + 1] = static_cast<std::uint8_t>(u / 256 % 256);
    }
    for (int i = 0; i < 441510; ++i, at += 2) {
        out[at + 1] = 0x80;
    }
    return out;
}

} // namespace tf::test
