// The entry points by name, as the music, CD and tag routines bind them: a family counts as
// bound only when every one of its names is found, as with a library loaded by name.
#pragma once

#include <span>
#include <string_view>

namespace media {

struct EntryPoint {
    const char* name;
    void (*address)();  // cast back to the declared function's type before calling
};

std::span<const EntryPoint> bassEntryPoints();  // the 100 of the main library, in binding order
std::span<const EntryPoint> cdEntryPoints();    // the 19 of the CD family
std::span<const EntryPoint> tagsEntryPoints();  // the 3 of the tag family

// The address of `name` in `table`, or nullptr.
void (*findEntryPoint(std::span<const EntryPoint> table, std::string_view name))();

// Typed lookup: bindEntryPoint<decltype(BASS_Init)>(bassEntryPoints(), "BASS_Init").
template <class F>
F* bindEntryPoint(std::span<const EntryPoint> table, std::string_view name) {
    return reinterpret_cast<F*>(findEntryPoint(table, name));
}

}  // namespace media
