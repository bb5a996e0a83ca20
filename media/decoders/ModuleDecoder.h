// Tracker modules (mod, s3m, xm, it, mtm, mo3 and the others libopenmpt knows), rendered at
// 44100 Hz stereo.
#pragma once

#include <memory>

#include "media/AudioStream.h"
#include "media/DataSource.h"

namespace media {

bool sniffModule(DataSource& source);
std::unique_ptr<AudioStream> createModuleDecoder(std::unique_ptr<DataSource> source);

}  // namespace media
