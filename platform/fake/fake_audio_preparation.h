#pragma once
// The preparation of audio files over a FakeFileSystem, keeping the real one's
// promises: an existing file is never replaced, a folder that cannot be
// written (a CD-ROM, or one the fake marks read-only) makes nothing, a drive
// without room for the whole wave makes nothing, and what is made is a
// canonical PCM, stereo, 16-bit, 44100 Hz wave of the right length.
//
// It reads RIFF wave files only (PCM of any width, float, extensible, any
// rate and channel count); anything else is not decodable here. The audio of
// a device-ready source is copied unchanged, that of any other is silence:
// the sound itself is the preparation library's business and is tested there.
//
// A wave whose data chunk declares more than the file holds is damaged, and
// a rate below 1 kHz or above 1.536 MHz is refused, as the real one does.
//
//   tf::fake::FakeAudioPreparation audio(fs);
//   audio.clipped = 12;          // what the next preparations report
//   audio.over = 12;             // what the next measures find ...
//   audio.lower_db = 1.4;        // ... and the lowering they suggest
//   audio.fail_next = tf::AudioPreparation::Result::Failed; // a disk that fails midway

#include "platform/fake/fake_file_system.h"
#include "platform/services.h"

#include <optional>
#include <string>
#include <vector>

namespace tf::fake {

class FakeAudioPreparation : public AudioPreparation {
  public:
    explicit FakeAudioPreparation(FakeFileSystem &fs) : fs_(fs) {}

    struct Call {
        std::string source, target;
        Result result;
        double lower_db;
    };
    std::vector<std::string> probes;
    std::vector<std::string> measured;
    std::vector<Call> prepared;
    std::uint64_t clipped = 0;
    std::uint64_t over = 0;
    double lower_db = 0;
    std::optional<Result> fail_next; // used once, after the target checks
    // A caller that retries without end fails here (std::logic_error) instead
    // of hanging the test.
    std::size_t most_prepares = 200;

    Verdict Probe(const std::string &source) override;
    Level Measure(const std::string &source, const Progress &progress = {}) override;
    Outcome Prepare(const std::string &source, const std::string &target, double lower_db,
                    const Progress &progress = {}) override;
    static constexpr std::uint64_t kProgressBytes = 1 << 18;

  private:
    Result Write(const std::string &source, const std::string &target, Outcome &outcome,
                 const Progress &progress);
    FakeFileSystem &fs_;
};

} // namespace tf::fake
