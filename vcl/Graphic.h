// TGraphic and its kinds: a bitmap with its own canvas, an icon, a metafile, and the
// compressed formats the component streams name. Each decodes through
// the picture loaders and draws through TCanvas::drawImage. Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "classes/TObject.h"
#include "pictures/Image.h"
#include "pictures/Loaders.h"
#include "vcl/Canvas.h"
#include "vcl/Clock.h"
#include "vcl/Color.h"
#include "vcl/Types.h"

namespace vcl {

class TGraphic : public classes::TPersistent {
public:
    CLASSES_OBJECT(TGraphic)

    // The class name the stream's picture blobs use ("TBitmap", "TJPEGImage", ...).
    virtual const char* className() const = 0;
    virtual std::unique_ptr<TGraphic> clone() const = 0;

    // The pixels shown now (the current frame of an animation); null when empty.
    virtual const pictures::Image* image() const = 0;
    bool empty() const;
    int width() const;
    int height() const;
    bool transparent() const { return m_transparent; }
    virtual void setTransparent(bool value);

    virtual void draw(TCanvas& canvas, const TRect& dest) const;

    // A whole file image of this kind. Bad data throws pictures::DecodeError and leaves
    // the graphic empty.
    virtual void loadFromBytes(std::string_view fileImage) = 0;
    virtual std::string saveToBytes() const = 0;
    // Native paths; failures throw base::Error with the system's texts.
    void loadFromFile(const std::string& path);
    void saveToFile(const std::string& path) const;

    // The graphic's part of a picture blob (after the class name); see TPicture.
    virtual void readData(std::string_view payload) { loadFromBytes(payload); }
    virtual std::string writeData() const { return saveToBytes(); }

    std::function<void()> onChange;

protected:
    void changed() const;

private:
    bool m_transparent = false;
};

enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
public:
    CLASSES_OBJECT(TBitmap)
    TBitmap();
    TBitmap(const TBitmap& other);
    ~TBitmap() override;
    const char* className() const override { return "TBitmap"; }
    std::unique_ptr<TGraphic> clone() const override { return std::unique_ptr<TGraphic>(new TBitmap(*this)); }

    const pictures::Image* image() const override { return m_image.empty() ? nullptr : &m_image; }
    pictures::Image& pixels() { return m_image; }
    void setSize(int width, int height);
    void setWidth(int w) { setSize(w, m_image.height); }
    void setHeight(int h) { setSize(m_image.width, h); }
    // Replaces the pixels (a decoded picture turned into a bitmap).
    void assignImage(const pictures::Image& image);
    // The bitmap's own canvas, drawing into its pixels.
    TCanvas& canvas();

    // Transparent drawing leaves out the pixels of the transparent colour: the bottom-left
    // pixel in tmAuto mode, the set colour in tmFixed mode.
    TColor transparentColor() const;
    void setTransparentColor(TColor color);
    TTransparentMode transparentMode() const { return m_transparentMode; }
    void setTransparentMode(TTransparentMode mode) { m_transparentMode = mode; }

    void draw(TCanvas& canvas, const TRect& dest) const override;
    void loadFromBytes(std::string_view fileImage) override;
    std::string saveToBytes() const override;  // a 24-bit BMP, or 32-bit when it has alpha
    void readData(std::string_view payload) override;
    std::string writeData() const override;

private:
    pictures::Image m_image;
    std::unique_ptr<TCanvas> m_canvas;
    TColor m_transparentColor = clDefault;
    TTransparentMode m_transparentMode = tmAuto;
};

// A graphic kept as its file image and decoded once; shared by the compressed formats,
// icons and metafiles.
class TEncodedGraphic : public TGraphic {
public:
    const pictures::Image* image() const override;
    void loadFromBytes(std::string_view fileImage) override;
    std::string saveToBytes() const override { return m_bytes; }
    const pictures::Decoded& decoded() const { return m_decoded; }

    CLASSES_OBJECT(TEncodedGraphic)

protected:
    // `strict` kinds decode only as their own format; the others take what the data is.
    TEncodedGraphic(pictures::Format format, bool strict) : m_format(format), m_strict(strict) {}
    TEncodedGraphic(const TEncodedGraphic& o)
        : TGraphic(),
          m_frame(o.m_frame),
          m_decoded(o.m_decoded),
          m_format(o.m_format),
          m_strict(o.m_strict),
          m_bytes(o.m_bytes) {}
    virtual void loaded() {}
    int m_frame = 0;
    pictures::Decoded m_decoded;

private:
    pictures::Format m_format;
    bool m_strict;
    std::string m_bytes;
};

class TIcon : public TEncodedGraphic {
public:
    CLASSES_OBJECT(TIcon)
    TIcon() : TEncodedGraphic(pictures::Format::Icon, true) {}
    TIcon(const TIcon& o) : TEncodedGraphic(o) {}
    const char* className() const override { return "TIcon"; }
    std::unique_ptr<TGraphic> clone() const override { return std::unique_ptr<TGraphic>(new TIcon(*this)); }
};

// A Windows or enhanced metafile. Its image is the picture drawn at its own size; drawn
// at another size it is played again into that size, so it stays sharp.
class TMetafile : public TEncodedGraphic {
public:
    CLASSES_OBJECT(TMetafile)
    TMetafile();
    TMetafile(const TMetafile& o) : TEncodedGraphic(o) {}
    const char* className() const override { return "TMetafile"; }
    std::unique_ptr<TGraphic> clone() const override {
        return std::unique_ptr<TGraphic>(new TMetafile(*this));
    }
    void draw(TCanvas& canvas, const TRect& dest) const override;
    void loadFromBytes(std::string_view fileImage) override;
    void readData(std::string_view payload) override;
    std::string writeData() const override;

protected:
    void loaded() override { m_drawn = {}; }

private:
    mutable pictures::Image m_drawn;  // the last size drawn other than its own
};

class TJPEGImage : public TEncodedGraphic {
public:
    CLASSES_OBJECT(TJPEGImage)
    TJPEGImage() : TEncodedGraphic(pictures::Format::Jpeg, false) {}
    TJPEGImage(const TJPEGImage& o) : TEncodedGraphic(o) {}
    const char* className() const override { return "TJPEGImage"; }
    std::unique_ptr<TGraphic> clone() const override {
        return std::unique_ptr<TGraphic>(new TJPEGImage(*this));
    }
    void readData(std::string_view payload) override;
    std::string writeData() const override;
};

class TPNGObject : public TEncodedGraphic {
public:
    CLASSES_OBJECT(TPNGObject)
    TPNGObject() : TEncodedGraphic(pictures::Format::Png, false) {}
    TPNGObject(const TPNGObject& o) : TEncodedGraphic(o) {}
    const char* className() const override { return "TPNGObject"; }
    std::unique_ptr<TGraphic> clone() const override {
        return std::unique_ptr<TGraphic>(new TPNGObject(*this));
    }
};

class TTarga : public TEncodedGraphic {
public:
    CLASSES_OBJECT(TTarga)
    TTarga() : TEncodedGraphic(pictures::Format::Targa, false) {}
    TTarga(const TTarga& o) : TEncodedGraphic(o), m_innerName(o.m_innerName) {}
    const char* className() const override { return "TTarga"; }
    std::unique_ptr<TGraphic> clone() const override { return std::unique_ptr<TGraphic>(new TTarga(*this)); }
    void readData(std::string_view payload) override;
    std::string writeData() const override;

private:
    std::string m_innerName = "TTarga";
};

// An animated GIF steps through its frames on the active timer service (the main
// thread), firing onChange at each frame; a still GIF is a plain picture.
class TGIFImage : public TEncodedGraphic {
public:
    CLASSES_OBJECT(TGIFImage)
    TGIFImage() : TEncodedGraphic(pictures::Format::Gif, false) {}
    TGIFImage(const TGIFImage& other);
    ~TGIFImage() override;
    const char* className() const override { return "TGIFImage"; }
    std::unique_ptr<TGraphic> clone() const override {
        return std::unique_ptr<TGraphic>(new TGIFImage(*this));
    }

    int frameCount() const { return static_cast<int>(m_decoded.frames.size()); }
    int currentFrame() const { return m_frame; }
    bool animate() const { return m_animate; }
    void setAnimate(bool value);

protected:
    void loaded() override;

private:
    void schedule();
    void step();

    bool m_animate = true;
    void stopTimer();

    TimerService* m_timerService = nullptr;
    int m_timer = 0;
    int m_plays = 0;
};

}  // namespace vcl
