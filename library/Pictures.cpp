// Picture routines over the component model's pictures and the desktop's pixels.
#include "library/Pictures.h"

#include "library/Expansion.h"
#include "pictures/Encoders.h"
#include "pictures/Loaders.h"
#include "platform/Paths.h"
#include "vcl/Desktop.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Picture.h"
#include "vcl/WindowIds.h"

namespace library {
namespace {

std::string nativeName(std::string_view fileName) {
    return platform::resolvePath(existingOrExpanded(fileName, ExistingName::File)).string();
}

void assignBitmap(vcl::TPicture& dest, const pictures::Image& image) {
    vcl::TBitmap bitmap;
    bitmap.assignImage(image);
    dest.setGraphic(&bitmap);
}

// `rect` of `source`, black where it lies outside.
pictures::Image cut(const pictures::Image& source, const vcl::TRect& rect) {
    pictures::Image out(rect.width(), rect.height(), 0xFF000000u);
    const vcl::TRect inside = rect.intersect({0, 0, source.width, source.height});
    for (int y = inside.top; y < inside.bottom; ++y)
        for (int x = inside.left; x < inside.right; ++x)
            out.setPixel(x - rect.left, y - rect.top, source.pixel(x, y));
    return out;
}

}  // namespace

void loadImage(vcl::TImage& control, std::string_view fileName) {
    control.picture()->loadFromFile(nativeName(fileName));
}

void saveImage(vcl::TImage& control, std::string_view fileName) {
    const vcl::TGraphic* graphic = control.picture()->graphic();
    if (!graphic) return;
    const std::string path = nativeName(fileName);
    // A Targa read from a form stream may hold bitmap data; the file is a Targa all the same.
    if (dynamic_cast<const vcl::TTarga*>(graphic) && graphic->image() &&
        pictures::sniffFormat(graphic->saveToBytes()) != pictures::Format::Targa) {
        vcl::TTarga targa;
        targa.loadFromBytes(pictures::encodeTarga(*graphic->image()));
        targa.saveToFile(path);
        return;
    }
    graphic->saveToFile(path);
}

bool clearImage(vcl::TImage* control) {
    if (!control) return false;
    control->picture()->setGraphic(nullptr);
    return control->picture()->graphic() == nullptr;
}

void freeGraphic(vcl::TPicture* picture) {
    if (picture) picture->setGraphic(nullptr);
}

void copyWindowTo(vcl::TPicture* dest, int32_t window, int32_t left, int32_t top, int32_t width,
                  int32_t height) {
    if (!dest) return;
    const vcl::TRect rect = vcl::bounds(left, top, std::max(width, 0), std::max(height, 0));
    if (int64_t(rect.width()) * rect.height() > pictures::kMaxPixels ||
        rect.width() > pictures::kMaxDimension || rect.height() > pictures::kMaxDimension)
        return;
    if (rect.isEmpty()) return assignBitmap(*dest, pictures::Image());
    if (window == 0) return assignBitmap(*dest, vcl::desktop::grabScreen(rect));
    vcl::TWinControl* control = vcl::windowById(window);
    if (!control) return;
    assignBitmap(*dest, cut(control->grab(), rect));
}

void getFormImage(vcl::TCustomForm* form, vcl::TPicture* dest) {
    if (form && dest) assignBitmap(*dest, form->grab());
}

void loadWinIco(int32_t id, vcl::TPicture* picture) {
    if (!picture || id < 0 || id > 5) return;
    const pictures::Image image = vcl::desktop::standardIcon(static_cast<vcl::desktop::StandardIcon>(id));
    if (image.empty()) return;
    vcl::TIcon icon;
    icon.loadFromBytes(pictures::encodeIcon(image));
    picture->setGraphic(&icon);
}

}  // namespace library
