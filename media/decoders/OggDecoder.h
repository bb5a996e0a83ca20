// Ogg Vorbis through vorbisfile, with the comment list as a tag block.
#pragma once

#include <memory>

#include "media/AudioStream.h"
#include "media/DataSource.h"

namespace media {

bool sniffOgg(DataSource& source);
std::unique_ptr<AudioStream> createOggDecoder(std::unique_ptr<DataSource> source);

}  // namespace media
