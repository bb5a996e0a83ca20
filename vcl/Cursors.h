// The screen's cursor table: cursors loaded from files, registered under positive cursor
// numbers (the standard cursors are 0 and below), and the cursor of the whole application.
// Main thread only.
#pragma once

#include <memory>

#include "vcl/Controls.h"
#include "vcl/CursorFile.h"

namespace vcl {

// Registers `shape` under `number` (> 0), replacing what was there; null removes it. A
// number with no shape shows the default arrow.
void setCursorShape(TCursor number, std::shared_ptr<const CursorData> shape);
std::shared_ptr<const CursorData> cursorShape(TCursor number);

// Makes `cursor` the cursor of the whole application (the screen's Cursor), showing a
// registered shape, animated when it has several steps.
void setApplicationCursor(TCursor cursor);

namespace toolkit {
// Shows `shape` over every window of the application (null: leaves the cursor to the
// screen's standard cursor). Implemented in vcl/qt/.
void showCursorShape(const std::shared_ptr<const CursorData>& shape);
}  // namespace toolkit

}  // namespace vcl
