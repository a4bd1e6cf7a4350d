// Stands in while the build has no preparation core: every file counts as one
// nothing here can decode, so the window behaves as it always has.
#include "platform/audio_preparation.h"

namespace tf {

namespace {
class NoPreparation : public AudioPreparation {
  public:
    Verdict Probe(const std::string &) override { return Verdict::NotDecodable; }
    Outcome Prepare(const std::string &, const std::string &) override {
        return {Result::NotDecodable, 0};
    }
};
} // namespace

std::unique_ptr<AudioPreparation> MakeAudioPreparation() {
    return std::make_unique<NoPreparation>();
}

} // namespace tf
