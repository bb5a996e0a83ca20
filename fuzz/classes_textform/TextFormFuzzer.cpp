// Parses arbitrary text as a text form; whatever parses must convert back to text and
// parse again to the very same bytes.
#include "classes/TextForm.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string bytes;
    try {
        bytes = classes::textToBinary(text);
    } catch (const classes::TextFormError&) {
        return 0;
    }
    std::string back;
    try {
        back = classes::binaryToText(bytes);
    } catch (const classes::TextFormError&) {
        // Parsed text may hold names the binary side rejects (not identifiers); fine.
        return 0;
    }
    if (classes::textToBinary(back) != bytes) std::abort();
    return 0;
}
