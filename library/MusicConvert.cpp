#include "library/MusicConvert.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/Error.h"
#include "classes/TStrings.h"
#include "library/Music.h"
#include "library/MusicApi.h"
#include "library/ProgressDialog.h"
#include "media/WavWriter.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace library {

namespace {

constexpr uint32_t kDecode = 0x240000;  // decoding only, freed by the engine at its end
constexpr uint32_t kBlock = 10240;

std::string baseName(const std::string& windowsName) {
    const size_t cut = windowsName.find_last_of("\\/:");
    return cut == std::string::npos ? windowsName : windowsName.substr(cut + 1);
}

std::string defaultTarget(const std::string& source) {
    const size_t dot = source.find_last_of('.');
    const size_t sep = source.find_last_of("\\/:");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return source + ".wav";
    return source.substr(0, dot) + ".wav";
}

bool sameFile(const fs::path& a, const fs::path& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

uint32_t openDecoder(const music::Api& a, const fs::path& source) {
    uint32_t h = a.BASS_StreamCreateFile(false, source.c_str(), 0, 0, kDecode);
    if (h == 0) h = a.BASS_MusicLoad(false, source.c_str(), 0, 0, kDecode, 0);
    if (h == 0 && cdLoaded() && a.BASS_CD_StreamCreateFile)
        h = a.BASS_CD_StreamCreateFile(source.c_str(), kDecode);
    return h;
}

uint64_t lengthOf(const music::Api& a, uint32_t h) {
    const uint64_t stream = a.BASS_StreamGetLength(h);
    if (stream != ~uint64_t{0}) return stream;
    const uint32_t mod = a.BASS_MusicGetLength(h, true);
    return mod == 0xFFFFFFFFu ? 0 : mod;
}

// Converts one item; false when its source cannot be opened. Throws when the target
// cannot be written.
bool convertOne(const std::string& source, const std::string& target, ProgressDialog& dialog) {
    const music::Api& a = music::api();
    const fs::path src = platform::resolvePath(source);
    const uint32_t h = openDecoder(a, src);
    if (h == 0) return false;
    struct Release {
        uint32_t h;
        ~Release() { music::stopAndFree(h); }
    } release{h};

    dialog.resetCancel();
    dialog.setStatus("Opening file ...");
    media::BassChannelInfo info{};
    a.BASS_ChannelGetInfo(h, &info);
    uint32_t freq = 0, volume = 0;
    int32_t pan = 0;
    a.BASS_ChannelGetAttributes(h, &freq, &volume, &pan);
    const int bits = (info.flags & media::BASS_SAMPLE_8BITS) ? 8 : 16;

    // A source converted into itself is written beside it first: truncating it now would
    // destroy what is still to be decoded.
    const fs::path dst = platform::resolvePath(target);
    const bool inPlace = sameFile(src, dst);
    const fs::path writeTo = inPlace ? fs::path(dst.string() + ".converting") : dst;
    const uint64_t total = lengthOf(a, h);
    const std::string names = baseName(source) + " > " + baseName(target) + "\r\nDone ";
    try {
        media::WavWriter wav(writeTo.string(), static_cast<int>(info.chans), static_cast<int>(freq), bits);
        std::vector<uint8_t> buffer(kBlock);
        int shown = -1;
        while (a.BASS_ChannelIsActive(h) != 0) {
            const uint32_t n = a.BASS_ChannelGetData(h, buffer.data(), kBlock);
            if (n == 0xFFFFFFFFu) break;
            wav.write(buffer.data(), n);
            platform::processMessages();
            if (dialog.cancelled()) break;
            const uint64_t pos = a.BASS_ChannelGetPosition(h);
            const int percent = total == 0 || pos == ~uint64_t{0}
                                    ? 0
                                    : static_cast<int>(std::min<uint64_t>(pos * 100 / total, 100));
            // Redrawn only when the figure changes: a repaint per block would cost more than
            // decoding it.
            if (percent != shown) {
                shown = percent;
                dialog.setProgress(percent, 100);
                dialog.setStatus(names + std::to_string(percent) + "%");
            }
        }
        dialog.setStatus("Closing file ...");
        wav.finish();
    } catch (...) {
        std::error_code ec;
        if (inPlace) fs::remove(writeTo, ec);
        throw;
    }
    if (inPlace) {
        std::error_code ec;
        fs::rename(writeTo, dst, ec);
        if (ec) {
            fs::remove(writeTo, ec);
            throw base::Error("Cannot replace \"" + target + "\".");
        }
    }
    dialog.setStatus("Done");
    return true;
}

}  // namespace

bool convertAudioToWav(classes::TStrings* files) {
    if (!musicLoaded()) return false;
    FormsDisabled disabled;
    platform::processMessages();
    std::unique_ptr<ProgressDialog> dialog = ProgressDialog::open(ProgressVariant::Conversion);
    bool all = true;
    try {
        const int count = files ? files->count() : 0;
        for (int i = 0; i < count; ++i) {
            if (dialog->cancelled()) return false;
            const std::string item = files->get(i);
            const size_t split = item.find('>');
            const std::string source = split == std::string::npos ? item : item.substr(0, split);
            const std::string target =
                split == std::string::npos ? defaultTarget(item) : item.substr(split + 1);
            if (!convertOne(source, target, *dialog)) all = false;
            if (dialog->cancelled()) return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    return all;
}

}  // namespace library
