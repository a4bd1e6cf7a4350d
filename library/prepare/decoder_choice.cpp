// libsndfile decodes whatever it knows. Media Foundation is asked only about
// the containers it is kept for: a damaged file that libsndfile refuses must
// stay refused, not be half-read by a more lenient decoder.
#include "library/prepare/decoders.h"

namespace tf::audio {

Opened open_decoder(const std::string &path) {
    Opened opened = open_sndfile_decoder(path);
#ifdef _WIN32
    if (opened.failure == OpenFailure::NotDecodable) {
        Opened other = open_media_foundation_decoder(path);
        if (other.failure == OpenFailure::None || !other.detail.empty()) {
            return other;
        }
    }
#endif
    return opened;
}

} // namespace tf::audio
