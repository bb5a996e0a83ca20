// The one table of decoders: each entry sniffs a source and creates a stream for it.
// Streams (wav, ogg, mpeg) and modules are opened through separate calls, so a module is
// never tried as a stream and the other way round.
#pragma once

#include <memory>
#include <span>

#include "base/Error.h"
#include "media/AudioStream.h"
#include "media/DataSource.h"

namespace media {

// A source that its decoder refuses after all (the sniff said yes, the library said no).
class FormatError : public base::Error {
public:
    using base::Error::Error;
};

enum class DecoderFamily { Stream, Module };

struct DecoderEntry {
    const char* name;
    DecoderFamily family;
    // Looks at the start of the source; leaves the position unspecified.
    bool (*sniff)(DataSource&);
    // Takes the source; throws FormatError when it cannot decode it.
    std::unique_ptr<AudioStream> (*create)(std::unique_ptr<DataSource>);
};

std::span<const DecoderEntry> decoderTable();

// The first decoder of `family` whose sniff accepts the source, created; nullptr when no
// sniff accepts it. Throws FormatError from the chosen factory.
std::unique_ptr<AudioStream> openStream(std::unique_ptr<DataSource> source, DecoderFamily family);

}  // namespace media
