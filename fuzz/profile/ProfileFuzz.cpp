// INI files and automation files come from outside: parsing, looking up and rewriting
// must never crash, whatever the bytes. The rewrite keeps its promises: text that is not
// edited comes back byte for byte, and a key that was set reads back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/AnsiText.h"
#include "platform/Automation.h"
#include "platform/Profile.h"

namespace {

std::string unquoted(std::string_view v) {
    v = base::trimText(v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return std::string(v);
}

// Splits "section=key=value" from the first line of the input.
void editChecks(std::string_view text, std::string_view first) {
    size_t eq1 = first.find('=');
    size_t eq2 = eq1 == std::string_view::npos ? eq1 : first.find('=', eq1 + 1);
    if (eq2 == std::string_view::npos) return;
    // Names and values end at a zero byte, as for the profile functions.
    auto cut = [](std::string_view s) { return s.substr(0, s.find('\0')); };
    std::string_view section = cut(first.substr(0, eq1));
    std::string_view key = cut(first.substr(eq1 + 1, eq2 - eq1 - 1));
    std::string_view value = cut(first.substr(eq2 + 1));

    auto profile = platform::ProfileFile::parse(text);
    if (profile.setValue(section, key, value)) {
        auto reparsed = platform::ProfileFile::parse(profile.text());
        if (reparsed.value(section, key) != unquoted(value)) __builtin_trap();
    }
    profile.removeKey(section, key);
    if (platform::ProfileFile::parse(profile.text()).value(section, key)) __builtin_trap();
    profile.removeSection(section);
    (void)platform::ProfileFile::parse(profile.text()).keyNames(section);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto profile = platform::ProfileFile::parse(text);
    if (profile.text() != text) __builtin_trap();  // what is not edited is kept byte for byte
    (void)profile.value("Autorun", "LoadingText");
    (void)profile.value("", "");
    (void)profile.sectionNames();
    // The first line names a section and key to look up in the rest, and a value to set.
    size_t nl = text.find('\n');
    if (nl != std::string_view::npos) {
        std::string_view first = text.substr(0, nl);
        size_t eq = first.find('=');
        if (eq != std::string_view::npos) (void)profile.value(first.substr(0, eq), first.substr(eq + 1));
        editChecks(text, first);
    }
    std::vector<std::string> problems;
    auto script = platform::AutomationScript::parse(text, &problems);
    platform::AutomationBackend backend(std::move(script));
    platform::DialogRequest request;
    request.buttons = {platform::IDYES, platform::IDNO};
    for (int i = 0; i < 4; ++i) (void)backend.ask(request);
    return 0;
}
