// The graphics set: colours, the font, pen and brush, the canvas with its drawing methods,
// graphics and bitmaps, and the rectangle and point records the canvas takes.
#include "vcl/Graphics.h"
#include "classes/ClassInfo.h"
#include "classes/NativeType.h"
#include "host/std/VclRecords.h"
#include "host/std/VclSets.h"
#include "platform/Paths.h"
#include "vcl/Canvas.h"
#include "vcl/Color.h"
#include "vcl/Graphic.h"

namespace host {
namespace {

using vcl::TCanvas;
using vcl::TGraphic;

struct NamedColor {
    const char* name;
    vcl::TColor value;
};

constexpr NamedColor kColors[] = {
    {"clBlack", vcl::clBlack},
    {"clMaroon", vcl::clMaroon},
    {"clGreen", vcl::clGreen},
    {"clOlive", vcl::clOlive},
    {"clNavy", vcl::clNavy},
    {"clPurple", vcl::clPurple},
    {"clTeal", vcl::clTeal},
    {"clGray", vcl::clGray},
    {"clSilver", vcl::clSilver},
    {"clRed", vcl::clRed},
    {"clLime", vcl::clLime},
    {"clYellow", vcl::clYellow},
    {"clBlue", vcl::clBlue},
    {"clFuchsia", vcl::clFuchsia},
    {"clAqua", vcl::clAqua},
    {"clLtGray", vcl::clLtGray},
    {"clDkGray", vcl::clDkGray},
    {"clWhite", vcl::clWhite},
    {"clNone", vcl::clNone},
    {"clDefault", vcl::clDefault},
    {"clScrollBar", vcl::clScrollBar},
    {"clBackground", vcl::clBackground},
    {"clActiveCaption", vcl::clActiveCaption},
    {"clInactiveCaption", vcl::clInactiveCaption},
    {"clMenu", vcl::clMenu},
    {"clWindow", vcl::clWindow},
    {"clWindowFrame", vcl::clWindowFrame},
    {"clMenuText", vcl::clMenuText},
    {"clWindowText", vcl::clWindowText},
    {"clCaptionText", vcl::clCaptionText},
    {"clActiveBorder", vcl::clActiveBorder},
    {"clInactiveBorder", vcl::clInactiveBorder},
    {"clAppWorkSpace", vcl::clAppWorkSpace},
    {"clHighlight", vcl::clHighlight},
    {"clHighlightText", vcl::clHighlightText},
    {"clBtnFace", vcl::clBtnFace},
    {"clBtnShadow", vcl::clBtnShadow},
    {"clGrayText", vcl::clGrayText},
    {"clBtnText", vcl::clBtnText},
    {"clInactiveCaptionText", vcl::clInactiveCaptionText},
    {"clBtnHighlight", vcl::clBtnHighlight},
    {"cl3DDkShadow", vcl::cl3DDkShadow},
    {"cl3DLight", vcl::cl3DLight},
    {"clInfoText", vcl::clInfoText},
    {"clInfoBk", vcl::clInfoBk},
};

// Scripts name files the Windows way.
std::string nativePath(const std::string& windowsPath) { return platform::resolvePath(windowsPath).string(); }

void canvasMembers(script::Imports& m) {
    m.method("TCanvas", "procedure MoveTo(X, Y: Integer);", [](TCanvas& c, int x, int y) { c.moveTo(x, y); })
        .method("TCanvas", "procedure LineTo(X, Y: Integer);",
                [](TCanvas& c, int x, int y) { c.lineTo(x, y); })
        .method("TCanvas", "procedure Rectangle(X1, Y1, X2, Y2: Integer);",
                [](TCanvas& c, int x1, int y1, int x2, int y2) { c.rectangle(x1, y1, x2, y2); })
        .method("TCanvas", "procedure RoundRect(X1, Y1, X2, Y2, X3, Y3: Integer);",
                [](TCanvas& c, int x1, int y1, int x2, int y2, int x3, int y3) {
                    c.roundRect(x1, y1, x2, y2, x3, y3);
                })
        .method("TCanvas", "procedure Ellipse(X1, Y1, X2, Y2: Integer);",
                [](TCanvas& c, int x1, int y1, int x2, int y2) { c.ellipse(x1, y1, x2, y2); })
        .method("TCanvas", "procedure FillRect(const Rect: TRect);",
                [](TCanvas& c, const vcl::TRect& r) { c.fillRect(r); })
        .method("TCanvas", "procedure FrameRect(const Rect: TRect);",
                [](TCanvas& c, const vcl::TRect& r) { c.frameRect(r); })
        .method("TCanvas", "procedure TextOut(X, Y: Integer; Text: string);",
                [](TCanvas& c, int x, int y, const std::string& s) { c.textOut(x, y, s); })
        .method("TCanvas", "procedure TextRect(Rect: TRect; X, Y: Integer; Text: string);",
                [](TCanvas& c, const vcl::TRect& r, int x, int y, const std::string& s) {
                    c.textRect(r, x, y, s);
                })
        .method("TCanvas", "function TextWidth(Text: string): Integer;",
                [](const TCanvas& c, const std::string& s) { return c.textWidth(s); })
        .method("TCanvas", "function TextHeight(Text: string): Integer;",
                [](const TCanvas& c, const std::string& s) { return c.textHeight(s); })
        .method("TCanvas", "procedure Draw(X, Y: Integer; Graphic: TGraphic);",
                [](TCanvas& c, int x, int y, const TGraphic& g) { c.draw(x, y, g); })
        .method("TCanvas", "procedure StretchDraw(const Rect: TRect; Graphic: TGraphic);",
                [](TCanvas& c, const vcl::TRect& r, const TGraphic& g) { c.stretchDraw(r, g); })
        .method("TCanvas", "procedure CopyRect(Dest: TRect; Canvas: TCanvas; Source: TRect);",
                [](TCanvas& c, const vcl::TRect& d, TCanvas& from, const vcl::TRect& s) {
                    c.copyRect(d, from, s);
                })
        .property(
            "TCanvas", "property Pixels[X, Y: Integer]: TColor;",
            [](const TCanvas& c, int x, int y) { return int32_t(c.pixel(x, y)); },
            [](TCanvas& c, int x, int y, int32_t color) { c.setPixel(x, y, color); })
        .property(
            "TCanvas", "property Font: TFont;", [](TCanvas& c) { return c.fontPointer(); },
            [](TCanvas& c, vcl::TFont* f) {
                if (f) c.setFont(*f);
            })
        .property(
            "TCanvas", "property Pen: TPen;", [](TCanvas& c) { return c.penPointer(); },
            [](TCanvas& c, vcl::TPen* p) {
                if (p) c.setPen(*p);
            })
        .property(
            "TCanvas", "property Brush: TBrush;", [](TCanvas& c) { return c.brushPointer(); },
            [](TCanvas& c, vcl::TBrush* b) {
                if (b) c.setBrush(*b);
            });
}

void graphicMembers(script::Imports& m) {
    m.method("TGraphic", "procedure LoadFromFile(const FileName: string);",
             [](TGraphic& g, const std::string& f) { g.loadFromFile(nativePath(f)); })
        .method("TGraphic", "procedure SaveToFile(const FileName: string);",
                [](const TGraphic& g, const std::string& f) { g.saveToFile(nativePath(f)); })
        .property("TGraphic", "property Empty: Boolean;", [](const TGraphic& g) { return g.empty(); })
        .property("TGraphic", "property Width: Integer;", [](const TGraphic& g) { return g.width(); })
        .property("TGraphic", "property Height: Integer;", [](const TGraphic& g) { return g.height(); })
        .property("TBitmap", "property Canvas: TCanvas;", [](vcl::TBitmap& b) { return &b.canvas(); })
        .method("TBitmap", "procedure SetSize(AWidth, AHeight: Integer);",
                [](vcl::TBitmap& b, int w, int h) { b.setSize(w, h); });
}

}  // namespace

const StdSet& graphicsSet() {
    static const StdSet set = [] {
        StdSet s;
        s.classes = {
            &vcl::TGraphicsObject::staticClass(), &vcl::TFont::staticClass(), &vcl::TPen::staticClass(),
            &vcl::TBrush::staticClass(),          &TCanvas::staticClass(),    &TGraphic::staticClass(),
            &vcl::TBitmap::staticClass()};
        script::Imports& m = s.imports;
        m.type("TNotifyEvent", "procedure (Sender: TObject)")
            .type("TColor", "Integer")
            .type("TRect", "record Left, Top, Right, Bottom: Integer; end")
            .type("TPoint", "record X, Y: Integer; end");
        for (const NamedColor& c : kColors) m.constant(c.name, int32_t(c.value));
        m.routine("function Rect(ALeft, ATop, ARight, ABottom: Integer): TRect;",
                  [](int l, int t, int r, int b) {
                      return vcl::TRect{l, t, r, b};
                  })
            .routine("function Bounds(ALeft, ATop, AWidth, AHeight: Integer): TRect;",
                     [](int l, int t, int w, int h) { return vcl::bounds(l, t, w, h); })
            .routine("function Point(X, Y: Integer): TPoint;",
                     [](int x, int y) {
                         return vcl::TPoint{x, y};
                     })
            .routine("function ColorToRGB(Color: TColor): Longint;",
                     [](int32_t c) { return int32_t(vcl::colorToRGB(c)); })
            .routine("function RGB(R, G, B: Byte): TColor;",
                     [](uint8_t r, uint8_t g, uint8_t b) { return int32_t(vcl::rgb(r, g, b)); });
        for (const classes::ClassInfo* c : s.classes) m.classType(*c);
        canvasMembers(m);
        graphicMembers(m);
        return s;
    }();
    return set;
}

}  // namespace host
