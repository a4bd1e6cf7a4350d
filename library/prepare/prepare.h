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
};

struct PrepareReport {
    StreamFormat source;
    std::uint64_t frames_written = 0;
    std::uint64_t clipped = 0;     // samples beyond full scale, clipped
    bool copied_unchanged = false; // device-ready input: its audio bytes copied as they are
    bool resampled = false;
    bool dithered = false;
};

// Source frames read so far and the number expected (0 when unknown).
using PrepareProgress = std::function<void(std::uint64_t done, std::uint64_t expected)>;

// Paths are UTF-8. The target appears complete or not at all: the wave is
// written under a temporary name beside it and renamed at the end. Never throws.
PrepareResult prepare_wave(const std::string &source, const std::string &target,
                           const PrepareProgress &progress = {},
                           PrepareReport *report = nullptr) noexcept;

} // namespace tf::audio
