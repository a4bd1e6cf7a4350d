// Turns any audio file a backend can decode into a wave the playback device
// plays: PCM, 2 channels, 44100 Hz, 16 bit, behind the canonical 44-byte header.
#pragma once

#include "library/prepare/audio_backend.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tf::audio {

enum class PrepareResult {
    Done,
    SourceNotOpened,  // missing, unreadable, or not a regular file
    NotDecodable,     // nothing here understands the file
    TooManyChannels,  // more than two: no guessing at a downmix
    SameFile,         // the target is the source
    TargetExists,     // an existing target is never replaced
    TargetNotCreated, // the folder is missing or cannot be written
    ReadError,        // the source failed midway
    WriteError,       // the target failed midway (a full disk); nothing is left behind
    TooLong,          // more audio than a wave's 32-bit sizes can hold
    NoResampler,      // the platform's resampler could not be made
    Damaged,          // cut short, undecodable midway, no audio, or a wrong checksum
    RateUnsupported,  // a rate no audio has (below 1 kHz, above 1.536 MHz)
};

// What was wrong with a damaged file.
enum class Damage {
    None,
    EndsEarly,    // fewer frames than the header declares
    DecoderError, // the decoder gave up midway
    NoAudio,      // not a single frame
    Checksum,     // the samples differ from the digest the file stores
};

// Rates the preparation takes; anything outside is a broken header.
inline constexpr std::uint32_t kLowestRate = 1000;
inline constexpr std::uint32_t kHighestRate = 1536000;

struct PrepareReport {
    StreamFormat source;
    std::uint64_t frames_written = 0;
    std::uint64_t clipped = 0;         // samples beyond full scale, clipped
    std::uint64_t frames_decoded = 0;  // source frames, at the source's rate
    std::uint64_t frames_declared = 0; // as the header gives them; 0 when it does not say
    Damage damage = Damage::None;
    double lowered_db = 0;         // the level was lowered by this much
    bool copied_unchanged = false; // device-ready input: its audio bytes copied as they are
    bool resampled = false;
    bool dithered = false;
};

// Source frames read so far and the number expected (0 when unknown).
using PrepareProgress = std::function<void(std::uint64_t done, std::uint64_t expected)>;

// A duration as a clock shows it, rounded down: "3:45", "1:02:03".
std::string clock_time(std::uint64_t frames, std::uint32_t rate);

struct PrepareSettings {
    // Lowers the level by this many dB before the samples are quantised.
    double lower_db = 0;
    // Measures first and lowers the level just enough that nothing clips.
    bool headroom = false;
};

// Paths are UTF-8. The target appears complete or not at all: the wave is
// written under a temporary name beside it and renamed at the end. Never throws.
PrepareResult prepare_wave(const std::string &source, const std::string &target,
                           const PrepareProgress &progress = {}, PrepareReport *report = nullptr,
                           const PrepareSettings &settings = {}) noexcept;

// The level the preparation would give, measured after resampling.
struct LevelReport {
    float peak = 0;         // largest magnitude, full scale being 1.0
    std::uint64_t over = 0; // samples beyond full scale: what would clip
    // The least lowering, in tenths of a dB rounded up, after which nothing
    // clips; 0 when nothing would.
    double lower_db = 0;
};

// A first pass over the whole file that writes nothing. It finds damage as
// the preparation does (then `report` tells it). Never throws.
PrepareResult measure_level(const std::string &source, LevelReport &level,
                            const PrepareProgress &progress = {},
                            PrepareReport *report = nullptr) noexcept;

} // namespace tf::audio
