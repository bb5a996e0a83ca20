// Window handles as scripts see them: small integer ids in one table, never pointers. A
// control keeps its id while it lives; once it is freed its id names nothing, and ids are
// not reused within a run, so a stale or made-up id finds no window. Main thread only.
#pragma once

#include <cstdint>

namespace vcl {

class TWinControl;

// The id of `control` (0 for null), given on first request.
int32_t windowId(TWinControl* control);
// The live window with that id, or null.
TWinControl* windowById(int32_t id);

}  // namespace vcl
