// TImgBtn: a picture control that acts as a three-state button. It shows Pic at rest, PicUp
// while the mouse is over it and PicDown while the left button is held over it; its own
// mouse events carry the mouse message record. Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "vcl/ExtCtrls.h"

namespace vcl {
class TPicture;
}

namespace components {

// The mouse message record the button's events pass (its fields in declaration order).
struct TWMMouse {
    uint32_t msg = 0;
    uint32_t keys = 0;
    int16_t xPos = 0;
    int16_t yPos = 0;
    int32_t result = 0;
};

class TImgBtn : public vcl::TImage {
public:
    CLASSES_OBJECT(TImgBtn)
    explicit TImgBtn(classes::TComponent* owner);
    ~TImgBtn() override;

    // The owned pictures. Writing copies the value; writing Pic also shows it at once.
    vcl::TPicture* pic() const { return m_pic.get(); }
    void setPic(vcl::TPicture* value);
    vcl::TPicture* picUp() const { return m_picUp.get(); }
    void setPicUp(vcl::TPicture* value);
    vcl::TPicture* picDown() const { return m_picDown.get(); }
    void setPicDown(vcl::TPicture* value);
    bool supported() const { return m_supported; }
    void setSupported(bool value) { m_supported = value; }

    bool hovered() const { return m_hovered; }
    bool pressed() const { return m_pressed; }

    // Handlers of OnMouseEnter, OnMouseLeave, OnMouseDown and OnMouseUp: one argument, the
    // message record (a classes::RecordArg over a TWMMouse).
    classes::TMethod onBtnMouseEnter, onBtnMouseLeave, onBtnMouseDown, onBtnMouseUp;

    static constexpr uint32_t kMouseEnter = 0xB013, kMouseLeave = 0xB014;
    static constexpr uint32_t kLButtonDown = 0x0201, kLButtonUp = 0x0202;

protected:
    void mouseEnter() override;
    void mouseLeave() override;
    void mouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void mouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;

private:
    void display(const vcl::TPicture& picture);
    void raise(const classes::TMethod& handler, const TWMMouse& msg);

    std::unique_ptr<vcl::TPicture> m_pic, m_picUp, m_picDown;
    bool m_supported = true, m_hovered = false, m_pressed = false;
};

// How a handler reads the record it was given (null when the argument is no TWMMouse).
const TWMMouse* mouseRecord(const classes::EventArg& arg);

namespace types {
const classes::TypeInfo& onMouseEvent();  // "TOnMouseEvent": procedure (Msg: TWMMouse)
}

}  // namespace components
