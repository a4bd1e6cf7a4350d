// The files the preparation touches, named by UTF-8 paths on every platform,
// and the wave it writes: under a temporary name beside the target, renamed
// into place only when complete, removed after any failure.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tf::audio {

struct FileCloser {
    void operator()(std::FILE *f) const noexcept {
        if (f) {
            std::fclose(f);
        }
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

#ifdef _WIN32
// The path for the wide Windows calls; empty (which opens nothing) when the
// bytes are not UTF-8, so that no other file is reached by a replaced character.
std::wstring widen(const std::string &utf8);
#endif

// Opens a regular file for binary reading; null for anything else.
File open_for_reading(const std::string &path);
bool is_regular_file(const std::string &path);
// True when anything at all (a file, a folder, a dangling link) has the name.
bool name_taken(const std::string &path);
bool same_file_utf8(const std::string &a, const std::string &b);

// Canonical 44-byte header of a PCM, 2-channel, 44100 Hz, 16-bit wave.
std::vector<std::uint8_t> canonical_header(std::uint32_t data_bytes);

// Largest audio a wave's 32-bit RIFF size can describe, in whole frames.
inline constexpr std::uint64_t kMaxDataBytes = (0xFFFFFFFFULL - 36) / 4 * 4;

enum class WaveOpen { Opened, TargetExists, NotCreated };
enum class WaveCommit { Done, TargetExists, WriteFailed };

// The device-ready wave being written. Until commit() succeeds, destroying it
// removes the temporary file, so a failure on any path leaves nothing behind.
class WaveOut {
  public:
    WaveOut() = default;
    ~WaveOut();
    WaveOut(const WaveOut &) = delete;
    WaveOut &operator=(const WaveOut &) = delete;

    WaveOpen open(const std::string &target);
    // Appends audio bytes (whole frames); false on a write failure or once the
    // wave would outgrow its 32-bit sizes (then too_long() tells).
    bool write(const std::uint8_t *bytes, std::size_t size);
    bool too_long() const { return too_long_; }
    std::uint64_t data_bytes() const { return data_; }
    // Sets the header's sizes, closes and renames into place without ever
    // replacing a file that appeared meanwhile.
    WaveCommit commit();

  private:
    void discard() noexcept;
    File file_;
    std::string temporary_;
    std::string target_;
    std::uint64_t data_ = 0;
    bool too_long_ = false;
};

} // namespace tf::audio
