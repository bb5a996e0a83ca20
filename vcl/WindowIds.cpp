// The window and canvas id tables: windows are told of through a free notification,
// canvases tell the table themselves as they die.
#include "vcl/WindowIds.h"

#include <limits>
#include <unordered_map>

#include "vcl/Controls.h"

namespace vcl {
namespace {

// Ids start above the small numbers scripts use for other things (0 is the desktop, and a
// script passing 1 or 2 by mistake should find no window).
constexpr int32_t kFirstId = 0x10000;

int32_t s_next = kFirstId;

// Handles are multiples of four, as the system's are. Past the last one no more are given
// (0: the neutral handle) rather than wrap onto ids that may still be in use.
int32_t nextId() {
    if (s_next > std::numeric_limits<int32_t>::max() - 4) return 0;
    const int32_t id = s_next;
    s_next += 4;
    return id;
}

class WindowTable : public classes::TComponent {
public:
    WindowTable() : TComponent(nullptr) {}

    int32_t idOf(TWinControl* c) {
        auto it = m_ids.find(c);
        if (it != m_ids.end()) return it->second;
        const int32_t id = nextId();
        if (!id) return 0;
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
};

class CanvasTable {
public:
    int32_t idOf(TCanvas* c) {
        auto it = m_ids.find(c);
        if (it != m_ids.end()) return it->second;
        const int32_t id = nextId();
        if (!id) return 0;
        m_ids.emplace(c, id);
        m_canvases.emplace(id, c);
        return id;
    }
    TCanvas* find(int32_t id) const {
        auto it = m_canvases.find(id);
        return it == m_canvases.end() ? nullptr : it->second;
    }
    void forget(const TCanvas* c) {
        auto it = m_ids.find(c);
        if (it == m_ids.end()) return;
        m_canvases.erase(it->second);
        m_ids.erase(it);
    }

private:
    std::unordered_map<const TCanvas*, int32_t> m_ids;
    std::unordered_map<int32_t, TCanvas*> m_canvases;
};

WindowTable& table() {
    static WindowTable* t = new WindowTable;  // lives until the process ends
    return *t;
}

// Also outlives every canvas, which may die during static destruction.
CanvasTable& canvases() {
    static CanvasTable* t = new CanvasTable;
    return *t;
}

}  // namespace

int32_t windowId(TWinControl* control) { return control ? table().idOf(control) : 0; }

TWinControl* windowById(int32_t id) { return id ? table().find(id) : nullptr; }

int32_t canvasId(TCanvas* canvas) { return canvas ? canvases().idOf(canvas) : 0; }

TCanvas* canvasById(int32_t id) { return id ? canvases().find(id) : nullptr; }

void forgetCanvas(const TCanvas* canvas) { canvases().forget(canvas); }

}  // namespace vcl
