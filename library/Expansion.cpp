#include "library/Expansion.h"

#include <sys/stat.h>

#include "platform/Paths.h"

namespace library {
namespace {

PlaceholderExpander s_expander = nullptr;

}  // namespace

void setPlaceholderExpander(PlaceholderExpander expander) { s_expander = expander; }

std::string expanded(std::string_view text) { return s_expander ? s_expander(text) : std::string(text); }

std::string existingOrExpanded(std::string_view name, ExistingName kind) {
    std::filesystem::path p = platform::resolvePath(name);
    struct stat st;
    if (!p.empty() && ::stat(p.c_str(), &st) == 0) {
        bool folder = S_ISDIR(st.st_mode);
        if (kind == ExistingName::Any || folder == (kind == ExistingName::Folder)) return std::string(name);
    }
    return expanded(name);
}

}  // namespace library
