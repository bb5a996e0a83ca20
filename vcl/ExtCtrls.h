// The graphic standard controls (TImage, TShape, TBevel, TPaintBox), the panel and the
// timer.
#pragma once

#include <memory>

#include "vcl/Clock.h"
#include "vcl/Controls.h"
#include "vcl/Picture.h"

namespace vcl {

class TImage : public TGraphicControl {
public:
    CLASSES_OBJECT(TImage)
    explicit TImage(classes::TComponent* owner);
    ~TImage() override;

    TPicture* picture() const { return m_picture.get(); }
    void setPicture(TPicture* picture);
    bool stretch() const { return m_stretch; }
    void setStretch(bool v);
    bool center() const { return m_center; }
    void setCenter(bool v);
    bool proportional() const { return m_proportional; }
    void setProportional(bool v);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool v);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool v);
    // Where the picture is drawn, in client coordinates.
    TRect destRect() const;
    // The picture's bitmap canvas (an empty picture becomes a bitmap of the image's size);
    // a picture of another kind raises "Can only modify an image if it contains a bitmap".
    TCanvas& imageCanvas();

protected:
    void paint() override;
    virtual void pictureChanged();

private:
    std::unique_ptr<TPicture> m_picture;
    bool m_stretch = false, m_center = false, m_proportional = false, m_transparent = false,
         m_autoSize = false;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
    CLASSES_OBJECT(TShape)
    explicit TShape(classes::TComponent* owner);
    ~TShape() override;
    TShapeType shape() const { return m_shape; }
    void setShape(TShapeType s);
    TBrush* brush() const { return m_brush.get(); }
    void setBrush(TBrush* b) {
        if (b) m_brush->assign(*b);
    }
    TPen* pen() const { return m_pen.get(); }
    void setPen(TPen* p) {
        if (p) m_pen->assign(*p);
    }

protected:
    void paint() override;

private:
    TShapeType m_shape = stRectangle;
    std::unique_ptr<TBrush> m_brush;
    std::unique_ptr<TPen> m_pen;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
public:
    CLASSES_OBJECT(TBevel)
    explicit TBevel(classes::TComponent* owner);
    TBevelShape shape() const { return m_shape; }
    void setShape(TBevelShape s);
    TBevelStyle style() const { return m_style; }
    void setStyle(TBevelStyle s);

protected:
    void paint() override;

private:
    TBevelShape m_shape = bsBox;
    TBevelStyle m_style = bsLowered;
};

class TPaintBox : public TGraphicControl {
public:
    CLASSES_OBJECT(TPaintBox)
    explicit TPaintBox(classes::TComponent* owner);
    classes::TMethod onPaint;

protected:
    void paint() override;
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
public:
    CLASSES_OBJECT(TPanel)
    explicit TPanel(classes::TComponent* owner);
    TBevelCut bevelInner() const { return m_bevelInner; }
    void setBevelInner(TBevelCut v);
    TBevelCut bevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TBevelCut v);
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int v);
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int v);
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment v);

protected:
    void paint() override;

private:
    TBevelCut m_bevelInner = bvNone, m_bevelOuter = bvRaised;
    int m_bevelWidth = 1, m_borderWidth = 0;
    TAlignment m_alignment = taCenter;
};

// Draws the system's 3-D frame: `topLeft` on the top and left edges, `bottomRight` on the
// others, `width` pixels thick; shrinks `r` by it.
void frame3D(TCanvas& canvas, TRect& r, TColor topLeft, TColor bottomRight, int width);

// A timer on the active timer service: OnTimer fires every Interval milliseconds while
// Enabled, Interval > 0 and a handler is assigned.
class TTimer : public classes::TComponent {
public:
    CLASSES_OBJECT(TTimer)
    explicit TTimer(classes::TComponent* owner);
    ~TTimer() override;
    bool enabled() const { return m_enabled; }
    void setEnabled(bool v);
    int interval() const { return m_interval; }
    void setInterval(int v);
    const classes::TMethod& onTimer() const { return m_onTimer; }
    void setOnTimer(const classes::TMethod& m);
    void loaded() override;

protected:
    virtual void timer();

private:
    void updateTimer();

    bool m_enabled = true;
    int m_interval = 1000;
    classes::TMethod m_onTimer;
    TimerService* m_service = nullptr;
    int m_id = 0;
};

}  // namespace vcl
