// TObject and TPersistent metadata and assignment.
#include "classes/TObject.h"

#include "classes/ClassBuilder.h"
#include "classes/Errors.h"

namespace classes {

namespace {
TObject::HandleHook s_handleHook = nullptr;
}  // namespace

void TObject::setHandleHook(HandleHook hook) { s_handleHook = hook; }

void TObject::releaseHandle() const {
    if (m_handleSlot && s_handleHook) s_handleHook(*this);
    m_handleSlot = 0;
}

const ClassInfo& TObject::staticClass() {
    // "procedure Free" belongs to the script engine's handle table, which knows who owns what.
    static const auto info =
        ClassBuilder<TObject>("TObject", nullptr)
            .factory({})
            .constructor("constructor Create;")
            .publicMethod("function ClassName: string;", [](const TObject& o) { return o.className(); })
            .build();
    return *info;
}

const ClassInfo& TPersistent::staticClass() {
    static const auto info =
        ClassBuilder<TPersistent>("TPersistent", TObject::staticClass())
            .publicMethod("procedure Assign(Source: TPersistent);",
                          [](TPersistent& p, const TPersistent& source) { p.assign(source); })
            .build();
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
