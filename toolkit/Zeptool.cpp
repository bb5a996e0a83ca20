// The command table and dispatcher of zeptool.
#include "toolkit/Zeptool.h"

#include "base/Error.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>

namespace toolkit {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"form2text", "FILE [--offset N]", "print the text form of the component stream at offset N of FILE",
         &form2text},
        {"text2form", "IN.txt OUT", "convert a text form into a binary component stream", &text2form},
        {"info", "P.zep", "show a project's kind, version, form, files and archives", &projectInfo},
        {"unpack", "P.zep DIR", "write form.txt, script.pas and files/ of a project into DIR",
         &unpackProject},
        {"pack", "DIR P.zep", "build a project from DIR's form.txt, script.pas and files/", &packProject},
        {"append", "PLAYER P.zep OUT", "write a player executable that carries the project", &appendCommand},
        {"archive-list", "FILE [--offset N]", "list the files of the embedded-file archive at offset N",
         &archiveList},
        {"archive-extract",
         "FILE DIR [--offset N] [--mode all|nooverwrite|newer|existing|existingnewer] [--full-path]",
         "restore the archive at offset N into DIR as the player does", &archiveExtract},
        {"reg-export", "FILE [KEY]", "write the registry store (or KEY and below) to FILE as REGEDIT4 text",
         &regExport},
        {"reg-import", "FILE", "apply the REGEDIT4 text of FILE to the registry store", &regImport},
        {"debug", kDebugUsage,
         "run the player on a project as its debugger: print its messages, expand placeholders",
         &debugProject},
    };
    return table;
}

namespace {
void printHelp(std::ostream& out) {
    out << "usage: zeptool COMMAND [ARGS]\n\ncommands:\n";
    for (const Command& c : commands()) {
        out << "  " << c.name << " " << c.usage << "\n      " << c.summary << "\n";
    }
}
}  // namespace

int runZeptool(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    if (argv.size() < 2 || argv[1] == "help" || argv[1] == "--help" || argv[1] == "-h") {
        printHelp(argv.size() < 2 ? err : out);
        return argv.size() < 2 ? 2 : 0;
    }
    for (const Command& c : commands()) {
        if (argv[1] == c.name) {
            std::vector<std::string> args(argv.begin() + 2, argv.end());
            try {
                return c.run(args, out, err);
            } catch (const std::exception& e) {
                err << "zeptool: " << e.what() << "\n";
                return 1;
            }
        }
    }
    err << "zeptool: unknown command \"" << argv[1] << "\" (try \"zeptool help\")\n";
    return 2;
}

bool parseOffset(const std::string& text, size_t& value) {
    const char* b = text.data();
    const char* e = b + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        b += 2;
        base = 16;
    }
    auto r = std::from_chars(b, e, value, base);
    return b != e && r.ec == std::errc() && r.ptr == e;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw base::Error(path + ": " + std::strerror(errno));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw base::Error(path + ": " + std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw base::Error(path + ": write failed");
}

}  // namespace toolkit
