// TCoolForm: a picture control that turns its form into a borderless window of any shape.
// It fills the form with its picture, gives the form's window the region stored with the
// control (the Mask2 stream value) and lets the user drag the window by the picture.
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classes/TObject.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Types.h"

namespace vcl {
class TCustomForm;
}

namespace components {

class TCoolForm;

// A window region: a list of rectangles (client coordinates), or none.
using Region = std::optional<std::vector<vcl::TRect>>;

// The region-data layout: a 32-byte header (header size 32, type 1, rectangle count, buffer
// size, bounding rectangle) and the rectangles as left, top, right, bottom. parse() refuses
// data that is short, has another header size or type, or whose count does not fit.
namespace regiondata {
std::optional<std::vector<vcl::TRect>> parse(std::string_view data);
std::string build(const std::vector<vcl::TRect>& rects);
}  // namespace regiondata

// The region holder scripts see: the region and the control that owns it.
class TRegionType : public classes::TPersistent {
public:
    CLASSES_OBJECT(TRegionType)
    TRegionType() = default;
    explicit TRegionType(TCoolForm* owner) : m_owner(owner) {}

    const Region& region() const { return m_region; }
    void setRegion(Region region) { m_region = std::move(region); }
    bool empty() const { return !m_region; }
    TCoolForm* owner() const { return m_owner; }
    void setOwner(TCoolForm* owner) { m_owner = owner; }
    // Copies the region (never the owner).
    void assign(const classes::TPersistent& source) override;

private:
    Region m_region;
    TCoolForm* m_owner = nullptr;
};

class TCoolForm : public vcl::TImage {
public:
    CLASSES_OBJECT(TCoolForm)
    explicit TCoolForm(classes::TComponent* owner);
    ~TCoolForm() override;

    TRegionType* mask() const { return m_mask.get(); }
    // Copies a non-empty holder's region; an empty one is ignored.
    void setMask(TRegionType* value);
    TRegionType* mask2() const { return m_mask2.get(); }
    void setMask2(TRegionType* value);
    bool draggable() const { return m_draggable; }
    void setDraggable(bool value) { m_draggable = value; }

    // Reads a mask file exactly as the Mask2 value (a 32-bit length, then the region data)
    // and shapes the form with it. False on any failure; the form keeps its shape then.
    // Windows or native path.
    bool loadMaskFromFile(const std::string& fileName);
    // Shapes the form again from the region data held.
    void refreshRegion();
    // The raw region data last read (without its length).
    const std::string& regionData() const { return m_data; }

    // The Mask2 stream value: the length and the data. Bad data throws a reading error.
    void readMask2(std::string_view blob);
    std::string writeMask2() const;

    void setParent(vcl::TWinControl* parent) override;
    void setBounds(int left, int top, int width, int height) override;

    // True while the window follows the mouse by hand (no window manager move).
    bool draggingByHand() const { return m_handDrag; }

protected:
    void mouseDown(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void mouseMove(vcl::TShiftState shift, int x, int y) override;
    void mouseUp(vcl::TMouseButton button, vcl::TShiftState shift, int x, int y) override;
    void pictureChanged() override;

private:
    // Takes validated data: holds it, puts its region into Mask and shapes the form.
    void apply(std::string data);
    vcl::TCustomForm* parentForm() const;

    std::unique_ptr<TRegionType> m_mask, m_mask2;
    std::string m_data;
    bool m_draggable = true, m_converting = false;
    bool m_handDrag = false;
    vcl::TPoint m_dragStart{};
    int m_formLeft = 0, m_formTop = 0;
};

}  // namespace components
