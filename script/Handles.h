// The one table of script object references. A script holds a handle (entry index and
// generation), never a pointer: every classes::TObject tells the table when it dies, so a
// handle to a dead object resolves to null and its use is the script error "Null Pointer
// Exception" instead of a dangling pointer. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "classes/Forward.h"

namespace script {

using ObjectRef = uint64_t;

class Handles {
public:
    // The object's handle (0 for null); the same object keeps the same handle while it lives.
    // `scriptOwned` marks an object the script created or received as its own, which it may Free.
    static ObjectRef ref(classes::TObject* obj, bool scriptOwned = false);
    // Null for nil and for a dead or made-up handle.
    static classes::TObject* resolve(ObjectRef h) {
        uint32_t index = uint32_t(h);
        if (index == 0 || index >= s_table.size || s_table.entries[index].generation != uint32_t(h >> 32))
            return nullptr;
        return s_table.entries[index].obj;
    }
    // The script's Free: nil does nothing; a dead handle raises "Null Pointer Exception"; an
    // object some other object owns and deletes itself (a control's Font) raises "Invalid
    // pointer operation". An object that is the argument of an event still running is
    // detached from its owner and deleted when that event returns.
    static void free(ObjectRef h);
    // Brackets an event call: objects passed to it are not deleted under the native code
    // that raised it.
    static void enterEvent(classes::TObject* obj);
    static void leaveEvent(classes::TObject* obj);
    // Live entries (tests, diagnostics).
    static size_t liveCount();

private:
    struct Entry {
        classes::TObject* obj;
        uint32_t generation;
        bool scriptOwned;
    };
    // The entries' storage lives in Handles.cpp; this view of it needs no guard on reads.
    struct Table {
        Entry* entries;
        uint32_t size;
    };
    static inline constinit Table s_table{nullptr, 0};
    struct State;
    static State& state();
    static void died(const classes::TObject& obj);
};

}  // namespace script
