// Helpers that make and read test audio.
#include "TestAudio.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/LittleEndian.h"

namespace media::test {

const std::string& scratchDir() {
    static const std::string dir = [] {
        std::string templ = (std::filesystem::temp_directory_path() / "vantrel-media-XXXXXX").string();
        return std::string(mkdtemp(templ.data()));
    }();
    return dir;
}

std::string scratchPath(const std::string& name) { return scratchDir() + "/" + name; }

bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool haveTool(const std::string& tool) { return run("command -v " + tool); }

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> wavData(const std::vector<uint8_t>& wav) {
    size_t pos = 12;
    while (pos + 8 <= wav.size()) {
        const uint32_t size = base::readLE32(wav.data() + pos + 4);
        if (std::memcmp(wav.data() + pos, "data", 4) == 0) {
            const size_t end = std::min(wav.size(), pos + 8 + size);
            return {wav.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                    wav.begin() + static_cast<std::ptrdiff_t>(end)};
        }
        pos += 8 + size + (size & 1);
    }
    return {};
}

std::string makeTone(const std::string& name, double seconds, const std::string& soxOptions) {
    const std::string path = scratchPath(name);
    run("sox -n " + soxOptions + " '" + path + "' synth " + std::to_string(seconds) +
        " sine 440 sine 660 vol 0.5");
    return path;
}

void writeWav(const std::string& path, int rate, int channels, const std::vector<int16_t>& samples) {
    std::string out = "RIFF";
    const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
    base::appendLE32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    base::appendLE32(out, 16);
    base::appendLE16(out, 1);
    base::appendLE16(out, static_cast<uint16_t>(channels));
    base::appendLE32(out, static_cast<uint32_t>(rate));
    base::appendLE32(out, static_cast<uint32_t>(rate * channels * 2));
    base::appendLE16(out, static_cast<uint16_t>(channels * 2));
    base::appendLE16(out, 16);
    out += "data";
    base::appendLE32(out, dataBytes);
    for (int16_t v : samples) base::appendLE16(out, static_cast<uint16_t>(v));
    writeFile(path, std::vector<uint8_t>(out.begin(), out.end()));
}

std::vector<uint8_t> makeModule(const std::string& title) {
    std::vector<uint8_t> mod(20, 0);
    std::memcpy(mod.data(), title.data(), std::min<size_t>(title.size(), 20));
    const size_t sampleLength = 2048;
    const auto put16be = [&](uint16_t v) {
        mod.push_back(static_cast<uint8_t>(v >> 8));
        mod.push_back(static_cast<uint8_t>(v & 0xFF));
    };
    for (int i = 0; i < 31; ++i) {
        const char* name = i == 0 ? "square" : "";
        for (size_t k = 0; k < 22; ++k)
            mod.push_back(k < std::strlen(name) ? static_cast<uint8_t>(name[k]) : 0);
        put16be(i == 0 ? sampleLength / 2 : 0);  // length in words
        mod.push_back(0);                        // finetune
        mod.push_back(i == 0 ? 64 : 0);          // volume
        put16be(0);                              // loop start
        put16be(i == 0 ? sampleLength / 2 : 1);  // loop length
    }
    mod.push_back(1);    // orders
    mod.push_back(127);  // restart
    for (int i = 0; i < 128; ++i) mod.push_back(0);
    for (char c : std::string("M.K.")) mod.push_back(static_cast<uint8_t>(c));
    std::vector<uint8_t> pattern(64 * 4 * 4, 0);
    const uint16_t periods[] = {428, 381, 339, 320, 285, 254, 226, 214};
    for (int row = 0; row < 64; row += 8) {
        for (int ch = 0; ch < 2; ++ch) {
            uint8_t* note = &pattern[static_cast<size_t>((row * 4 + ch) * 4)];
            const uint16_t period = periods[(row / 8 + ch * 2) % 8];
            note[0] = static_cast<uint8_t>(period >> 8);
            note[1] = static_cast<uint8_t>(period & 0xFF);
            note[2] = 0x10 | (row == 0 && ch == 0 ? 0xF : 0);  // sample 1, speed effect on the first note
            note[3] = row == 0 && ch == 0 ? 3 : 0;
        }
    }
    mod.insert(mod.end(), pattern.begin(), pattern.end());
    for (size_t i = 0; i < sampleLength; ++i) {
        const double v = 60 * std::sin(2 * M_PI * static_cast<double>(i) / 32) + ((i / 16) % 2 ? 40 : -40);
        mod.push_back(static_cast<uint8_t>(static_cast<int8_t>(v / 2)));
    }
    return mod;
}

}  // namespace media::test
