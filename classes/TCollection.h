// TCollection and TCollectionItem: an owned, ordered list of items of one class, read from
// and written to streams as the Collection value ("Items = < item ... end >").
#pragma once

#include "classes/TObject.h"

#include <string>
#include <vector>

namespace classes {

class TCollection;

class TCollectionItem : public TPersistent {
public:
    CLASSES_OBJECT(TCollectionItem)

    // Appends itself to `collection` (which then owns it); null leaves it unowned.
    explicit TCollectionItem(TCollection* collection);
    // Removes itself from its collection.
    ~TCollectionItem() override;

    TCollection* collection() const { return m_collection; }
    // Moves the item from its collection to `collection` (null: the caller owns it).
    void setCollection(TCollection* collection);
    int index() const;
    void setIndex(int index);
    int id() const { return m_id; }
    virtual std::string displayName() const;
    TPersistent* persistentOwner() const override;
    std::string namePath() const override;

protected:
    // Tells the collection that this item changed (update(this)).
    void changed(bool allItems);

private:
    friend class TCollection;
    TCollection* m_collection = nullptr;
    int m_id = 0;
};

class TCollection : public TPersistent {
public:
    CLASSES_OBJECT(TCollection)

    // `itemClass` must create items from a collection context (see Factory).
    TCollection(const ClassInfo& itemClass, TPersistent* owner = nullptr);
    ~TCollection() override;

    const ClassInfo& itemClass() const { return *m_itemClass; }
    int count() const { return static_cast<int>(m_items.size()); }
    // Borrowed; throws EListError("List index out of bounds (%d)").
    TCollectionItem* item(int index) const;
    // Creates a new item of the item class at the end.
    TCollectionItem* add();
    TCollectionItem* insert(int index);
    void remove(int index);  // deletes the item
    void clear();
    TCollectionItem* findItemId(int id) const;

    void beginUpdate() { ++m_updateCount; }
    void endUpdate();
    int updateCount() const { return m_updateCount; }

    // Copies the items of another collection by assigning each item.
    void assign(const TPersistent& source) override;
    TPersistent* persistentOwner() const override { return m_owner; }
    std::string namePath() const override;

protected:
    // Called after a change (item null: the whole collection), outside beginUpdate/endUpdate.
    virtual void update(TCollectionItem* item);
    // Called after an item was added or before one is removed.
    virtual void notify(TCollectionItem* item, bool added);

private:
    friend class TCollectionItem;
    void insertItem(TCollectionItem* item);
    void removeItem(TCollectionItem* item);
    void changed();

    const ClassInfo* m_itemClass;
    TPersistent* m_owner;
    std::vector<TCollectionItem*> m_items;  // owned
    int m_nextId = 0;
    int m_updateCount = 0;
};

}  // namespace classes
