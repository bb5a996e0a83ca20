// The timer the player creates for every timer of a project. The authoring tool shows
// timers as small boxes and stores their size, so the class reads and keeps a width and
// a height that mean nothing at run time.
#pragma once

#include "vcl/ExtCtrls.h"

namespace components {

class TTimerEx final : public vcl::TTimer {
public:
    CLASSES_OBJECT(TTimerEx)
    explicit TTimerEx(classes::TComponent* owner) : vcl::TTimer(owner) {}
    int width() const { return m_width; }
    void setWidth(int v) { m_width = v; }
    int height() const { return m_height; }
    void setHeight(int v) { m_height = v; }

private:
    int m_width = 0;
    int m_height = 0;
};

}  // namespace components
