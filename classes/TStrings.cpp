// String lists with the VCL text, comma-text, name/value and sorting rules.
#include "classes/TStrings.h"

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"
#include "classes/Errors.h"
#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"

#include <algorithm>

namespace classes {

namespace {
// Ends an update even when the work in between throws.
class UpdateScope {
public:
    explicit UpdateScope(TStrings& s) : m_s(s) { m_s.beginUpdate(); }
    ~UpdateScope() { m_s.endUpdate(); }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

private:
    TStrings& m_s;
};
}  // namespace

namespace {

// The members scripts call, apart from the stream metadata.
void stringsMembers(ClassBuilder<TStrings>& b) {
    b.publicMethod("function Add(S: string): Integer;", &TStrings::add)
        .publicMethod("procedure Append(S: string);", &TStrings::append)
        .publicMethod("procedure AddStrings(Strings: TStrings);", &TStrings::addStrings)
        .publicMethod("function AddObject(S: string; AObject: TObject): Integer;", &TStrings::addObject)
        .publicMethod("procedure Clear;", &TStrings::clear)
        .publicMethod("procedure Delete(Index: Integer);", &TStrings::remove)
        .publicMethod("procedure Insert(Index: Integer; S: string);", &TStrings::insert)
        .publicMethod("procedure InsertObject(Index: Integer; S: string; AObject: TObject);",
                      &TStrings::insertObject)
        .publicMethod("function IndexOf(S: string): Integer;", &TStrings::indexOf)
        .publicMethod("function IndexOfName(Name: string): Integer;", &TStrings::indexOfName)
        .publicMethod("function IndexOfObject(AObject: TObject): Integer;", &TStrings::indexOfObject)
        .publicMethod("function Equals(Strings: TStrings): Boolean;", &TStrings::equals)
        .publicMethod("procedure Exchange(Index1, Index2: Integer);", &TStrings::exchange)
        .publicMethod("procedure Move(CurIndex, NewIndex: Integer);", &TStrings::move)
        .publicMethod("procedure BeginUpdate;", &TStrings::beginUpdate)
        .publicMethod("procedure EndUpdate;", &TStrings::endUpdate)
        .publicMethod("procedure LoadFromFile(FileName: string);", &TStrings::loadFromFile)
        .publicMethod("procedure SaveToFile(FileName: string);", &TStrings::saveToFile)
        .publicMethod("procedure LoadFromStream(Stream: TStream);", &TStrings::loadFromStream)
        .publicMethod("procedure SaveToStream(Stream: TStream);", &TStrings::saveToStream)
        .publicProperty("property Count: Integer;", &TStrings::count)
        .publicProperty("property Text: string;", &TStrings::text, &TStrings::setText)
        .publicProperty("property CommaText: string;", &TStrings::commaText, &TStrings::setCommaText)
        .publicProperty("property Strings[Index: Integer]: string; default;", &TStrings::get, &TStrings::put)
        .publicProperty("property Objects[Index: Integer]: TObject;", &TStrings::object, &TStrings::putObject)
        .publicProperty("property Names[Index: Integer]: string;", &TStrings::name)
        .publicProperty("property Values[Name: string]: string;", &TStrings::value, &TStrings::setValue);
}

}  // namespace

const ClassInfo& TStrings::staticClass() {
    static const auto info = ClassBuilder<TStrings>("TStrings", TPersistent::staticClass())
                                 .with(&stringsMembers)
                                 .defined(
                                     "Strings",
                                     [](TStrings& s, TReader& r) {
                                         r.readListBegin();
                                         UpdateScope scope(s);
                                         s.clear();
                                         while (!r.endOfList()) s.add(r.readString());
                                         r.readListEnd();
                                     },
                                     [](const TStrings& s, TWriter& w) {
                                         w.writeListBegin();
                                         for (int i = 0; i < s.count(); ++i) w.writeString(s.get(i));
                                         w.writeListEnd();
                                     },
                                     [](const TStrings& s) { return s.count() > 0; })
                                 .build();
    return *info;
}

const ClassInfo& TStringList::staticClass() {
    static const auto info =
        ClassBuilder<TStringList>("TStringList", TStrings::staticClass())
            .publicType("TDuplicates", "(dupIgnore, dupAccept, dupError)")
            .publicMethod("function Find(S: string; var Index: Integer): Boolean;", &TStringList::find)
            .publicMethod("procedure Sort;", &TStringList::sort)
            .publicProperty("property Sorted: Boolean;", &TStringList::sorted, &TStringList::setSorted)
            .publicProperty("property Duplicates: TDuplicates;", &TStringList::duplicates,
                            &TStringList::setDuplicates)
            .publicProperty("property CaseSensitive: Boolean;", &TStringList::caseSensitive,
                            &TStringList::setCaseSensitive)
            .publicProperty("property OwnsObjects: Boolean;", &TStringList::ownsObjects,
                            &TStringList::setOwnsObjects)
            .build();
    return *info;
}

void TStrings::indexError(int index) const {
    throw EListError(format(msg::kListIndexError, {std::to_string(index)}));
}

void TStrings::put(int index, std::string_view s) {
    TObject* obj = object(index);
    remove(index);
    insertObject(index, s, obj);
}

TObject* TStrings::object(int) const { return nullptr; }

void TStrings::putObject(int, TObject*) {}

int TStrings::add(std::string_view s) {
    int index = count();
    insert(index, s);
    return index;
}

int TStrings::addObject(std::string_view s, TObject* obj) {
    int index = add(s);
    putObject(index, obj);
    return index;
}

void TStrings::insertObject(int index, std::string_view s, TObject* obj) {
    insert(index, s);
    putObject(index, obj);
}

void TStrings::addStrings(const TStrings& other) {
    UpdateScope scope(*this);
    for (int i = 0; i < other.count(); ++i) addObject(other.get(i), other.object(i));
}

void TStrings::exchange(int a, int b) {
    std::string sa = get(a);
    TObject* oa = object(a);
    put(a, get(b));
    putObject(a, object(b));
    put(b, sa);
    putObject(b, oa);
}

void TStrings::move(int from, int to) {
    if (from == to) return;
    std::string s = get(from);
    TObject* obj = object(from);
    UpdateScope scope(*this);
    remove(from);
    insertObject(to, s, obj);
}

int TStrings::indexOf(std::string_view s) const {
    for (int i = 0; i < count(); ++i) {
        if (base::ansiSameText(get(i), s)) return i;
    }
    return -1;
}

int TStrings::indexOfName(std::string_view name) const {
    for (int i = 0; i < count(); ++i) {
        std::string line = get(i);
        size_t eq = line.find('=');
        if (eq != std::string::npos && base::ansiSameText(std::string_view(line).substr(0, eq), name))
            return i;
    }
    return -1;
}

int TStrings::indexOfObject(const TObject* obj) const {
    for (int i = 0; i < count(); ++i) {
        if (object(i) == obj) return i;
    }
    return -1;
}

bool TStrings::equals(const TStrings& other) const {
    if (count() != other.count()) return false;
    for (int i = 0; i < count(); ++i) {
        if (get(i) != other.get(i)) return false;
    }
    return true;
}

std::string TStrings::text() const {
    std::string out;
    for (int i = 0; i < count(); ++i) {
        out += get(i);
        out += "\r\n";
    }
    return out;
}

void TStrings::setText(std::string_view text) {
    UpdateScope scope(*this);
    clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        add(text.substr(pos, end - pos));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        pos = end;
    }
}

std::string TStrings::delimitedText(char delimiter, char quote) const {
    if (count() == 1 && get(0).empty()) return std::string(2, quote);
    std::string out;
    for (int i = 0; i < count(); ++i) {
        std::string s = get(i);
        bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == quote || c == delimiter;
        });
        if (needsQuotes) {
            std::string q(1, quote);
            for (char c : s) {
                q.push_back(c);
                if (c == quote) q.push_back(c);
            }
            q.push_back(quote);
            s = std::move(q);
        }
        if (i > 0) out.push_back(delimiter);
        out += s;
    }
    return out;
}

void TStrings::setDelimitedText(std::string_view text, char delimiter, char quote) {
    auto blank = [](char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; };
    UpdateScope scope(*this);
    clear();
    size_t p = 0;
    const size_t n = text.size();
    while (p < n && blank(text[p])) ++p;
    while (p < n) {
        std::string s;
        if (text[p] == quote) {
            ++p;
            while (p < n) {
                if (text[p] == quote) {
                    if (p + 1 < n && text[p + 1] == quote) {
                        s.push_back(quote);
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                s.push_back(text[p++]);
            }
        } else {
            size_t start = p;
            while (p<n&& static_cast<unsigned char>(text[p])> ' ' && text[p] != delimiter) ++p;
            s.assign(text.substr(start, p - start));
        }
        add(s);
        while (p < n && blank(text[p])) ++p;
        if (p < n && text[p] == delimiter) {
            if (p + 1 == n) add("");
            do {
                ++p;
            } while (p < n && blank(text[p]));
        } else if (p < n && text[p] == '\0') {
            break;  // the text ends at a NUL, as a C string would
        }
    }
}

std::string TStrings::commaText() const { return delimitedText(',', '"'); }

void TStrings::setCommaText(std::string_view text) { setDelimitedText(text, ',', '"'); }

std::string TStrings::name(int index) const {
    std::string line = get(index);
    size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStrings::valueFromIndex(int index) const {
    std::string line = get(index);
    size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string TStrings::value(std::string_view name) const {
    int i = indexOfName(name);
    return i < 0 ? std::string() : valueFromIndex(i);
}

void TStrings::setValue(std::string_view name, std::string_view value) {
    int i = indexOfName(name);
    std::string line = std::string(name) + "=" + std::string(value);
    if (!value.empty()) {
        if (i < 0) {
            add(line);
        } else {
            put(i, line);
        }
    } else if (i >= 0) {
        remove(i);
    }
}

void TStrings::beginUpdate() {
    if (m_updateCount++ == 0) setUpdateState(true);
}

void TStrings::endUpdate() {
    if (m_updateCount > 0 && --m_updateCount == 0) setUpdateState(false);
}

void TStrings::setUpdateState(bool) {}

void TStrings::loadFromStream(TStream& stream) { setText(stream.readRest()); }

void TStrings::saveToStream(TStream& stream) const { stream.writeBuffer(text()); }

void TStrings::loadFromFile(const std::string& path) {
    TFileStream f(path, FileMode::OpenRead);
    loadFromStream(f);
}

void TStrings::saveToFile(const std::string& path) const {
    TFileStream f(path, FileMode::Create);
    saveToStream(f);
}

void TStrings::assign(const TPersistent& source) {
    if (auto* other = dynamic_cast<const TStrings*>(&source)) {
        if (other == this) return;
        UpdateScope scope(*this);
        clear();
        addStrings(*other);
        return;
    }
    TPersistent::assign(source);
}

TStringList::~TStringList() {
    if (m_ownsObjects) {
        for (Item& i : m_items) delete i.object;
    }
}

void TStringList::checkIndex(int index, int limit) const {
    if (index < 0 || index >= limit) indexError(index);
}

void TStringList::dropObject(TObject* obj) {
    if (m_ownsObjects) delete obj;
}

std::string TStringList::get(int index) const {
    checkIndex(index, count());
    return m_items[static_cast<size_t>(index)].text;
}

void TStringList::put(int index, std::string_view s) {
    if (m_sorted) throw EListError(msg::kSortedListError);
    checkIndex(index, count());
    m_items[static_cast<size_t>(index)].text = std::string(s);
}

TObject* TStringList::object(int index) const {
    checkIndex(index, count());
    return m_items[static_cast<size_t>(index)].object;
}

void TStringList::putObject(int index, TObject* obj) {
    checkIndex(index, count());
    Item& item = m_items[static_cast<size_t>(index)];
    if (item.object != obj) dropObject(item.object);
    item.object = obj;
}

void TStringList::insert(int index, std::string_view s) {
    if (m_sorted) throw EListError(msg::kSortedListError);
    checkIndex(index, count() + 1);
    m_items.insert(m_items.begin() + index, Item{std::string(s), nullptr});
}

void TStringList::remove(int index) {
    checkIndex(index, count());
    TObject* obj = m_items[static_cast<size_t>(index)].object;
    m_items.erase(m_items.begin() + index);
    dropObject(obj);
}

void TStringList::clear() {
    std::vector<Item> old;
    old.swap(m_items);
    for (Item& i : old) dropObject(i.object);
}

int TStringList::add(std::string_view s) {
    if (!m_sorted) {
        m_items.push_back(Item{std::string(s), nullptr});
        return count() - 1;
    }
    int index;
    if (find(s, index)) {
        if (m_duplicates == TDuplicates::dupIgnore) return index;
        if (m_duplicates == TDuplicates::dupError) throw EListError(msg::kDuplicateString);
    }
    m_items.insert(m_items.begin() + index, Item{std::string(s), nullptr});
    return index;
}

int TStringList::compare(std::string_view a, std::string_view b) const {
    if (m_caseSensitive) return a.compare(b);
    return base::ansiUpper(a).compare(base::ansiUpper(b));
}

bool TStringList::find(std::string_view s, int& index) const {
    int lo = 0;
    int hi = count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = compare(m_items[static_cast<size_t>(mid)].text, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (m_duplicates != TDuplicates::dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TStringList::indexOf(std::string_view s) const {
    if (!m_sorted) {
        for (int i = 0; i < count(); ++i) {
            if (compare(m_items[static_cast<size_t>(i)].text, s) == 0) return i;
        }
        return -1;
    }
    int index;
    return find(s, index) ? index : -1;
}

void TStringList::sort() {
    std::stable_sort(m_items.begin(), m_items.end(),
                     [this](const Item& a, const Item& b) { return compare(a.text, b.text) < 0; });
}

void TStringList::setSorted(bool sorted) {
    if (sorted && !m_sorted) sort();
    m_sorted = sorted;
}

void TStringList::setCaseSensitive(bool on) {
    m_caseSensitive = on;
    if (m_sorted) sort();
}

}  // namespace classes
