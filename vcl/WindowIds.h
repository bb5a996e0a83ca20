// Window and device-context handles as scripts see them: small integer ids, never pointers.
// A control or canvas keeps its id while it lives; once it is freed its id names nothing.
// Both kinds draw from one count and ids are not reused within a run, so a stale or
// made-up id, or the id of the other kind, finds nothing. Main thread only.
#pragma once

#include <cstdint>

namespace vcl {

class TCanvas;
class TWinControl;

// The id of `control` (0 for null), given on first request.
int32_t windowId(TWinControl* control);
// The live window with that id, or null.
TWinControl* windowById(int32_t id);

// The device-context handle of `canvas` (0 for null), given on first request.
int32_t canvasId(TCanvas* canvas);
// The live canvas with that id, or null.
TCanvas* canvasById(int32_t id);
// A canvas tells the table as it dies.
void forgetCanvas(const TCanvas* canvas);

}  // namespace vcl
