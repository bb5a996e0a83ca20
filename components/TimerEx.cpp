#include "components/TimerEx.h"

#include "classes/ClassBuilder.h"

namespace components {

namespace ct = classes::types;

const classes::ClassInfo& TTimerEx::staticClass() {
    static const auto info =
        classes::ClassBuilder<TTimerEx>("TTimerEx", vcl::TTimer::staticClass())
            .property("Width", ct::integer(), &TTimerEx::width, &TTimerEx::setWidth, {.defaultValue = 0})
            .property("Height", ct::integer(), &TTimerEx::height, &TTimerEx::setHeight, {.defaultValue = 0})
            .build();
    return *info;
}

}  // namespace components
