// Sniff/create table for every format the engine decodes.
#include "media/decoders/DecoderTable.h"

#include <cstdio>

#include "media/decoders/ModuleDecoder.h"
#include "media/decoders/MpegDecoder.h"
#include "media/decoders/OggDecoder.h"
#include "media/decoders/WavDecoder.h"

namespace media {

namespace {

// Cheap signature checks first; the MPEG probe walks frames, so it comes last.
const DecoderEntry kDecoders[] = {
    {"wav", DecoderFamily::Stream, sniffWav, createWavDecoder},
    {"ogg", DecoderFamily::Stream, sniffOgg, createOggDecoder},
    {"mpeg", DecoderFamily::Stream, sniffMpeg, createMpegDecoder},
    {"module", DecoderFamily::Module, sniffModule, createModuleDecoder},
};

}  // namespace

std::span<const DecoderEntry> decoderTable() { return kDecoders; }

std::unique_ptr<AudioStream> openStream(std::unique_ptr<DataSource> source, DecoderFamily family) {
    for (const DecoderEntry& entry : kDecoders) {
        if (entry.family != family) continue;
        const bool accepted = entry.sniff(*source);
        source->seek(0, SEEK_SET);
        if (accepted) return entry.create(std::move(source));
    }
    return nullptr;
}

}  // namespace media
