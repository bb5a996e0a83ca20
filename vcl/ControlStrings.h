// The Items of list boxes, combo boxes and radio groups: a string list that tells its
// control of every change, item by item, or once for a whole BeginUpdate/EndUpdate.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "classes/TStrings.h"

namespace vcl {

class TControlStrings : public classes::TStrings {
public:
    CLASSES_OBJECT(TControlStrings)

    // What the control hears. Inside an update only itemsReset() comes, once, at its end.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void itemInserted(int index) = 0;
        virtual void itemRemoved(int index) = 0;
        virtual void itemChanged(int index) = 0;
        virtual void itemsReset() = 0;
    };

    explicit TControlStrings(Listener& listener) : m_listener(listener) {}

    int count() const override { return static_cast<int>(m_items.size()); }
    std::string get(int index) const override;
    void put(int index, std::string_view s) override;
    TObject* object(int index) const override;
    void putObject(int index, TObject* obj) override;
    void insert(int index, std::string_view s) override;
    void remove(int index) override;
    void clear() override;
    // A sorted list adds at the sorted place (case-insensitive, as the system's lists sort).
    int add(std::string_view s) override;

    bool sorted() const { return m_sorted; }
    // Sorting an unsorted list reorders it once.
    void setSorted(bool value);

protected:
    void setUpdateState(bool updating) override;

private:
    struct Item {
        std::string text;
        classes::TObject* object = nullptr;
    };
    void checkIndex(int index, int limit) const;
    void notify(void (Listener::*what)(int), int index);

    Listener& m_listener;
    std::vector<Item> m_items;
    bool m_sorted = false;
    bool m_changedInUpdate = false;
};

}  // namespace vcl
