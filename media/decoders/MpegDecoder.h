// MPEG audio layers 1 to 3 through libmpg123, with the raw ID3v1 and ID3v2 blocks. The sniff
// is strict (several chained frame headers) so pictures and modules are never taken for MPEG.
#pragma once

#include <memory>

#include "media/AudioStream.h"
#include "media/DataSource.h"

namespace media {

bool sniffMpeg(DataSource& source);
std::unique_ptr<AudioStream> createMpegDecoder(std::unique_ptr<DataSource> source);

}  // namespace media
