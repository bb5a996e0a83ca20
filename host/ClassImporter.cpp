#include "host/ClassImporter.h"

#include <algorithm>

#include "base/AnsiText.h"
#include "classes/ClassInfo.h"

namespace host {

void ClassImporter::add(const classes::ClassInfo& cls) {
    if (std::find(m_classes.begin(), m_classes.end(), &cls) == m_classes.end()) m_classes.push_back(&cls);
}

bool ClassImporter::contains(std::string_view className) const {
    return std::any_of(m_classes.begin(), m_classes.end(), [&](const classes::ClassInfo* c) {
        return base::asciiSameText(c->name(), className);
    });
}

ClassImporter& classImporter() {
    static ClassImporter importer;
    return importer;
}

}  // namespace host
