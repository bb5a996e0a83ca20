// The run-time class importer: the classes every executor of the process may use, filled
// once at module initialisation in the fixed order of the class importer sequence, and the
// run-time bindings those classes need beyond their metadata (members declared without
// code). Each executor links it before loading code. Main thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/Imports.h"

namespace classes {
class ClassInfo;
}

namespace host {

class ClassImporter {
public:
    // Adds a class (again: nothing changes).
    void add(const classes::ClassInfo& cls);
    // The run-time part of a module's table: the routines it binds (members declared
    // without code bind as "TClass.Method").
    void addRuntime(const script::Imports& table) { m_bindings.add(table); }
    bool contains(std::string_view className) const;
    // In the order they were first added.
    const std::vector<const classes::ClassInfo*>& classes() const { return m_classes; }
    const script::Imports& bindings() const { return m_bindings; }

private:
    std::vector<const classes::ClassInfo*> m_classes;
    script::Imports m_bindings;
};

// The process's importer; fillClassImporter (Sequences.h) fills it at start-up.
ClassImporter& classImporter();

}  // namespace host
