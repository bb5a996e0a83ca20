// Path placeholders ("%TMPAPPDIR%", "%Embedded%", "%SRCDIR%", ...) and their expansion.
// Values are in the Windows form scripts see and are obtained afresh on each expansion.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace runtime {

struct Placeholder {
    const char* name;
    std::string value;
};

// The 23 placeholders in the order `RepConst` replaces them; the last is "%n" → CR LF.
using PlaceholderTable = std::array<Placeholder, 23>;

// The table filled from the running player: its folders, the user's and the machine's.
PlaceholderTable currentPlaceholders();

// Expansion and its inverse over a given table (tests pass their own values).
std::string expandPlaceholders(std::string_view text, const PlaceholderTable& table);
std::string collapsePlaceholders(std::string_view text, const PlaceholderTable& table);

// Expands every placeholder, case-insensitively, in table order.
std::string RepConst(std::string_view text);
// Replaces known folder values (and CR LF) by their placeholders.
std::string DERepConst(std::string_view text);

}  // namespace runtime
