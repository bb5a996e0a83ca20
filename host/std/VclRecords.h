// How the component model's rectangle and point cross to scripts: as the records TRect
// (Left, Top, Right, Bottom) and TPoint (X, Y).
#pragma once

#include "classes/NativeType.h"
#include "vcl/Types.h"

template <>
struct classes::RecordFields<vcl::TRect>
    : classes::Fields<&vcl::TRect::left, &vcl::TRect::top, &vcl::TRect::right, &vcl::TRect::bottom> {};
template <>
struct classes::RecordFields<vcl::TPoint> : classes::Fields<&vcl::TPoint::x, &vcl::TPoint::y> {};
