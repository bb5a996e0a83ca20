// The handle table: entries are reused with a new generation, so an old handle never
// resolves to a newer object.
#include "script/Handles.h"

#include <algorithm>
#include <vector>

#include "classes/TCollection.h"
#include "classes/TComponent.h"
#include "script/Api.h"

namespace script {

struct Handles::State {
    std::vector<Entry> entries;  // what Handles::s_table views
    std::vector<uint32_t> freeList;
    std::vector<classes::TObject*> busy;    // held objects, once per hold
    std::vector<classes::TObject*> doomed;  // freed by the script while busy
    size_t live = 0;
};

Handles::State& Handles::state() {
    // Never destroyed: objects may die during static destruction and still report it.
    static State& s = *new State;
    return s;
}

ObjectRef Handles::ref(classes::TObject* obj, bool scriptOwned) {
    if (!obj) return 0;
    Table& t = s_table;
    uint32_t index = obj->handleSlot();
    if (index == 0) {
        static bool hooked = false;
        if (!hooked) {
            classes::TObject::setHandleHook(&Handles::died);
            hooked = true;
        }
        State& s = state();
        if (!s.freeList.empty()) {
            index = s.freeList.back();
            s.freeList.pop_back();
        } else {
            auto& entries = s.entries;
            if (entries.empty()) entries.push_back({nullptr, 0, false, false});  // index 0 is nil
            index = uint32_t(entries.size());
            entries.push_back({nullptr, 1, false, false});
            t.entries = entries.data();
            t.size = uint32_t(entries.size());
        }
        t.entries[index].obj = obj;
        t.entries[index].scriptOwned = false;
        t.entries[index].hostOwned = false;
        obj->setHandleSlot(index);
        ++s.live;
    }
    Entry& e = t.entries[index];
    if (scriptOwned) e.scriptOwned = true;
    return (uint64_t(e.generation) << 32) | index;
}

void Handles::died(const classes::TObject& obj) {
    Table& t = s_table;
    uint32_t index = obj.handleSlot();
    if (index == 0 || index >= t.size || t.entries[index].obj != &obj) return;
    Entry& e = t.entries[index];
    e.obj = nullptr;
    e.scriptOwned = false;
    if (++e.generation == 0) e.generation = 1;
    obj.setHandleSlot(0);
    State& s = state();
    s.freeList.push_back(index);
    --s.live;
}

size_t Handles::liveCount() { return state().live; }

void Handles::hostOwned(classes::TObject* obj) {
    if (ObjectRef h = ref(obj)) s_table.entries[uint32_t(h)].hostOwned = true;
}

void Handles::free(ObjectRef h) {
    if (h == 0) return;
    classes::TObject* obj = resolve(h);
    if (!obj) throw ScriptException(TIFException::erNullPointerException, "");
    auto* component = dynamic_cast<classes::TComponent*>(obj);
    auto* item = dynamic_cast<classes::TCollectionItem*>(obj);
    const Entry& e = s_table.entries[uint32_t(h)];
    if (e.hostOwned || (!component && !item && !e.scriptOwned))
        throw ScriptException(TIFException::erException, "Invalid pointer operation");
    obj->releaseHandle();
    State& s = state();
    if (std::find(s.busy.begin(), s.busy.end(), obj) != s.busy.end()) {
        // Native code still works on it: nobody else may delete it now, and it goes when
        // the last hold ends.
        if (component && component->owner()) component->owner()->removeComponent(component);
        if (item) item->setCollection(nullptr);
        s.doomed.push_back(obj);
        return;
    }
    delete obj;
}

void Handles::hold(classes::TObject* obj) { state().busy.push_back(obj); }

void Handles::unhold(classes::TObject* obj) {
    State& s = state();
    auto it = std::find(s.busy.rbegin(), s.busy.rend(), obj);
    if (it != s.busy.rend()) s.busy.erase(std::next(it).base());
    if (std::find(s.busy.begin(), s.busy.end(), obj) != s.busy.end()) return;
    auto d = std::find(s.doomed.begin(), s.doomed.end(), obj);
    if (d == s.doomed.end()) return;
    s.doomed.erase(d);
    delete obj;
}

}  // namespace script
