// The placeholder expansion the library applies to routine arguments ("%TMPAPPDIR%\a.txt").
// Expansion itself (RepConst) belongs to the run-time layer above this one, which installs it
// at start-up; until then texts pass unchanged. Thread: main.
#pragma once

#include <string>
#include <string_view>

namespace library {

using PlaceholderExpander = std::string (*)(std::string_view text);

// Installs RepConst (nullptr: no expansion).
void setPlaceholderExpander(PlaceholderExpander expander);

// "Always expanded": RepConst(text).
std::string expanded(std::string_view text);

enum class ExistingName { File, Folder, Any };
// "Existing name first": `name` unchanged when, taken literally, it names an existing file
// (folder, or either); otherwise its expansion.
std::string existingOrExpanded(std::string_view name, ExistingName kind);

}  // namespace library
