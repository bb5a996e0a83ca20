// Shared by the animated-control tests: a borderless form on the manual clock, and reading
// and writing forms as text.
#pragma once

#include <memory>
#include <string>

#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "classes/TextForm.h"
#include "pictures/Image.h"
#include "vcl/Clock.h"
#include "vcl/Forms.h"

namespace motiontest {

inline std::unique_ptr<vcl::TForm> makeForm(int w, int h, vcl::TColor color = vcl::clYellow) {
    auto f = std::make_unique<vcl::TForm>(nullptr);
    f->setBorderStyle(vcl::bsNone);
    f->setBounds(0, 0, w, h);
    f->setColor(color);
    return f;
}

inline void readText(classes::TComponent& root, const std::string& text) {
    classes::TMemoryStream in;
    in.setBytes(classes::textToBinary(text));
    classes::TReader reader(in);
    reader.readRootComponent(&root);
}

inline std::string writeText(classes::TComponent& root) {
    classes::TMemoryStream out;
    {
        classes::TWriter writer(out);
        writer.writeRootComponent(root);
    }
    return classes::binaryToText(out.bytes());
}

// Pixels in `area` (client coordinates of the image) that are not `background`.
inline int inkIn(const pictures::Image& img, int left, int top, int right, int bottom,
                 vcl::TColor background) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (img.contains(x, y) && vcl::argbToColor(img.pixel(x, y)) != background) ++n;
    return n;
}

}  // namespace motiontest
