// Metadata helpers for the properties standard controls publish but nothing here acts
// on (kept, so they read, write and script back unchanged), and the types several control
// families share. For the .cpp files that declare class metadata.
#pragma once

#include "classes/TypeInfo.h"
#include "vcl/Controls.h"

namespace vcl {

namespace types {
const classes::TypeInfo& bevelCut();  // TBevelCut, also the panel's
const classes::TypeInfo& bevelEdges();
const classes::TypeInfo& bevelKind();
const classes::TypeInfo& imeMode();
const classes::TypeInfo& borderStyle();  // TBorderStyle: bsNone, bsSingle
const classes::TypeInfo& scrollStyle();  // TScrollStyle
}  // namespace types

// Declares a kept property (see TControl::keptValue) on a class's metadata.
template <class Builder>
void keptProperty(Builder& b, const char* name, const classes::TypeInfo& type, int64_t fallback) {
    const std::string key = name;
    b.property(
        name, type, [key, fallback](const TControl& c) { return c.keptValue(key, fallback); },
        [key](TControl& c, int64_t v) { c.setKeptValue(key, v); }, {.defaultValue = fallback});
}

template <class Builder>
void keptTextProperty(Builder& b, const char* name) {
    const std::string key = name;
    b.property(
        name, classes::types::string(), [key](const TControl& c) { return c.keptText(key); },
        [key](TControl& c, const std::string& v) { c.setKeptText(key, v); });
}

template <class Builder>
void keptEventProperty(Builder& b, const char* name, const classes::TypeInfo& type) {
    const std::string key = name;
    b.property(
        name, type, [key](const TControl& c) { return c.keptEvent(key); },
        [key](TControl& c, const classes::TMethod& m) { c.setKeptEvent(key, m); });
}

// The properties and events standard controls publish that nothing here acts on,
// declared once for every class that has them.
namespace kept {
// BevelEdges, BevelInner, BevelKind, BevelOuter (edits, lists, hot keys).
template <class Builder>
void bevels(Builder& b) {
    keptProperty(b, "BevelEdges", types::bevelEdges(), 15);
    keptProperty(b, "BevelInner", types::bevelCut(), 2);
    keptProperty(b, "BevelKind", types::bevelKind(), 0);
    keptProperty(b, "BevelOuter", types::bevelCut(), 1);
}
template <class Builder>
void ime(Builder& b) {
    keptProperty(b, "ImeMode", types::imeMode(), 3);
    keptTextProperty(b, "ImeName");
}
}  // namespace kept

}  // namespace vcl
