// Placeholder until the Media Foundation backend lands: nothing decodes yet.
#include "library/prepare/audio_backend.h"

namespace tf::audio {

Opened open_decoder(const std::string &) {
    Opened opened;
    opened.failure = OpenFailure::NotDecodable;
    return opened;
}

std::unique_ptr<Resampler> make_resampler(std::uint32_t, std::uint32_t, std::uint32_t) {
    return nullptr;
}

} // namespace tf::audio
