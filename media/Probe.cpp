#include "media/Probe.h"

#include "media/DataSource.h"
#include "media/decoders/DecoderTable.h"

namespace media {

ProbeResult probeFile(const std::string& path) {
    std::unique_ptr<DataSource> source = openFileSource(path);
    if (!source) return ProbeResult::None;
    for (const DecoderEntry& entry : decoderTable()) {
        source->seek(0, SEEK_SET);
        if (entry.sniff(*source))
            return entry.family == DecoderFamily::Module ? ProbeResult::Module : ProbeResult::Stream;
    }
    return ProbeResult::None;
}

}  // namespace media
