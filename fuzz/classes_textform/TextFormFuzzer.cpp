// Both directions of the text form on arbitrary input. Text that parses must convert
// back to text and parse again to the very same bytes; bytes that convert to text must
// give text that parses and prints as the same text, whatever names and values they
// hold. A refusal after the first conversion escapes as an exception and is reported.
#include "classes/TextForm.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string bytes;
    bool parsed = true;
    try {
        bytes = classes::textToBinary(input);
    } catch (const classes::TextFormError&) {
        parsed = false;
    }
    if (parsed && classes::textToBinary(classes::binaryToText(bytes)) != bytes) std::abort();

    std::string text;
    try {
        text = classes::binaryToText(input);
    } catch (const classes::TextFormError&) {
        return 0;
    }
    if (classes::binaryToText(classes::textToBinary(text)) != text) std::abort();
    return 0;
}
