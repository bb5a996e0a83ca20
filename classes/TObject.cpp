// TObject and TPersistent metadata and assignment.
#include "classes/TObject.h"

#include "classes/ClassBuilder.h"
#include "classes/Errors.h"

namespace classes {

const ClassInfo& TObject::staticClass() {
    static const auto info = ClassBuilder<TObject>("TObject", nullptr).factory({}).build();
    return *info;
}

const ClassInfo& TPersistent::staticClass() {
    static const auto info = ClassBuilder<TPersistent>("TPersistent", TObject::staticClass()).build();
    return *info;
}

void TPersistent::assign(const TPersistent& source) { source.assignTo(*this); }

void TPersistent::assignTo(TPersistent& dest) const {
    throw EConvertError(format(msg::kAssignError, {className(), dest.className()}));
}

std::string TPersistent::namePath() const {
    std::string path = className();
    if (TPersistent* owner = persistentOwner()) {
        std::string ownerPath = owner->namePath();
        if (!ownerPath.empty()) path = ownerPath + "." + path;
    }
    return path;
}

}  // namespace classes
