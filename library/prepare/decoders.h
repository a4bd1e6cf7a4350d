// The decoders behind open_decoder(), which picks among them.
#pragma once

#include "library/prepare/audio_backend.h"

#include <string>

namespace tf::audio {

Opened open_sndfile_decoder(const std::string &path);

#ifdef _WIN32
// Only for the containers libsndfile has no decoder for (MPEG-4 audio such
// as M4A/AAC, and ASF/WMA); NotDecodable for anything else.
Opened open_media_foundation_decoder(const std::string &path);
#endif

} // namespace tf::audio
