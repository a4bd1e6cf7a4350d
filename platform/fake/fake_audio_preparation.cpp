#include "platform/fake/fake_audio_preparation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace tf::fake {

namespace {

struct WaveFacts {
    bool decodable = false;
    std::uint32_t tag = 0, channels = 0, rate = 0, bits = 0;
    std::uint64_t frames = 0;
    std::uint64_t declared_frames = 0; // as the data chunk's size gives them
    std::string data;                  // the audio bytes as stored
};

std::uint32_t Le(const std::string &b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// Walks the chunks for the format and the audio, as a decoder would.
WaveFacts ReadWave(const std::string &b) {
    WaveFacts w;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0)
        return w;
    bool have_format = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const std::uint64_t size = Le(b, at + 4, 4);
        const std::size_t body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= b.size()) {
            w.tag = Le(b, body, 2);
            w.channels = Le(b, body + 2, 2);
            w.rate = Le(b, body + 4, 4);
            w.bits = Le(b, body + 14, 2);
            have_format = true;
        } else if (id == "data" && have_format) {
            w.data = b.substr(body, static_cast<std::size_t>(size));
            const std::uint32_t block = w.channels * ((w.bits + 7) / 8);
            w.frames = block ? w.data.size() / block : 0;
            w.declared_frames = block ? size / block : 0;
            w.decodable = (w.tag == 1 || w.tag == 3 || w.tag == 0xFFFE) && w.channels > 0 &&
                          w.rate > 0 && block > 0;
            return w;
        }
        at = body + static_cast<std::size_t>(size) + (size & 1);
    }
    return w;
}

void PutLe(std::string &out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::string CanonicalHeader(std::uint32_t data_bytes) {
    std::string h = "RIFF";
    PutLe(h, 36 + data_bytes, 4);
    h += "WAVEfmt ";
    PutLe(h, 16, 4);
    PutLe(h, 1, 2);
    PutLe(h, 2, 2);
    PutLe(h, 44100, 4);
    PutLe(h, 44100 * 4, 4);
    PutLe(h, 4, 2);
    PutLe(h, 16, 2);
    h += "data";
    PutLe(h, data_bytes, 4);
    return h;
}

std::string FolderOf(const std::string &path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

} // namespace

AudioPreparation::Verdict FakeAudioPreparation::Probe(const std::string &source) {
    probes.push_back(source);
    if (!fs_.FileExists(source))
        return Verdict::NotDecodable;
    const WaveFacts w = ReadWave(fs_.ReadFile(source));
    if (!w.decodable)
        return Verdict::NotDecodable;
    return w.channels > 2 ? Verdict::TooManyChannels : Verdict::Decodable;
}

namespace {

// What the source alone decides, before any file is made; Done when it can
// be prepared.
AudioPreparation::Result Judge(const WaveFacts &w, AudioPreparation::Outcome &outcome) {
    using Result = AudioPreparation::Result;
    if (!w.decodable)
        return Result::NotDecodable;
    outcome.rate = w.rate;
    if (w.rate < 1000 || w.rate > 1536000)
        return Result::RateUnsupported;
    if (w.channels > 2)
        return Result::TooManyChannels;
    if (w.frames < w.declared_frames || w.frames == 0) {
        outcome.ends_early = w.frames > 0;
        outcome.seconds_held = w.frames / w.rate;
        outcome.seconds_declared = w.declared_frames / w.rate;
        return Result::Damaged;
    }
    return Result::Done;
}

} // namespace

AudioPreparation::Level FakeAudioPreparation::Measure(const std::string &source,
                                                      const Progress &progress) {
    measured.push_back(source);
    Level level;
    if (!fs_.FileExists(source)) {
        level.outcome.result = Result::NotDecodable;
        return level;
    }
    const WaveFacts w = ReadWave(fs_.ReadFile(source));
    level.outcome.result = Judge(w, level.outcome);
    if (level.outcome.result == Result::Done) {
        // Told a block at a time over the wave it would make, as the real pass does.
        const auto bytes = static_cast<std::uint64_t>(
                               std::llround(static_cast<double>(w.frames) * 44100.0 / w.rate)) *
                           4;
        for (std::uint64_t done = 0; progress && done < bytes;) {
            done = std::min<std::uint64_t>(done + kProgressBytes, bytes);
            progress(done, bytes);
        }
        level.over = over;
        level.lower_db = lower_db;
    }
    return level;
}

AudioPreparation::Outcome FakeAudioPreparation::Prepare(const std::string &source,
                                                        const std::string &target,
                                                        double lowered_by,
                                                        const Progress &progress) {
    if (prepared.size() >= most_prepares)
        throw std::logic_error("Prepare called " + std::to_string(prepared.size()) + " times");
    Outcome outcome;
    outcome.result = Write(source, target, outcome, progress);
    prepared.push_back({source, target, outcome.result, lowered_by});
    // Lowered by what the measure suggested, nothing clips.
    const bool lowered_enough = over > 0 && lowered_by >= lower_db;
    outcome.clipped = outcome.result == Result::Done && !lowered_enough ? clipped : 0;
    return outcome;
}

AudioPreparation::Result FakeAudioPreparation::Write(const std::string &source,
                                                     const std::string &target, Outcome &outcome,
                                                     const Progress &progress) {
    if (!fs_.FileExists(source))
        return Result::NotDecodable;
    const WaveFacts w = ReadWave(fs_.ReadFile(source));
    if (const Result judged = Judge(w, outcome); judged != Result::Done)
        return judged;
    if (fs_.FileExists(target))
        return Result::TargetExists;
    const std::string folder = FolderOf(target);
    const std::string drive_name = fs_.GetDriveName(target);
    FakeDrive &drive = fs_.drive(drive_name);
    if (!fs_.FolderExists(folder) || drive.type == kDriveCdRom || fs_.IsReadOnly(folder))
        return Result::TargetNotCreated;
    if (fail_next) {
        const Result r = *fail_next;
        fail_next.reset();
        return r;
    }
    const bool device_ready = w.tag == 1 && w.channels == 2 && w.rate == 44100 && w.bits == 16;
    const auto frames = device_ready ? w.frames
                                     : static_cast<std::uint64_t>(std::llround(
                                           static_cast<double>(w.frames) * 44100.0 / w.rate));
    const std::string audio = device_ready
                                  ? w.data.substr(0, frames * 4)
                                  : std::string(static_cast<std::size_t>(frames * 4), '\0');
    const std::string bytes = CanonicalHeader(static_cast<std::uint32_t>(audio.size())) + audio;
    // Told a block at a time, as the real preparation does.
    for (std::uint64_t done = 0; progress && done < audio.size();) {
        done = std::min<std::uint64_t>(done + kProgressBytes, audio.size());
        progress(done, audio.size());
    }
    if (bytes.size() > drive.available_bytes)
        return Result::Failed; // the disk filled up midway; the partial file is gone
    drive.available_bytes -= bytes.size();
    fs_.WriteFile(target, bytes);
    return Result::Done;
}

} // namespace tf::fake
