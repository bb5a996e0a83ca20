// Helpers shared by the control and form tests.
#pragma once

#include <fstream>
#include <functional>
#include <span>
#include <sstream>
#include <string>

#include "classes/PropValue.h"
#include "pictures/Image.h"
#include "vcl/Color.h"

namespace vcltest {

// An event handler that runs `f` with the event's arguments.
inline classes::TMethod handler(std::function<void(std::span<const classes::EventArg>)> f) {
    static const int code = 0;
    return classes::TMethod(&code, nullptr, std::move(f));
}

inline classes::TMethod handler(std::function<void()> f) {
    return handler([f = std::move(f)](std::span<const classes::EventArg>) { f(); });
}

inline std::string readFixture(const std::string& name) {
    std::ifstream in(std::string(VANTREL_SOURCE_DIR) + "/tests/pictures/data/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline vcl::TColor colorAt(const pictures::Image& img, int x, int y) {
    return img.contains(x, y) ? vcl::argbToColor(img.pixel(x, y)) : -1;
}

}  // namespace vcltest
