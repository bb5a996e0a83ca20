// TCoolForm: region data, the window's shape, dragging by the picture, and its holder class.
#include "components/CoolForm.h"

#include <cstdint>
#include <fstream>
#include <iterator>

#include "classes/ClassBuilder.h"
#include "classes/Errors.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "platform/Paths.h"
#include "vcl/Forms.h"
#include "vcl/Graphic.h"
#include "vcl/Picture.h"

namespace components {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

constexpr uint32_t kHeaderSize = 32, kRectangles = 1;
// Far beyond any screen; keeps a forged count from asking for gigabytes.
constexpr size_t kMaxRegionBytes = 64u << 20;

int32_t le32(std::string_view d, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t(uint8_t(d[at + i])) << (8 * i);
    return static_cast<int32_t>(v);
}

void putLe32(std::string& out, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The length-prefixed value: nullopt when it does not hold what its length says.
std::optional<std::string_view> lengthPrefixed(std::string_view blob) {
    if (blob.size() < 4) return std::nullopt;
    const int32_t n = le32(blob, 0);
    if (n < 0 || size_t(n) > blob.size() - 4) return std::nullopt;
    return blob.substr(4, size_t(n));
}

}  // namespace

std::optional<std::vector<vcl::TRect>> regiondata::parse(std::string_view d) {
    if (d.size() < kHeaderSize || d.size() > kMaxRegionBytes) return std::nullopt;
    if (uint32_t(le32(d, 0)) != kHeaderSize || uint32_t(le32(d, 4)) != kRectangles) return std::nullopt;
    const int32_t count = le32(d, 8);
    if (count < 0 || size_t(count) > (d.size() - kHeaderSize) / 16) return std::nullopt;
    std::vector<vcl::TRect> rects;
    rects.reserve(size_t(count));
    for (size_t i = 0; i < size_t(count); ++i) {
        const size_t at = kHeaderSize + 16 * i;
        const vcl::TRect r{le32(d, at), le32(d, at + 4), le32(d, at + 8), le32(d, at + 12)};
        if (!r.isEmpty()) rects.push_back(r);
    }
    return rects;
}

std::string regiondata::build(const std::vector<vcl::TRect>& rects) {
    vcl::TRect bound{};
    for (size_t i = 0; i < rects.size(); ++i) {
        const vcl::TRect& r = rects[i];
        bound = i == 0 ? r
                       : vcl::TRect{std::min(bound.left, r.left), std::min(bound.top, r.top),
                                    std::max(bound.right, r.right), std::max(bound.bottom, r.bottom)};
    }
    std::string out;
    putLe32(out, int32_t(kHeaderSize));
    putLe32(out, int32_t(kRectangles));
    putLe32(out, int32_t(rects.size()));
    putLe32(out, int32_t(rects.size() * 16));
    for (int v : {bound.left, bound.top, bound.right, bound.bottom}) putLe32(out, v);
    for (const vcl::TRect& r : rects)
        for (int v : {r.left, r.top, r.right, r.bottom}) putLe32(out, v);
    return out;
}

// --- TRegionType ---

const classes::ClassInfo& TRegionType::staticClass() {
    static const auto info = [] {
        ClassBuilder<TRegionType> b("TRegionType", classes::TPersistent::staticClass());
        // The region itself has no script type; scripts see the holder's owner only.
        b.publicProperty("property owner: TCoolForm;", [](const TRegionType& r) { return r.owner(); });
        return b.build();
    }();
    return *info;
}

void TRegionType::assign(const classes::TPersistent& source) {
    if (auto* other = dynamic_cast<const TRegionType*>(&source)) {
        m_region = other->m_region;
        return;
    }
    classes::TPersistent::assign(source);
}

// --- TCoolForm ---

const classes::ClassInfo& TCoolForm::staticClass() {
    static const auto info = [] {
        const auto& holder = TRegionType::staticClass().typeInfo();
        ClassBuilder<TCoolForm> b("TCoolForm", vcl::TImage::staticClass());
        b.property("Mask", holder, &TCoolForm::mask, &TCoolForm::setMask)
            .property("Draggable", ct::boolean(), &TCoolForm::draggable, &TCoolForm::setDraggable,
                      {.defaultValue = 1})
            .defined(
                "Mask2", [](TCoolForm& c, classes::TReader& r) { c.readMask2(r.readBinary()); },
                [](const TCoolForm& c, classes::TWriter& w) { w.writeBinary(c.writeMask2()); },
                [](const TCoolForm&) { return true; })
            .publicProperty(
                "property Mask2: TRegionType;", [](const TCoolForm& c) { return c.mask2(); },
                [](TCoolForm& c, TRegionType* v) { c.setMask2(v); })
            .publicMethod("function LoadMaskFromFile(FileName: String): Boolean;",
                          [](TCoolForm& c, const std::string& f) { return c.loadMaskFromFile(f); })
            .publicMethod("procedure RefreshRegion;", [](TCoolForm& c) { c.refreshRegion(); });
        return b.build();
    }();
    return *info;
}

TCoolForm::TCoolForm(classes::TComponent* owner)
    : vcl::TImage(owner),
      m_mask(std::make_unique<TRegionType>(this)),
      m_mask2(std::make_unique<TRegionType>()) {
    setAlign(vcl::alClient);
}

TCoolForm::~TCoolForm() = default;

void TCoolForm::setMask(TRegionType* value) {
    // The script keeps its object: the region is copied, the holder stays ours.
    if (!value || value->empty() || value == m_mask.get()) return;
    m_mask->assign(*value);
}

void TCoolForm::setMask2(TRegionType* value) {
    if (value && value != m_mask2.get()) m_mask2->assign(*value);
}

vcl::TCustomForm* TCoolForm::parentForm() const { return dynamic_cast<vcl::TCustomForm*>(parent()); }

void TCoolForm::apply(std::string data) {
    m_data = std::move(data);
    if (m_data.empty()) {
        // No region: the holder forgets its own, the window keeps its shape.
        m_mask->setRegion(std::nullopt);
        return;
    }
    m_mask->setRegion(regiondata::parse(m_data));
    refreshRegion();
}

void TCoolForm::readMask2(std::string_view blob) {
    const auto data = lengthPrefixed(blob);
    if (!data || (!data->empty() && !regiondata::parse(*data)))
        throw classes::EReadError("Invalid region data");
    apply(std::string(*data));
}

std::string TCoolForm::writeMask2() const {
    std::string out;
    if (!m_mask->region()) {
        putLe32(out, 0);
        return out;
    }
    const std::string data = regiondata::build(*m_mask->region());
    putLe32(out, int32_t(data.size()));
    return out + data;
}

bool TCoolForm::loadMaskFromFile(const std::string& fileName) {
    try {
        std::ifstream in(platform::resolvePath(fileName), std::ios::binary);
        if (!in) return false;
        char head[4];
        if (!in.read(head, 4)) return false;
        const int32_t n = le32(std::string_view(head, 4), 0);
        if (n < 0 || size_t(n) > kMaxRegionBytes) return false;
        std::string data(size_t(n), '\0');
        if (n > 0 && !in.read(data.data(), n)) return false;
        if (n > 0 && !regiondata::parse(data)) return false;
        apply(std::move(data));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TCoolForm::refreshRegion() {
    auto rects = regiondata::parse(m_data);
    if (!rects) return;
    m_mask->setRegion(rects);
    if (hasState(classes::ComponentState::Designing)) return;
    if (vcl::TCustomForm* form = parentForm()) form->setWindowRegion(*rects);
}

void TCoolForm::setParent(vcl::TWinControl* parent) {
    vcl::TImage::setParent(parent);
    if (auto* form = dynamic_cast<vcl::TCustomForm*>(parent)) form->setBorderStyle(vcl::bsNone);
    setBounds(0, 0, width(), height());
}

void TCoolForm::setBounds(int, int, int width, int height) { vcl::TImage::setBounds(0, 0, width, height); }

void TCoolForm::mouseDown(vcl::TMouseButton button, vcl::TShiftState, int x, int y) {
    // The control's own mouse-down event is not raised: the press belongs to the window.
    if (button != vcl::mbLeft) return;
    vcl::TCustomForm* form = parentForm();
    if (!form) return;
    // The window manager's move takes the mouse from here on.
    if (form->beginWindowDrag()) {
        form->releaseMouseCapture();
        return;
    }
    // No window manager to move the window: follow the mouse by hand until the release
    // (the press captured the mouse for this control).
    m_handDrag = true;
    m_dragStart = clientToScreen({x, y});
    m_formLeft = form->left();
    m_formTop = form->top();
}

void TCoolForm::mouseMove(vcl::TShiftState shift, int x, int y) {
    vcl::TImage::mouseMove(shift, x, y);
    vcl::TCustomForm* form = parentForm();
    if (!m_handDrag || !form) return;
    const vcl::TPoint now = clientToScreen({x, y});
    form->setBounds(m_formLeft + now.x - m_dragStart.x, m_formTop + now.y - m_dragStart.y, form->width(),
                    form->height());
}

void TCoolForm::mouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) {
    if (button == vcl::mbLeft) m_handDrag = false;
    vcl::TImage::mouseUp(button, shift, x, y);
}

void TCoolForm::pictureChanged() {
    if (m_converting) return;
    vcl::TPicture& pic = *picture();
    vcl::TGraphic* g = pic.graphic();
    if (parent() && g && !g->empty() && !dynamic_cast<vcl::TBitmap*>(g)) {
        // Other kinds become a bitmap of the same pixels, so a JPEG or PNG skin stays.
        vcl::TBitmap bitmap;
        if (const pictures::Image* image = g->image()) bitmap.assignImage(*image);
        m_converting = true;
        pic.setGraphic(&bitmap);
        m_converting = false;
    }
    if (parent()) m_mask->setRegion(std::nullopt);
    vcl::TImage::pictureChanged();
}

}  // namespace components
