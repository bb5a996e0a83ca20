// INI files and automation files come from outside: parsing and looking up must never
// crash, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Automation.h"
#include "platform/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto profile = platform::ProfileFile::parse(text);
    (void)profile.value("Autorun", "LoadingText");
    (void)profile.value("", "");
    // The first line names a section and key to look up in the rest.
    size_t nl = text.find('\n');
    if (nl != std::string_view::npos) {
        std::string_view first = text.substr(0, nl);
        size_t eq = first.find('=');
        if (eq != std::string_view::npos) (void)profile.value(first.substr(0, eq), first.substr(eq + 1));
    }
    std::vector<std::string> problems;
    auto script = platform::AutomationScript::parse(text, &problems);
    platform::AutomationBackend backend(std::move(script));
    platform::DialogRequest request;
    request.buttons = {platform::IDYES, platform::IDNO};
    for (int i = 0; i < 4; ++i) (void)backend.ask(request);
    return 0;
}
