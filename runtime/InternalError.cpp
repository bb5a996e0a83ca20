#include "runtime/InternalError.h"

#include "platform/Dialogs.h"
#include "runtime/Placeholders.h"

namespace runtime {

std::string formatStrings(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out.push_back(format[i]);
        } else if (format[i + 1] == '%') {
            out.push_back('%');
            ++i;
        } else if ((format[i + 1] == 's' || format[i + 1] == 'S') && next != args.end()) {
            out.append(*next++);
            ++i;
        } else {
            out.push_back(format[i]);
        }
    }
    return out;
}

std::string internalErrorText(std::string_view text) {
    return RepConst(formatStrings("Internal error: %s", {text}));
}

void showInternalError(std::string_view text, uint32_t iconFlags) {
    platform::dialogs().messageBox(internalErrorText(text), "Error", platform::MB_OK | iconFlags);
}

}  // namespace runtime
