// TStrings (the abstract string list scripts know) and TStringList, with the semantics
// scripts rely on: Text with CR LF, CommaText, Names/Values, Sorted, Duplicates, IndexOf
// case-insensitive, LoadFromFile/SaveToFile. Strings are ANSI byte strings; objects
// attached to strings are borrowed unless OwnsObjects is set.
#pragma once

#include "classes/TObject.h"

#include <string>
#include <string_view>
#include <vector>

namespace classes {

class TStream;

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
public:
    CLASSES_OBJECT(TStrings)

    virtual int count() const = 0;
    // Throws EListError("List index out of bounds (%d)") when out of range.
    virtual std::string get(int index) const = 0;
    virtual void put(int index, std::string_view s);
    virtual TObject* object(int index) const;
    virtual void putObject(int index, TObject* obj);
    virtual void insert(int index, std::string_view s) = 0;
    virtual void remove(int index) = 0;  // Delete
    virtual void clear() = 0;
    virtual int add(std::string_view s);
    int addObject(std::string_view s, TObject* obj);
    void insertObject(int index, std::string_view s, TObject* obj);
    void addStrings(const TStrings& other);
    void append(std::string_view s) { add(s); }
    void exchange(int a, int b);
    void move(int from, int to);
    // Case-insensitive (ANSI); -1 when absent.
    virtual int indexOf(std::string_view s) const;
    int indexOfName(std::string_view name) const;
    int indexOfObject(const TObject* obj) const;
    bool equals(const TStrings& other) const;

    // Lines joined with CR LF, with a trailing CR LF after the last line.
    std::string text() const;
    // Splits at CR LF, LF or CR; a final line break adds no empty line.
    void setText(std::string_view text);
    // Items separated by commas; items holding spaces, commas, quotes or control
    // characters are double-quoted with inner quotes doubled.
    std::string commaText() const;
    // Splits at commas and at spaces/control characters outside quotes.
    void setCommaText(std::string_view text);
    std::string delimitedText(char delimiter, char quote) const;
    void setDelimitedText(std::string_view text, char delimiter, char quote);
    // "Name=Value" lines.
    std::string name(int index) const;
    std::string valueFromIndex(int index) const;
    std::string value(std::string_view name) const;
    // Sets or adds "Name=Value"; an empty value deletes the line.
    void setValue(std::string_view name, std::string_view value);

    void beginUpdate();
    void endUpdate();
    int updateCount() const { return m_updateCount; }

    void loadFromStream(TStream& stream);
    void saveToStream(TStream& stream) const;
    // Host paths; failures throw EStreamError with "Cannot open file ..." texts.
    void loadFromFile(const std::string& path);
    void saveToFile(const std::string& path) const;

    void assign(const TPersistent& source) override;

protected:
    // Called with true before the first and false after the last nested update.
    virtual void setUpdateState(bool updating);
    [[noreturn]] void indexError(int index) const;

private:
    int m_updateCount = 0;
};

class TStringList : public TStrings {
public:
    CLASSES_OBJECT(TStringList)

    TStringList() = default;
    ~TStringList() override;

    int count() const override { return static_cast<int>(m_items.size()); }
    std::string get(int index) const override;
    void put(int index, std::string_view s) override;
    TObject* object(int index) const override;
    void putObject(int index, TObject* obj) override;
    // On a sorted list throws EListError("Operation not allowed on sorted string list").
    void insert(int index, std::string_view s) override;
    void remove(int index) override;
    void clear() override;
    // Sorted lists insert at the sorted place and apply Duplicates.
    int add(std::string_view s) override;
    int indexOf(std::string_view s) const override;
    // Binary search of a sorted list; `index` is where `s` is or would go.
    bool find(std::string_view s, int& index) const;
    void sort();

    bool sorted() const { return m_sorted; }
    void setSorted(bool sorted);
    TDuplicates duplicates() const { return m_duplicates; }
    void setDuplicates(TDuplicates d) { m_duplicates = d; }
    bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool on);
    // When set, the list deletes the objects attached to its strings.
    bool ownsObjects() const { return m_ownsObjects; }
    void setOwnsObjects(bool on) { m_ownsObjects = on; }

private:
    struct Item {
        std::string text;
        TObject* object = nullptr;
    };
    int compare(std::string_view a, std::string_view b) const;
    void checkIndex(int index, int limit) const;
    void dropObject(TObject* obj);

    std::vector<Item> m_items;
    bool m_sorted = false;
    bool m_caseSensitive = false;
    bool m_ownsObjects = false;
    TDuplicates m_duplicates = TDuplicates::dupIgnore;
};

}  // namespace classes
