// form2text and text2form: the component stream and its text form, without the classes
// having to be registered.
#include "classes/TextForm.h"
#include "toolkit/Zeptool.h"

#include <ostream>

namespace toolkit {

int form2text(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file;
    size_t offset = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--offset") {
            if (i + 1 >= args.size() || !parseOffset(args[i + 1], offset)) {
                err << "zeptool: --offset needs a byte offset (decimal or 0x hex)\n";
                return 2;
            }
            ++i;
        } else if (file.empty()) {
            file = args[i];
        } else {
            err << "usage: zeptool form2text FILE [--offset N]\n";
            return 2;
        }
    }
    if (file.empty()) {
        err << "usage: zeptool form2text FILE [--offset N]\n";
        return 2;
    }
    std::string bytes = readWholeFile(file);
    if (offset > bytes.size()) {
        err << "zeptool: " << file << ": offset " << offset << " is past the end of the file ("
            << bytes.size() << " bytes)\n";
        return 1;
    }
    try {
        out << classes::binaryToText(bytes, offset);
    } catch (const classes::TextFormError& e) {
        err << "zeptool: " << file << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}

int text2form(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    if (args.size() != 2) {
        err << "usage: zeptool text2form IN.txt OUT\n";
        return 2;
    }
    std::string text = readWholeFile(args[0]);
    std::string bytes;
    try {
        bytes = classes::textToBinary(text);
    } catch (const classes::TextFormError& e) {
        err << "zeptool: " << args[0] << ": " << e.what() << "\n";
        return 1;
    }
    writeWholeFile(args[1], bytes);
    return 0;
}

}  // namespace toolkit
