// reg-export and reg-import: the user's registry store as REGEDIT4 text, so an author can
// read what a project stored and seed values before a run.
#include <cstdlib>
#include <ostream>

#include "base/CodePage.h"
#include "base/Error.h"
#include "platform/Registry.h"
#include "platform/RegistryText.h"
#include "toolkit/Zeptool.h"

namespace toolkit {
namespace {

// Texts in the file are in the ANSI code page the player would use for this locale.
void useLocaleCodePage() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        if (const char* v = std::getenv(name); v && *v) {
            base::CodePage::setActive(base::CodePage::forLocale(v));
            return;
        }
    }
}

// The user's own store; a store that cannot be opened is an error here, not a silent
// stand-in as in the player.
std::unique_ptr<platform::RegistryStore> openStore() {
    return platform::RegistryStore::open(platform::defaultRegistryFile());
}

}  // namespace

int regExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args.size() > 2) {
        err << "zeptool: usage: zeptool reg-export FILE [KEY]\n";
        return 2;
    }
    platform::RegistryRoot root = platform::RegistryRoot::CurrentUser;
    std::string key;
    if (args.size() == 2 && !platform::splitRegistryPath(args[1], root, key)) {
        err << "zeptool: " << args[1] << ": a key starts with a root such as HKEY_CURRENT_USER or HKCU\n";
        return 2;
    }
    useLocaleCodePage();
    auto store = openStore();
    std::string text = args.size() == 2 ? platform::exportRegistryText(*store, root, key)
                                        : platform::exportRegistryText(*store);
    writeWholeFile(args[0], text);
    out << "exported " << (args.size() == 2 ? args[1] : std::string("the registry")) << " to " << args[0]
        << "\n";
    return 0;
}

int regImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "zeptool: usage: zeptool reg-import FILE\n";
        return 2;
    }
    useLocaleCodePage();
    std::vector<platform::RegistryEdit> edits;
    try {
        edits = platform::parseRegistryText(readWholeFile(args[0]));
    } catch (const base::Error& e) {
        err << "zeptool: " << args[0] << ": " << e.what() << "\n";
        return 1;
    }
    size_t skipped = openStore()->apply(edits);
    out << "imported " << edits.size() - skipped << " entries from " << args[0];
    if (skipped) out << " (" << skipped << " skipped: keys no root can hold)";
    out << "\n";
    return 0;
}

}  // namespace toolkit
