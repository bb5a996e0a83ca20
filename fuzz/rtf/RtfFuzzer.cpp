// Arbitrary bytes through the rich-text reader and the address marker. The reader must take
// anything without failing, and its plain text can never be longer than the input allows:
// each input byte gives at most two UTF-16 units (a \u escape gives one per six bytes).
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdlib>
#include <string_view>

#include "components/qt/RtfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_rtf";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    QTextDocument document;
    if (components::qt::readRtf(text, document)) {
        if (static_cast<size_t>(document.characterCount()) > 2 * size + 2) std::abort();
        components::qt::markAddresses(document);
    }
    return 0;
}
