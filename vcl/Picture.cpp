// The picture holder and the table of graphic kinds by blob class name and file extension.
#include "vcl/Picture.h"

#include <array>
#include <filesystem>

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"

namespace vcl {

namespace {

struct GraphicKind {
    std::string_view className;
    std::unique_ptr<TGraphic> (*create)();
};

template <class T>
std::unique_ptr<TGraphic> make() {
    return std::make_unique<T>();
}

constexpr std::array<GraphicKind, 7> kKinds = {{
    {"TBitmap", make<TBitmap>},
    {"TIcon", make<TIcon>},
    {"TMetafile", make<TMetafile>},
    {"TJPEGImage", make<TJPEGImage>},
    {"TGIFImage", make<TGIFImage>},
    {"TPNGObject", make<TPNGObject>},
    {"TTarga", make<TTarga>},
}};

std::unique_ptr<TGraphic> graphicForFormat(pictures::Format f) {
    switch (f) {
    case pictures::Format::Bitmap: return std::make_unique<TBitmap>();
    case pictures::Format::Icon: return std::make_unique<TIcon>();
    case pictures::Format::Metafile: return std::make_unique<TMetafile>();
    case pictures::Format::Jpeg: return std::make_unique<TJPEGImage>();
    case pictures::Format::Gif: return std::make_unique<TGIFImage>();
    case pictures::Format::Png: return std::make_unique<TPNGObject>();
    case pictures::Format::Targa: return std::make_unique<TTarga>();
    default: return nullptr;
    }
}

}  // namespace

std::unique_ptr<TGraphic> createGraphic(std::string_view className) {
    for (const auto& k : kKinds)
        if (base::asciiSameText(k.className, className)) return k.create();
    return nullptr;
}

namespace {
bool notStored(const classes::TObject&) { return false; }
}  // namespace

const classes::ClassInfo& TPicture::staticClass() {
    namespace ct = classes::types;
    static const auto info =
        classes::ClassBuilder<TPicture>("TPicture", classes::TPersistent::staticClass())
            // Streams carry the graphic as "Data" only. Bitmap is left out of the metadata on
            // purpose: reading it replaces a graphic of another kind.
            .property("Graphic", TGraphic::staticClass().typeInfo(), &TPicture::graphic,
                      [](TPicture& p, TGraphic* g) { p.setGraphic(g); },
                      {.defaultValue = {}, .stored = notStored})
            .readOnly("Width", ct::integer(), &TPicture::width, {.defaultValue = {}, .stored = notStored})
            .readOnly("Height", ct::integer(), &TPicture::height, {.defaultValue = {}, .stored = notStored})
            .defined(
                "Data", [](TPicture& p, classes::TReader& r) { p.readData(r.readBinary()); },
                [](const TPicture& p, classes::TWriter& w) { w.writeBinary(p.writeData()); },
                [](const TPicture& p) { return p.graphic() != nullptr; })
            .build();
    return *info;
}

void TPicture::assign(const classes::TPersistent& source) {
    if (auto* p = dynamic_cast<const TPicture*>(&source)) return assign(*p);
    if (auto* g = dynamic_cast<const TGraphic*>(&source)) return setGraphic(g);
    TPersistent::assign(source);
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::changed() {
    if (onChange) onChange();
}

void TPicture::take(std::unique_ptr<TGraphic> graphic) {
    m_graphic = std::move(graphic);
    if (m_graphic) m_graphic->onChange = [this] { changed(); };
    changed();
}

void TPicture::setGraphic(const TGraphic* graphic) {
    if (graphic == m_graphic.get()) return;
    take(graphic ? graphic->clone() : nullptr);
}

TBitmap& TPicture::bitmap() {
    if (!dynamic_cast<TBitmap*>(m_graphic.get())) take(std::make_unique<TBitmap>());
    return static_cast<TBitmap&>(*m_graphic);
}

void TPicture::loadFromFile(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    std::unique_ptr<TGraphic> g = graphicForFormat(pictures::formatForExtension(ext));
    if (!g)
        throw base::Error("Unknown picture file extension (" + (ext.empty() ? std::string(".") : ext) + ")");
    g->loadFromFile(path);
    take(std::move(g));
}

void TPicture::saveToFile(const std::string& path) const {
    if (m_graphic) m_graphic->saveToFile(path);
}

void TPicture::readData(std::string_view blob) {
    if (blob.empty()) throw base::StreamError("Stream read error");
    const size_t n = static_cast<unsigned char>(blob[0]);
    if (n + 1 > blob.size()) throw base::StreamError("Stream read error");
    std::unique_ptr<TGraphic> g = createGraphic(blob.substr(1, n));
    if (!g) {
        take(nullptr);
        return;
    }
    g->readData(blob.substr(1 + n));
    take(std::move(g));
}

std::string TPicture::writeData() const {
    if (!m_graphic) return std::string(1, '\0');
    const std::string name = m_graphic->className();
    return std::string(1, static_cast<char>(name.size())) + name + m_graphic->writeData();
}

}  // namespace vcl
