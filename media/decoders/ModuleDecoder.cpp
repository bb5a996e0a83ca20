// Tracker modules through libopenmpt. Modules are small, so the whole file is read into
// memory once and rendered from there.
#include "media/decoders/ModuleDecoder.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/decoders/DecoderTable.h"

namespace media {

namespace {

constexpr int kModuleRate = 44100;

std::string metadata(openmpt_module* module, const char* key) {
    const char* text = openmpt_module_get_metadata(module, key);
    if (!text) return {};
    std::string value(text);
    openmpt_free_string(text);
    return value;
}

// The formats the engine offers as music; libopenmpt reads more, but those would get a
// type code no caller knows how to name.
uint32_t typeFor(const std::string& type, const std::string& container) {
    if (container == "mo3") return TypeCode::Mo3;
    if (type == "mod") return TypeCode::Mod;
    if (type == "mtm") return TypeCode::Mtm;
    if (type == "s3m") return TypeCode::S3m;
    if (type == "xm") return TypeCode::Xm;
    if (type == "it") return TypeCode::It;
    return 0;
}

class ModuleDecoder : public AudioStream {
public:
    explicit ModuleDecoder(std::unique_ptr<DataSource> source) {
        m_size = static_cast<uint64_t>(source->size());
        const std::vector<uint8_t> bytes = source->readAll();
        int error = 0;
        // No dither: libopenmpt seeds its dither noise randomly, and the same module must
        // decode to the same samples every time.
        const openmpt_module_initial_ctl ctls[] = {{"dither", "0"}, {nullptr, nullptr}};
        m_module =
            openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                               openmpt_error_func_ignore, nullptr, &error, nullptr, ctls);
        if (!m_module) throw FormatError("not a module");
        m_type = typeFor(metadata(m_module, "type"), metadata(m_module, "container"));
        if (m_type == 0) {
            openmpt_module_destroy(m_module);
            throw FormatError("unsupported module type");
        }
        m_name = metadata(m_module, "title");
        m_length =
            static_cast<int64_t>(std::llround(openmpt_module_get_duration_seconds(m_module) * kModuleRate));
    }
    ~ModuleDecoder() override { openmpt_module_destroy(m_module); }

    StreamFormat format() const override { return {kModuleRate, 2, SampleWidth::Bits16}; }
    size_t read(int16_t* out, size_t frames) override {
        size_t done = 0;
        while (done < frames) {
            if (m_blockPos == m_blockLen) {
                m_blockLen =
                    openmpt_module_read_interleaved_stereo(m_module, kModuleRate, kBlockFrames, m_block);
                m_blockPos = 0;
                if (m_blockLen == 0) break;
            }
            const size_t n = std::min(frames - done, m_blockLen - m_blockPos);
            std::memcpy(out + 2 * done, m_block + 2 * m_blockPos, n * 4);
            m_blockPos += n;
            done += n;
        }
        return done;
    }
    int64_t length() const override { return m_length; }
    bool seek(int64_t frame) override {
        openmpt_module_set_position_seconds(m_module, static_cast<double>(frame) / kModuleRate);
        m_blockPos = m_blockLen = 0;
        return true;
    }
    uint32_t typeCode() const override { return m_type; }
    uint64_t sourceSize() const override { return m_size; }
    std::string moduleName() const override { return m_name; }
    int orderCount() const override { return openmpt_module_get_num_orders(m_module); }
    int64_t frameAtOrder(int order, int row) override {
        if (order < 0 || order >= openmpt_module_get_num_orders(m_module) || row < 0) return -1;
        const double seconds = openmpt_module_set_position_order_row(m_module, order, row);
        m_blockPos = m_blockLen = 0;
        return static_cast<int64_t>(std::llround(seconds * kModuleRate));
    }

private:
    // libopenmpt's rounding depends on how reads are cut, so it is always asked for whole
    // blocks of one size: the same module then decodes to the same samples whatever the
    // callers' read sizes, and to what the Debian player renders.
    static constexpr size_t kBlockFrames = 1024;
    int16_t m_block[kBlockFrames * 2] = {};
    size_t m_blockPos = 0;
    size_t m_blockLen = 0;
    openmpt_module* m_module = nullptr;
    uint32_t m_type = 0;
    int64_t m_length = 0;
    uint64_t m_size = 0;
    std::string m_name;
};

}  // namespace

bool sniffModule(DataSource& source) {
    const std::vector<uint8_t> head = source.head(openmpt_probe_file_header_get_recommended_size());
    int error = 0;
    const int result =
        openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, head.data(), head.size(),
                                  static_cast<uint64_t>(source.size()), openmpt_log_func_silent, nullptr,
                                  openmpt_error_func_ignore, nullptr, &error, nullptr);
    return result == OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS;
}

std::unique_ptr<AudioStream> createModuleDecoder(std::unique_ptr<DataSource> source) {
    return std::make_unique<ModuleDecoder>(std::move(source));
}

}  // namespace media
