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
    // An object its host deletes itself (the application object, a form it holds): a
    // script's Free of it is refused like a sub-object's.
    static void hostOwned(classes::TObject* obj);
    // Null for nil and for a dead or made-up handle.
    static classes::TObject* resolve(ObjectRef h) {
        uint32_t index = uint32_t(h);
        if (index == 0 || index >= s_table.size || s_table.entries[index].generation != uint32_t(h >> 32))
            return nullptr;
        return s_table.entries[index].obj;
    }
    // The script's Free: nil does nothing; a dead handle raises "Null Pointer Exception"; an
    // object some other object owns and deletes itself (a control's Font) raises "Invalid
    // pointer operation". An object native code is still using (held) is dead to scripts at
    // once, detached from its owner, and deleted when the last hold ends.
    static void free(ObjectRef h);
    // Holds an object while native code works on it and may run script code (the sender of
    // an event, the object of a method call or a property write), so a script freeing it
    // then does not delete it under that code.
    class Hold {
    public:
        explicit Hold(classes::TObject* obj) : m_obj(obj) {
            if (obj) hold(obj);
        }
        ~Hold() {
            if (m_obj) unhold(m_obj);
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        classes::TObject* m_obj;
    };
    static void hold(classes::TObject* obj);
    static void unhold(classes::TObject* obj);
    // Live entries (tests, diagnostics).
    static size_t liveCount();

private:
    struct Entry {
        classes::TObject* obj;
        uint32_t generation;
        bool scriptOwned;
        bool hostOwned;
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
