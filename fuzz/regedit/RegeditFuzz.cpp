// REGEDIT4 files come from authors: parsing and importing must never crash, whatever the
// bytes, and what an import stored exports to text that imports to the same store.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Error.h"
#include "platform/Registry.h"
#include "platform/RegistryText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<platform::RegistryEdit> edits;
    try {
        edits = platform::parseRegistryText(text);
    } catch (const base::Error&) {
        return 0;
    }
    auto store = platform::RegistryStore::openInMemory();
    store->apply(edits);
    const std::string exported = platform::exportRegistryText(*store);
    auto copy = platform::RegistryStore::openInMemory();
    copy->apply(platform::parseRegistryText(exported));  // our own export always parses
    if (platform::exportRegistryText(*copy) != exported) __builtin_trap();
    return 0;
}
