// The window id table, told of each freed window through a free notification.
#include "vcl/WindowIds.h"

#include <unordered_map>

#include "vcl/Controls.h"

namespace vcl {
namespace {

// Ids start above the small numbers scripts use for other things (0 is the desktop, and a
// script passing 1 or 2 by mistake should find no window).
constexpr int32_t kFirstId = 0x10000;

class WindowTable : public classes::TComponent {
public:
    WindowTable() : TComponent(nullptr) {}

    int32_t idOf(TWinControl* c) {
        auto it = m_ids.find(c);
        if (it != m_ids.end()) return it->second;
        const int32_t id = m_next;
        m_next += 4;  // window handles are multiples of four, as the system's are
        m_ids.emplace(c, id);
        m_windows.emplace(id, c);
        c->freeNotification(this);
        return id;
    }
    TWinControl* find(int32_t id) const {
        auto it = m_windows.find(id);
        return it == m_windows.end() ? nullptr : it->second;
    }

protected:
    void notification(classes::TComponent* component, classes::Operation operation) override {
        TComponent::notification(component, operation);
        if (operation != classes::Operation::Remove) return;
        auto it = m_ids.find(component);
        if (it == m_ids.end()) return;
        m_windows.erase(it->second);
        m_ids.erase(it);
    }

private:
    std::unordered_map<const classes::TComponent*, int32_t> m_ids;
    std::unordered_map<int32_t, TWinControl*> m_windows;
    int32_t m_next = kFirstId;
};

WindowTable& table() {
    static WindowTable* t = new WindowTable;  // lives until the process ends
    return *t;
}

}  // namespace

int32_t windowId(TWinControl* control) { return control ? table().idOf(control) : 0; }

TWinControl* windowById(int32_t id) { return id ? table().find(id) : nullptr; }

}  // namespace vcl
