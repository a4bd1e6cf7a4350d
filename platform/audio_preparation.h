#pragma once
// The preparation of audio files as the programs get it: the conversion
// library's preparation core over the platform's decoder and resampler.

#include "platform/services.h"

#include <memory>

namespace tf {

std::unique_ptr<AudioPreparation> MakeAudioPreparation();

} // namespace tf
