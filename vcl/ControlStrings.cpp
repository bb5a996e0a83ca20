// Items lists that keep their control's widget up to date.
#include "vcl/ControlStrings.h"

#include <algorithm>

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"
#include "classes/Errors.h"

namespace vcl {

const classes::ClassInfo& TControlStrings::staticClass() {
    static const auto info =
        classes::ClassBuilder<TControlStrings>("TControlStrings", classes::TStrings::staticClass())
            .factory({})
            .build();
    return *info;
}

namespace {
bool lessText(std::string_view a, std::string_view b) { return base::ansiUpper(a) < base::ansiUpper(b); }
}  // namespace

void TControlStrings::checkIndex(int index, int limit) const {
    if (index < 0 || index >= limit) indexError(index);
}

void TControlStrings::notify(void (Listener::*what)(int), int index) {
    if (updateCount() > 0)
        m_changedInUpdate = true;
    else
        (m_listener.*what)(index);
}

std::string TControlStrings::get(int index) const {
    checkIndex(index, count());
    return m_items[static_cast<size_t>(index)].text;
}

void TControlStrings::put(int index, std::string_view s) {
    checkIndex(index, count());
    m_items[static_cast<size_t>(index)].text = std::string(s);
    notify(&Listener::itemChanged, index);
}

classes::TObject* TControlStrings::object(int index) const {
    checkIndex(index, count());
    return m_items[static_cast<size_t>(index)].object;
}

void TControlStrings::putObject(int index, TObject* obj) {
    checkIndex(index, count());
    m_items[static_cast<size_t>(index)].object = obj;
}

void TControlStrings::insert(int index, std::string_view s) {
    checkIndex(index, count() + 1);
    m_items.insert(m_items.begin() + index, Item{std::string(s), nullptr});
    notify(&Listener::itemInserted, index);
}

void TControlStrings::remove(int index) {
    checkIndex(index, count());
    m_items.erase(m_items.begin() + index);
    notify(&Listener::itemRemoved, index);
}

void TControlStrings::clear() {
    if (m_items.empty()) return;
    m_items.clear();
    if (updateCount() > 0)
        m_changedInUpdate = true;
    else
        m_listener.itemsReset();
}

int TControlStrings::add(std::string_view s) {
    if (!m_sorted) return TStrings::add(s);
    const auto it = std::upper_bound(m_items.begin(), m_items.end(), s,
                                     [](std::string_view v, const Item& i) { return lessText(v, i.text); });
    const int index = static_cast<int>(it - m_items.begin());
    insert(index, s);
    return index;
}

void TControlStrings::setSorted(bool value) {
    if (value == m_sorted) return;
    m_sorted = value;
    if (!value) return;
    std::stable_sort(m_items.begin(), m_items.end(),
                     [](const Item& a, const Item& b) { return lessText(a.text, b.text); });
    if (updateCount() > 0)
        m_changedInUpdate = true;
    else
        m_listener.itemsReset();
}

void TControlStrings::setUpdateState(bool updating) {
    TStrings::setUpdateState(updating);
    if (!updating && m_changedInUpdate) {
        m_changedInUpdate = false;
        m_listener.itemsReset();
    }
}

}  // namespace vcl
