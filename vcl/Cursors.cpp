// The cursor table behind Screen.Cursors.
#include "vcl/Cursors.h"

#include <map>

#include "vcl/Forms.h"

namespace vcl {
namespace {

std::map<TCursor, std::shared_ptr<const CursorData>>& table() {
    static std::map<TCursor, std::shared_ptr<const CursorData>> shapes;
    return shapes;
}

}  // namespace

void setCursorShape(TCursor number, std::shared_ptr<const CursorData> shape) {
    if (number <= 0) return;
    if (shape && !shape->frames.empty())
        table()[number] = std::move(shape);
    else
        table().erase(number);
    if (screen().cursor() == number) setApplicationCursor(number);
}

std::shared_ptr<const CursorData> cursorShape(TCursor number) {
    auto it = table().find(number);
    return it == table().end() ? nullptr : it->second;
}

void setApplicationCursor(TCursor cursor) {
    // The screen sets a standard cursor (an unknown number shows as the arrow); a
    // registered shape then goes over it.
    screen().setCursor(cursor);
    toolkit::showCursorShape(cursorShape(cursor));
}

}  // namespace vcl
