// Collections: items owned by their collection, created through the item class's factory.
#include "classes/TCollection.h"

#include "classes/ClassBuilder.h"
#include "classes/Errors.h"
#include "classes/TReader.h"

#include <algorithm>

namespace classes {

const ClassInfo& TCollectionItem::staticClass() {
    static const auto info =
        ClassBuilder<TCollectionItem>("TCollectionItem", TPersistent::staticClass())
            .publicProperty("property Collection: TCollection;", &TCollectionItem::collection,
                            &TCollectionItem::setCollection)
            .publicProperty("property Index: Integer;", &TCollectionItem::index, &TCollectionItem::setIndex)
            .publicProperty("property ID: Integer;", &TCollectionItem::id)
            .publicProperty("property DisplayName: string;", &TCollectionItem::displayName)
            .build();
    return *info;
}

const ClassInfo& TCollection::staticClass() {
    static const auto info =
        ClassBuilder<TCollection>("TCollection", TPersistent::staticClass())
            .factory({})
            .publicMethod("function Add: TCollectionItem;", &TCollection::add)
            .publicMethod("function Insert(Index: Integer): TCollectionItem;", &TCollection::insert)
            .publicMethod("procedure Delete(Index: Integer);", &TCollection::remove)
            .publicMethod("procedure Clear;", &TCollection::clear)
            .publicMethod("procedure BeginUpdate;", &TCollection::beginUpdate)
            .publicMethod("procedure EndUpdate;", &TCollection::endUpdate)
            .publicMethod("function FindItemID(ID: Integer): TCollectionItem;", &TCollection::findItemId)
            .publicProperty("property Count: Integer;", &TCollection::count)
            .publicProperty("property Items[Index: Integer]: TCollectionItem;", &TCollection::item)
            .build();
    return *info;
}

TCollectionItem::TCollectionItem(TCollection* collection) { setCollection(collection); }

TCollectionItem::~TCollectionItem() {
    removePendingFixups(this);
    if (m_collection) m_collection->removeItem(this);
}

void TCollectionItem::setCollection(TCollection* collection) {
    if (collection == m_collection) return;
    if (m_collection) m_collection->removeItem(this);
    if (collection) collection->insertItem(this);
}

int TCollectionItem::index() const {
    if (!m_collection) return -1;
    auto& items = m_collection->m_items;
    return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::setIndex(int index) {
    if (!m_collection) return;
    auto& items = m_collection->m_items;
    int cur = this->index();
    if (index < 0) index = 0;
    if (index >= static_cast<int>(items.size())) index = static_cast<int>(items.size()) - 1;
    if (cur == index) return;
    items.erase(items.begin() + cur);
    items.insert(items.begin() + index, this);
    changed(true);
}

std::string TCollectionItem::displayName() const { return className(); }

TPersistent* TCollectionItem::persistentOwner() const { return m_collection; }

std::string TCollectionItem::namePath() const {
    if (!m_collection) return className();
    return m_collection->namePath() + "[" + std::to_string(index()) + "]";
}

void TCollectionItem::changed(bool allItems) {
    if (m_collection && m_collection->m_updateCount == 0) m_collection->update(allItems ? nullptr : this);
}

TCollection::TCollection(const ClassInfo& itemClass, TPersistent* owner)
    : m_itemClass(&itemClass), m_owner(owner) {}

TCollection::~TCollection() {
    m_updateCount = 1;  // no change notifications while tearing down
    clear();
}

TCollectionItem* TCollection::item(int index) const {
    if (index < 0 || index >= count())
        throw EListError(format(msg::kListIndexError, {std::to_string(index)}));
    return m_items[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::add() {
    TObject* obj = m_itemClass->create(this);
    auto* item = dynamic_cast<TCollectionItem*>(obj);
    if (!item) {
        delete obj;
        throw EListError(format(msg::kAssignError, {m_itemClass->name(), "TCollectionItem"}));
    }
    // A factory that ignores the context leaves the item unowned; adopt it.
    if (item->m_collection != this) item->setCollection(this);
    return item;
}

TCollectionItem* TCollection::insert(int index) {
    TCollectionItem* item = add();
    item->setIndex(index);
    return item;
}

void TCollection::remove(int index) { delete item(index); }

void TCollection::clear() {
    if (m_items.empty()) return;
    beginUpdate();
    while (!m_items.empty()) delete m_items.back();
    endUpdate();
}

TCollectionItem* TCollection::findItemId(int id) const {
    for (TCollectionItem* i : m_items) {
        if (i->m_id == id) return i;
    }
    return nullptr;
}

void TCollection::endUpdate() {
    if (m_updateCount > 0 && --m_updateCount == 0) changed();
}

void TCollection::assign(const TPersistent& source) {
    auto* other = dynamic_cast<const TCollection*>(&source);
    if (!other) {
        TPersistent::assign(source);
        return;
    }
    beginUpdate();
    try {
        clear();
        for (TCollectionItem* src : other->m_items) add()->assign(*src);
    } catch (...) {
        endUpdate();
        throw;
    }
    endUpdate();
}

std::string TCollection::namePath() const {
    if (m_owner) return m_owner->namePath();
    return className();
}

void TCollection::update(TCollectionItem*) {}

void TCollection::notify(TCollectionItem*, bool) {}

void TCollection::insertItem(TCollectionItem* item) {
    m_items.push_back(item);
    item->m_collection = this;
    item->m_id = m_nextId++;
    notify(item, true);
    changed();
}

void TCollection::removeItem(TCollectionItem* item) {
    auto it = std::find(m_items.begin(), m_items.end(), item);
    if (it == m_items.end()) return;
    notify(item, false);
    m_items.erase(it);
    item->m_collection = nullptr;
    changed();
}

void TCollection::changed() {
    if (m_updateCount == 0) update(nullptr);
}

}  // namespace classes
