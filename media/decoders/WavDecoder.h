// RIFF WAVE files (PCM 8/16/24/32 bit, float, ADPCM) through libsndfile.
#pragma once

#include <memory>

#include "media/AudioStream.h"
#include "media/DataSource.h"

namespace media {

bool sniffWav(DataSource& source);
std::unique_ptr<AudioStream> createWavDecoder(std::unique_ptr<DataSource> source);

}  // namespace media
