// Arbitrary text through every decoder, the text parsers and StringToComponent. Decoders must
// not fail, must stay within their size bounds, and every coder must give back a NUL-free
// text it encoded (the Latin coder excepted: it reads references typed into its input).
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Error.h"
#include "classes/TComponent.h"
#include "library/ComponentText.h"
#include "library/Dates.h"
#include "library/Numbers.h"
#include "library/Strings.h"
#include "library/TextCoders.h"

using namespace library;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = [] {
        classes::ClassRegistry::registerClass(classes::TComponent::staticClass());
        return true;
    }();
    (void)registered;
    std::string_view text(reinterpret_cast<const char*>(data), size);

    for (int type = ctDefault; type <= ctXX; ++type) {
        std::string decoded = DecodeStr(type, text);
        if ((type == ctBase64 || type == ctUUE || type == ctXX) && decoded.size() > (size + 3) / 4 * 3)
            std::abort();
        if (type == ctLatin && decoded.size() > size) std::abort();
    }
    if (text.find('\0') == std::string_view::npos) {
        for (int type : {ctDefault, ctHex, ctPrintable, ctBase64, ctUUE, ctXX})
            if (DecodeStr(type, EncodeStr(type, text)) != text) std::abort();
    }

    std::string s(text);
    ConvertConstPercentStr(s);
    size_t bar = text.find('|');
    if (bar != std::string_view::npos) WildcardMatch(text.substr(bar + 1), text.substr(0, bar));
    try {
        StrToTime(text);
    } catch (const base::ScriptError&) {
    }
    try {
        HexToInt(text);
    } catch (const base::ScriptError&) {
    }
    try {
        auto component = StringToComponent(text);
        if (!component) std::abort();
        ComponentToString(*component);
    } catch (const base::Error&) {
    }
    return 0;
}
