// TImgBtn: picture swapping on enter, leave, press and release, and the button's own events.
#include "components/ImgBtn.h"

#include "classes/ClassBuilder.h"
#include "classes/NativeType.h"
#include "vcl/Picture.h"

template <>
struct classes::RecordFields<components::TWMMouse>
    : classes::Fields<&components::TWMMouse::msg, &components::TWMMouse::keys, &components::TWMMouse::xPos,
                      &components::TWMMouse::yPos, &components::TWMMouse::result> {};

namespace components {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

// The key-state flags of a mouse message, from the toolkit's shift state.
uint32_t keyFlags(vcl::TShiftState shift) {
    uint32_t keys = 0;
    if (shift & (1u << vcl::ssLeft)) keys |= 0x0001;
    if (shift & (1u << vcl::ssRight)) keys |= 0x0002;
    if (shift & (1u << vcl::ssShift)) keys |= 0x0004;
    if (shift & (1u << vcl::ssCtrl)) keys |= 0x0008;
    if (shift & (1u << vcl::ssMiddle)) keys |= 0x0010;
    return keys;
}

TWMMouse message(uint32_t msg, uint32_t keys, int x, int y) {
    return {msg, keys, static_cast<int16_t>(x), static_cast<int16_t>(y), 0};
}

// No value property has a stored default: a writer stores them all.
bool alwaysStored(const classes::TObject&) { return true; }

}  // namespace

const TWMMouse* mouseRecord(const classes::EventArg& arg) {
    const auto* r = std::get_if<classes::RecordArg>(&arg);
    if (!r || r->type != &classes::nativeType<TWMMouse>()) return nullptr;
    return static_cast<const TWMMouse*>(r->data);
}

const classes::TypeInfo& types::onMouseEvent() {
    static const auto t = classes::TypeInfo::method("TOnMouseEvent", "procedure (Msg: TWMMouse);");
    return t;
}

const classes::ClassInfo& TImgBtn::staticClass() {
    static const auto info = [] {
        const auto& picture = vcl::TPicture::staticClass().typeInfo();
        ClassBuilder<TImgBtn> b("TImgBtn", vcl::TImage::staticClass());
        b.property("Pic", picture, &TImgBtn::pic, &TImgBtn::setPic)
            .property("PicUp", picture, &TImgBtn::picUp, &TImgBtn::setPicUp)
            .property("PicDown", picture, &TImgBtn::picDown, &TImgBtn::setPicDown)
            .property("Supported", ct::boolean(), &TImgBtn::supported, &TImgBtn::setSupported,
                      {.defaultValue = std::nullopt, .stored = alwaysStored})
            .event("OnMouseEnter", types::onMouseEvent(), &TImgBtn::onBtnMouseEnter)
            .event("OnMouseLeave", types::onMouseEvent(), &TImgBtn::onBtnMouseLeave)
            .event("OnMouseDown", types::onMouseEvent(), &TImgBtn::onBtnMouseDown)
            .event("OnMouseUp", types::onMouseEvent(), &TImgBtn::onBtnMouseUp);
        return b.build();
    }();
    return *info;
}

TImgBtn::TImgBtn(classes::TComponent* owner)
    : vcl::TImage(owner),
      m_pic(std::make_unique<vcl::TPicture>()),
      m_picUp(std::make_unique<vcl::TPicture>()),
      m_picDown(std::make_unique<vcl::TPicture>()) {
    setBounds(left(), top(), 100, 25);
}

TImgBtn::~TImgBtn() = default;

void TImgBtn::setPic(vcl::TPicture* value) {
    if (!value) return;
    m_pic->assign(*value);
    display(*m_pic);
}

void TImgBtn::setPicUp(vcl::TPicture* value) {
    if (value) m_picUp->assign(*value);
}

void TImgBtn::setPicDown(vcl::TPicture* value) {
    if (value) m_picDown->assign(*value);
}

void TImgBtn::display(const vcl::TPicture& picture) { this->picture()->assign(picture); }

void TImgBtn::raise(const classes::TMethod& handler, const TWMMouse& m) {
    TWMMouse msg = m;
    handler({classes::recordArg(msg)});
}

void TImgBtn::mouseEnter() {
    const auto alive = aliveToken();
    vcl::TImage::mouseEnter();
    if (alive.expired() || !m_supported) return;
    m_hovered = true;
    display(m_pressed ? *m_picDown : *m_picUp);
    raise(onBtnMouseEnter, message(kMouseEnter, 0, 0, 0));
}

void TImgBtn::mouseLeave() {
    const auto alive = aliveToken();
    vcl::TImage::mouseLeave();
    if (alive.expired() || !m_supported) return;
    m_hovered = false;
    display(*m_pic);
    raise(onBtnMouseLeave, message(kMouseLeave, 0, 0, 0));
}

void TImgBtn::mouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) {
    const auto alive = aliveToken();
    vcl::TImage::mouseDown(button, shift, x, y);
    if (alive.expired() || button != vcl::mbLeft || !m_supported) return;
    m_pressed = true;
    if (m_hovered) display(*m_picDown);
    raise(onBtnMouseDown, message(kLButtonDown, keyFlags(shift) | 0x0001, x, y));
}

void TImgBtn::mouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) {
    const auto alive = aliveToken();
    // The standard release processing raises OnClick when released over the button.
    vcl::TImage::mouseUp(button, shift, x, y);
    if (alive.expired() || button != vcl::mbLeft || !m_supported) return;
    m_pressed = false;
    if (m_hovered) display(*m_picUp);
    raise(onBtnMouseUp, message(kLButtonUp, keyFlags(shift) & ~0x0001u, x, y));
}

}  // namespace components
