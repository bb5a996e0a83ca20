// Reads arbitrary bytes as a component stream into a sample form, accepting every
// recoverable error, then converts the same bytes to text and checks that the text form
// is stable: text → binary → text gives the same text.
#include "tests/classes/SampleClasses.h"

#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TextForm.h"

#include <cstdlib>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool registered = (sample::registerSampleClasses(), true);
    (void)registered;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        classes::TMemoryStream stream;
        stream.setBytes(bytes);
        sample::TSampleForm form(nullptr);
        try {
            classes::TReader reader(stream);
            reader.onError = [](const std::string&) { return true; };
            reader.readRootComponent(&form);
            reader.skipValue();  // whatever follows, as the project loader does
        } catch (const std::exception&) {
        }
    }
    std::string text;
    try {
        text = classes::binaryToText(bytes);
    } catch (const classes::TextFormError&) {
        return 0;
    }
    std::string again = classes::textToBinary(text);  // must not throw: the text is ours
    if (classes::binaryToText(again) != text) std::abort();
    return 0;
}
