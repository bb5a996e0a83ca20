// The registry store over SQLite. Keys are rows of one table, each with its parent, its
// name as written, the name folded to upper case and the folded full path (hive first),
// so a lookup is one indexed query and a key tree is one range of paths. Values are rows
// keyed by (key, folded name); their row ids keep the order they were first written in.
#include "platform/Registry.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "base/Error.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "platform/WalWatch.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr int kBusyTimeoutMs = 15000;
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxKeyDepth = 512;
constexpr int kSchemaVersion = 1;

constexpr const char* kCurrentUserHive = "HKEY_CURRENT_USER";
constexpr const char* kLocalMachineHive = "HKEY_LOCAL_MACHINE";
constexpr const char* kUsersHive = "HKEY_USERS";
constexpr const char* kDefaultUser = ".DEFAULT";

std::string toUtf8(std::string_view ansi) { return base::CodePage::active().toUtf8(ansi); }
std::string toAnsi(std::string_view utf8) { return base::CodePage::active().fromUtf8(utf8); }

// Upper case by the Unicode simple mapping, so names compare the same under every code page.
std::string fold(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) base::appendUtf8(out, base::unicodeUpper(base::decodeUtf8(utf8, pos)));
    return out;
}

// Appends the folded form of an ANSI name; plain ASCII, the common case, needs no
// conversion. Backslashes fold to themselves, so whole paths fold at once.
void appendFoldedAnsi(std::string& out, std::string_view ansi) {
    for (char c : ansi) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            out += fold(toUtf8(ansi));
            return;
        }
    }
    for (char c : ansi) out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
}

std::string foldAnsi(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    appendFoldedAnsi(out, ansi);
    return out;
}

// The key path without its outer backslashes; nullopt when a component is empty or too
// long, or the path too deep.
std::optional<std::string_view> normalizeKey(std::string_view key) {
    if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    if (key.empty()) return key;
    size_t depth = 0;
    size_t start = 0;
    for (size_t i = 0; i <= key.size(); ++i) {
        if (i < key.size() && key[i] != '\\') continue;
        if (i == start || i - start > kMaxKeyNameLength || ++depth > kMaxKeyDepth) return std::nullopt;
        start = i + 1;
    }
    return key;
}

// One stored key a view reads or writes: the fixed keys it lies below (hive first), the
// caller's path below those, and the folded full path the table is indexed by.
struct Location {
    std::vector<std::string_view> fixed;
    std::string_view rest;
    std::string path;

    // Every component, UTF-8, as written.
    std::vector<std::string> components() const {
        std::vector<std::string> out(fixed.begin(), fixed.end());
        for (std::string_view r = rest; !r.empty();) {
            size_t sep = r.find('\\');
            out.push_back(toUtf8(r.substr(0, sep)));
            r = sep == std::string_view::npos ? std::string_view() : r.substr(sep + 1);
        }
        return out;
    }
};

Location makeLocation(std::initializer_list<std::string_view> fixed, std::string_view rest = {}) {
    Location loc{fixed, rest, {}};
    loc.path.reserve(64 + rest.size());
    for (std::string_view f : fixed) {
        if (!loc.path.empty()) loc.path.push_back('\\');
        appendFoldedAnsi(loc.path, f);
    }
    if (!rest.empty()) {
        loc.path.push_back('\\');
        appendFoldedAnsi(loc.path, rest);
    }
    return loc;
}

// What a (root, key) pair stands for: the stored keys searched in order (values from the
// first that has them, sub-keys from all), and what may be done to it.
struct View {
    std::vector<Location> locations;
    bool isRoot = false;      // never deleted
    bool writable = true;     // values may be written and keys created
    bool listsUsers = false;  // HKEY_USERS itself: lists the current user beside .DEFAULT
};

std::optional<View> resolveView(RegistryRoot root, std::string_view key) {
    auto path = normalizeKey(key);
    if (!path) return std::nullopt;
    View view;
    view.isRoot = path->empty();
    switch (root) {
    case RegistryRoot::CurrentUser: view.locations.push_back(makeLocation({kCurrentUserHive}, *path)); break;
    case RegistryRoot::LocalMachine:
        view.locations.push_back(makeLocation({kLocalMachineHive}, *path));
        break;
    case RegistryRoot::ClassesRoot:
        view.locations.push_back(makeLocation({kCurrentUserHive, "Software", "Classes"}, *path));
        view.locations.push_back(makeLocation({kLocalMachineHive, "Software", "Classes"}, *path));
        break;
    case RegistryRoot::CurrentConfig:
        view.locations.push_back(makeLocation(
            {kLocalMachineHive, "System", "CurrentControlSet", "Hardware Profiles", "Current"}, *path));
        break;
    case RegistryRoot::Users: {
        if (path->empty()) {
            view.locations.push_back(makeLocation({kUsersHive}));
            view.writable = false;
            view.listsUsers = true;
            break;
        }
        size_t sep = path->find('\\');
        std::string_view rest = sep == std::string_view::npos ? std::string_view() : path->substr(sep + 1);
        const std::string first = foldAnsi(path->substr(0, sep));
        view.isRoot = rest.empty();
        if (first == kDefaultUser) {
            view.locations.push_back(makeLocation({kUsersHive, kDefaultUser}, rest));
        } else if (std::string user = userName(); !user.empty() && first == foldAnsi(user)) {
            view.locations.push_back(makeLocation({kCurrentUserHive}, rest));
        } else {
            return std::nullopt;  // no other user's hive is loaded
        }
        break;
    }
    default: return std::nullopt;
    }
    return view;
}

[[noreturn]] void fail(sqlite3* db, int rc, const char* what) {
    std::string message =
        std::string("registry: ") + what + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    throw base::PlatformError(message, rc);
}

}  // namespace

namespace detail {

// A prepared statement, reset and unbound when the scope that used it ends.
class Statement {
public:
    Statement(sqlite3* db, sqlite3_stmt* stmt) : m_db(db), m_stmt(stmt) {}
    ~Statement() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, int64_t v) {
        check(sqlite3_bind_int64(m_stmt, i, v));
        return *this;
    }
    Statement& bind(int i, std::string_view text) {
        check(sqlite3_bind_text(m_stmt, i, text.data(), static_cast<int>(text.size()), SQLITE_STATIC));
        return *this;
    }
    Statement& bindBlob(int i, std::string_view bytes) {
        // A zero-length blob must still be a blob, not NULL.
        check(sqlite3_bind_blob(m_stmt, i, bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size()),
                                SQLITE_STATIC));
        return *this;
    }
    // True while there is a row.
    bool step() {
        int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fail(m_db, rc, "query failed");
    }
    void run() {
        while (step()) {
        }
    }
    bool isNull(int col) const { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }
    int64_t integer(int col) const { return sqlite3_column_int64(m_stmt, col); }
    std::string text(int col) const {
        const void* p = sqlite3_column_blob(m_stmt, col);
        int n = sqlite3_column_bytes(m_stmt, col);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
    }

private:
    void check(int rc) {
        if (rc != SQLITE_OK) fail(m_db, rc, "bind failed");
    }
    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
};

}  // namespace detail

using detail::Statement;

class RegistryStore::Impl {
public:
    enum Sql {
        kFindKey,
        kLookup,
        kInsertKey,
        kUpsertValue,
        kDeleteValue,
        kSubKeys,
        kValueNames,
        kHasSubKey,
        kHasValue,
        kDeleteKeyValues,
        kDeleteKeyRow,
        kDeleteTreeValues,
        kDeleteTreeKeys,
        kSqlCount,
    };

    explicit Impl(const std::string& file);
    ~Impl();

    std::mutex mutex;

    // Lookups answered since the last commit anyone made, keyed by root, folded path and
    // folded name; only for a database file in WAL mode, whose commits the watch sees.
    struct CachedLookup {
        WalWatch::Snapshot tag;
        RegistryLookup result;
    };
    static constexpr size_t kCacheLimit = 4096;
    bool cacheSnapshot(WalWatch::Snapshot& out);
    std::unordered_map<std::string, CachedLookup> cache;

    Statement statement(Sql which) { return Statement(m_db, m_statements[which]); }
    void exec(const char* sql);

    // A transaction around several statements; rolled back unless committed.
    class Transaction {
    public:
        Transaction(Impl& impl, bool write) : m_impl(impl) {
            impl.exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
            if (write) impl.cache.clear();
        }
        ~Transaction() {
            if (!m_done) sqlite3_exec(m_impl.m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        void commit() {
            m_impl.exec("COMMIT");
            m_done = true;
        }

    private:
        Impl& m_impl;
        bool m_done = false;
    };

    std::optional<int64_t> findKey(const Location& loc);
    int64_t ensureKey(const Location& loc);
    // The first location whose key exists, or nullopt.
    std::optional<std::pair<size_t, int64_t>> firstExisting(const View& view);
    // The key new values go to: the first that exists, else a new one at the last location.
    std::optional<int64_t> keyForWrite(const View& view, KeyCreation creation);
    void upsert(int64_t key, std::string_view name, const RegistryValue& v);
    std::vector<std::string> namesOf(Sql which, int64_t key);
    bool hasRow(Sql which, int64_t key);
    void deleteTreeAt(const Location& loc);
    bool applyEdit(const RegistryEdit& edit);
    void createSchema();
    void seed();

private:
    std::string m_file;
    WalWatch m_watch;
    bool m_watchTried = false;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statements[kSqlCount] = {};
};

namespace {

const char* const kSqlText[] = {
    "SELECT id FROM keys WHERE path = ?1",
    "SELECT k.id, v.type, v.data FROM keys k LEFT JOIN vals v ON v.key = k.id AND v.fold = ?2 WHERE k.path = "
    "?1",
    "INSERT INTO keys(parent, name, fold, path) VALUES (?1, ?2, ?3, ?4)",
    "INSERT INTO vals(key, name, fold, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM vals WHERE key = ?1 AND fold = ?2",
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY fold",
    "SELECT name FROM vals WHERE key = ?1 ORDER BY rowid",
    "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1",
    "SELECT 1 FROM vals WHERE key = ?1 LIMIT 1",
    "DELETE FROM vals WHERE key = ?1",
    "DELETE FROM keys WHERE id = ?1",
    // A key tree is its own path and every path that continues it with a backslash;
    // "]" is the character after "\", so the range holds exactly those paths.
    "DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE path = ?1 OR (path > ?1 || '\\' AND path < ?1 "
    "|| ']'))",
    "DELETE FROM keys WHERE path = ?1 OR (path > ?1 || '\\' AND path < ?1 || ']')",
};
static_assert(std::size(kSqlText) == RegistryStore::Impl::kSqlCount);

}  // namespace

RegistryStore::Impl::Impl(const std::string& file) : m_file(file) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = "registry: cannot open " + file + ": " + sqlite3_errstr(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw base::PlatformError(message, rc);
    }
    try {
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        sqlite3_extended_result_codes(m_db, 1);
        // WAL lets readers go on while another player writes; NORMAL syncs at checkpoints,
        // so a crashed process loses nothing and a power cut at most the last writes.
        exec("PRAGMA journal_mode = WAL");
        exec("PRAGMA synchronous = NORMAL");
        createSchema();
        for (int i = 0; i < kSqlCount; ++i) {
            rc = sqlite3_prepare_v3(m_db, kSqlText[i], -1, SQLITE_PREPARE_PERSISTENT, &m_statements[i],
                                    nullptr);
            if (rc != SQLITE_OK) fail(m_db, rc, "prepare failed");
        }
        seed();
    } catch (...) {
        for (sqlite3_stmt* s : m_statements) sqlite3_finalize(s);
        sqlite3_close(m_db);
        throw;
    }
}

RegistryStore::Impl::~Impl() {
    for (sqlite3_stmt* s : m_statements) sqlite3_finalize(s);
    sqlite3_close(m_db);
}

bool RegistryStore::Impl::cacheSnapshot(WalWatch::Snapshot& out) {
    if (!m_watch.isOpen()) {
        // The WAL index exists once this connection has read; try once, after that.
        if (m_watchTried || m_file == ":memory:") return false;
        m_watchTried = true;
        if (!m_watch.open(m_file)) return false;
    }
    return m_watch.snapshot(out);
}

void RegistryStore::Impl::exec(const char* sql) {
    char* error = nullptr;
    int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = std::string("registry: ") + (error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        throw base::PlatformError(message, rc);
    }
}

void RegistryStore::Impl::createSchema() {
    Transaction t(*this, true);
    exec(
        "CREATE TABLE IF NOT EXISTS keys("
        " id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, name TEXT NOT NULL, fold TEXT NOT NULL,"
        " path TEXT NOT NULL UNIQUE, UNIQUE(parent, fold))");
    exec(
        "CREATE TABLE IF NOT EXISTS vals("
        " key INTEGER NOT NULL, name TEXT NOT NULL, fold TEXT NOT NULL, type INTEGER NOT NULL,"
        " data BLOB NOT NULL, UNIQUE(key, fold))");
    exec(
        "INSERT OR IGNORE INTO keys(parent, name, fold, path) VALUES"
        " (0, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),"
        " (0, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),"
        " (0, 'HKEY_USERS', 'HKEY_USERS', 'HKEY_USERS')");
    exec(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
    t.commit();
}

std::optional<int64_t> RegistryStore::Impl::findKey(const Location& loc) {
    Statement s = statement(kFindKey);
    s.bind(1, loc.path);
    if (!s.step()) return std::nullopt;
    return s.integer(0);
}

int64_t RegistryStore::Impl::ensureKey(const Location& loc) {
    if (auto id = findKey(loc)) return *id;
    // Walk up to the deepest key that exists, then create the rest downwards.
    const std::vector<std::string> parts = loc.components();
    std::vector<std::string> paths;  // folded path of each prefix
    for (const std::string& p : parts) {
        std::string path = paths.empty() ? std::string() : paths.back() + "\\";
        paths.push_back(path + fold(p));
    }
    size_t have = parts.size() - 1;
    int64_t parent = 0;
    for (; have > 0; --have) {
        Location prefix;
        prefix.path = paths[have - 1];
        if (auto id = findKey(prefix)) {
            parent = *id;
            break;
        }
    }
    if (have == 0) throw base::PlatformError("registry: hive missing", 0);
    for (size_t i = have; i < parts.size(); ++i) {
        Statement s = statement(kInsertKey);
        const std::string folded = fold(parts[i]);
        s.bind(1, parent).bind(2, parts[i]).bind(3, folded).bind(4, paths[i]);
        s.run();
        parent = sqlite3_last_insert_rowid(m_db);
    }
    return parent;
}

std::optional<std::pair<size_t, int64_t>> RegistryStore::Impl::firstExisting(const View& view) {
    for (size_t i = 0; i < view.locations.size(); ++i) {
        if (auto id = findKey(view.locations[i])) return std::pair{i, *id};
    }
    return std::nullopt;
}

std::optional<int64_t> RegistryStore::Impl::keyForWrite(const View& view, KeyCreation creation) {
    if (!view.writable) return std::nullopt;
    if (auto found = firstExisting(view)) return found->second;
    if (creation == KeyCreation::MustExist) return std::nullopt;
    return ensureKey(view.locations.back());
}

void RegistryStore::Impl::upsert(int64_t key, std::string_view name, const RegistryValue& v) {
    const std::string utf8Name = toUtf8(name);
    const std::string foldedName = foldAnsi(name);
    const bool text = v.isString() || v.type == uint32_t(RegType::MultiString);
    const std::string data = text ? toUtf8(v.data) : v.data;
    Statement s = statement(kUpsertValue);
    s.bind(1, key).bind(2, utf8Name).bind(3, foldedName).bind(4, int64_t(v.type)).bindBlob(5, data);
    s.run();
}

std::vector<std::string> RegistryStore::Impl::namesOf(Sql which, int64_t key) {
    std::vector<std::string> out;
    Statement s = statement(which);
    s.bind(1, key);
    while (s.step()) out.push_back(toAnsi(s.text(0)));
    return out;
}

bool RegistryStore::Impl::hasRow(Sql which, int64_t key) {
    Statement s = statement(which);
    s.bind(1, key);
    return s.step();
}

void RegistryStore::Impl::deleteTreeAt(const Location& loc) {
    {
        Statement s = statement(kDeleteTreeValues);
        s.bind(1, loc.path);
        s.run();
    }
    Statement s = statement(kDeleteTreeKeys);
    s.bind(1, loc.path);
    s.run();
}

void RegistryStore::Impl::seed() {
    // Values other parts of the system read and Windows always has: the program folders
    // behind "%PF%" and "%COMMON%", and the Internet settings the network routines read.
    struct Seed {
        RegistryRoot root;
        const char* key;
        const char* name;
        RegistryValue value;
    };
    const Seed seeds[] = {
        {RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
         RegistryValue::string("C:\\Program Files")},
        {RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir",
         RegistryValue::string("C:\\Program Files\\Common Files")},
        {RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
         "ProxyEnable", RegistryValue::dword(0)},
        {RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
         "ProxyServer", RegistryValue::string("")},
        {RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
         "ProxyOverride", RegistryValue::string("")},
    };
    auto missing = [&](const Seed& s) {
        auto view = resolveView(s.root, s.key);
        Statement st = statement(kLookup);
        std::string name = foldAnsi(s.name);
        st.bind(1, view->locations.front().path).bind(2, name);
        return !st.step() || st.isNull(1);
    };
    bool anyMissing = !findKey(makeLocation({kUsersHive, kDefaultUser}));
    for (const Seed& s : seeds) anyMissing = anyMissing || missing(s);
    if (!anyMissing) return;
    Transaction t(*this, true);
    ensureKey(makeLocation({kUsersHive, kDefaultUser}));
    for (const Seed& s : seeds) {
        if (!missing(s)) continue;  // another player may have seeded meanwhile
        upsert(ensureKey(resolveView(s.root, s.key)->locations.front()), s.name, s.value);
    }
    t.commit();
}

bool RegistryStore::Impl::applyEdit(const RegistryEdit& edit) {
    auto view = resolveView(edit.root, edit.key);
    if (!view) return false;
    switch (edit.kind) {
    case RegistryEdit::Kind::CreateKey: return keyForWrite(*view, KeyCreation::Create).has_value();
    case RegistryEdit::Kind::DeleteTree: {
        if (view->isRoot) return false;
        bool any = false;
        for (const Location& loc : view->locations) {
            if (findKey(loc)) {
                deleteTreeAt(loc);
                any = true;
            }
        }
        return any;
    }
    case RegistryEdit::Kind::SetValue: {
        if (edit.name.size() > kMaxValueNameLength) return false;
        auto key = keyForWrite(*view, KeyCreation::Create);
        if (!key) return false;
        upsert(*key, edit.name, edit.value);
        return true;
    }
    case RegistryEdit::Kind::DeleteValue: {
        const std::string name = foldAnsi(edit.name);
        for (const Location& loc : view->locations) {
            auto key = findKey(loc);
            if (!key) continue;
            Statement s = statement(kDeleteValue);
            s.bind(1, *key).bind(2, name);
            s.run();
            if (sqlite3_changes(m_db) > 0) return true;
        }
        return false;
    }
    }
    return false;
}

// ---------------------------------------------------------------------------------------

RegistryValue RegistryValue::string(std::string text, RegType type) {
    return {uint32_t(type), std::move(text)};
}

RegistryValue RegistryValue::dword(uint32_t v) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[size_t(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return {uint32_t(RegType::DWord), std::move(bytes)};
}

RegistryValue RegistryValue::binary(std::string bytes, RegType type) {
    return {uint32_t(type), std::move(bytes)};
}

std::optional<uint32_t> RegistryValue::dwordValue() const {
    if (type != uint32_t(RegType::DWord) || data.size() != 4) return std::nullopt;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data[size_t(i)]);
    return v;
}

std::string RegistryValue::rawData() const { return isString() ? data + '\0' : data; }

std::optional<RegistryRoot> registryRootByName(std::string_view name) {
    static const std::pair<const char*, RegistryRoot> kNames[] = {
        {"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
        {"HKCR", RegistryRoot::ClassesRoot},
        {"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
        {"HKCU", RegistryRoot::CurrentUser},
        {"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
        {"HKLM", RegistryRoot::LocalMachine},
        {"HKEY_USERS", RegistryRoot::Users},
        {"HKU", RegistryRoot::Users},
        {"HKEY_PERFORMANCE_DATA", RegistryRoot::PerformanceData},
        {"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
        {"HKCC", RegistryRoot::CurrentConfig},
        {"HKEY_DYN_DATA", RegistryRoot::DynData},
    };
    for (const auto& [n, root] : kNames) {
        if (base::asciiSameText(n, name)) return root;
    }
    return std::nullopt;
}

std::string registryRootName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::Users: return "HKEY_USERS";
    case RegistryRoot::PerformanceData: return "HKEY_PERFORMANCE_DATA";
    case RegistryRoot::CurrentConfig: return "HKEY_CURRENT_CONFIG";
    case RegistryRoot::DynData: return "HKEY_DYN_DATA";
    }
    return {};
}

RegistryStore::RegistryStore(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
RegistryStore::~RegistryStore() = default;

std::unique_ptr<RegistryStore> RegistryStore::open(const fs::path& file) {
    std::error_code ec;
    if (file.has_parent_path() && !fs::is_directory(file.parent_path(), ec)) {
        fs::create_directories(file.parent_path(), ec);
        fs::permissions(file.parent_path(), fs::perms::owner_all, ec);
    }
    // The store holds the user's settings: only the user reads it.
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
    return std::unique_ptr<RegistryStore>(new RegistryStore(std::make_unique<Impl>(file.string())));
}

std::unique_ptr<RegistryStore> RegistryStore::openInMemory() {
    return std::unique_ptr<RegistryStore>(new RegistryStore(std::make_unique<Impl>(":memory:")));
}

bool RegistryStore::keyExists(RegistryRoot root, std::string_view key) const {
    auto view = resolveView(root, key);
    if (!view) return false;
    std::lock_guard lock(m_impl->mutex);
    if (view->locations.size() == 1) return m_impl->findKey(view->locations.front()).has_value();
    Impl::Transaction t(*m_impl, false);
    return m_impl->firstExisting(*view).has_value();
}

bool RegistryStore::createKey(RegistryRoot root, std::string_view key) {
    auto view = resolveView(root, key);
    if (!view) return false;
    std::lock_guard lock(m_impl->mutex);
    if (!view->writable) return m_impl->findKey(view->locations.front()).has_value();
    Impl::Transaction t(*m_impl, true);
    bool ok = m_impl->keyForWrite(*view, KeyCreation::Create).has_value();
    t.commit();
    return ok;
}

RegistryLookup RegistryStore::lookup(RegistryRoot root, std::string_view key, std::string_view name) const {
    RegistryLookup result;
    auto view = resolveView(root, key);
    if (!view || name.size() > kMaxValueNameLength) return result;
    const std::string folded = foldAnsi(name);
    std::lock_guard lock(m_impl->mutex);
    std::string cacheKey;
    WalWatch::Snapshot tag;
    const bool cacheable = m_impl->cacheSnapshot(tag);
    if (cacheable) {
        cacheKey.append(std::to_string(uint32_t(root))).append("|").append(view->locations.front().path);
        cacheKey.append(1, '\0').append(folded);
        auto hit = m_impl->cache.find(cacheKey);
        if (hit != m_impl->cache.end() && hit->second.tag == tag) return hit->second.result;
    }
    // One statement per location; several need one read transaction to agree.
    std::optional<Impl::Transaction> t;
    if (view->locations.size() > 1) t.emplace(*m_impl, false);
    for (const Location& loc : view->locations) {
        Statement s = m_impl->statement(Impl::kLookup);
        s.bind(1, loc.path).bind(2, folded);
        if (!s.step()) continue;
        result.keyFound = true;
        if (s.isNull(1)) continue;
        RegistryValue v{static_cast<uint32_t>(s.integer(1)), s.text(2)};
        if (v.isString() || v.type == uint32_t(RegType::MultiString)) v.data = toAnsi(v.data);
        result.value = std::move(v);
        break;
    }
    if (cacheable) {
        // Tagged with the header seen before the query: a commit since then, seen by the
        // query or not, changes the header and so retires the entry.
        if (m_impl->cache.size() >= Impl::kCacheLimit) m_impl->cache.clear();
        m_impl->cache[cacheKey] = {tag, result};
    }
    return result;
}

std::optional<std::string> RegistryStore::readString(RegistryRoot root, std::string_view key,
                                                     std::string_view name) const {
    auto v = value(root, key, name);
    if (!v || !v->isString()) return std::nullopt;
    return std::move(v->data);
}

bool RegistryStore::setValue(RegistryRoot root, std::string_view key, std::string_view name,
                             const RegistryValue& v, KeyCreation creation) {
    return setValues(root, key, {NamedValue{std::string(name), v}}, creation);
}

bool RegistryStore::setValues(RegistryRoot root, std::string_view key, const std::vector<NamedValue>& values,
                              KeyCreation creation) {
    auto view = resolveView(root, key);
    if (!view) return false;
    for (const NamedValue& nv : values) {
        if (nv.name.size() > kMaxValueNameLength) return false;
    }
    std::lock_guard lock(m_impl->mutex);
    Impl::Transaction t(*m_impl, true);
    auto id = m_impl->keyForWrite(*view, creation);
    if (!id) return false;
    for (const NamedValue& nv : values) m_impl->upsert(*id, nv.name, nv.value);
    t.commit();
    return true;
}

bool RegistryStore::deleteValue(RegistryRoot root, std::string_view key, std::string_view name) {
    std::lock_guard lock(m_impl->mutex);
    Impl::Transaction t(*m_impl, true);
    bool deleted =
        m_impl->applyEdit({RegistryEdit::Kind::DeleteValue, root, std::string(key), std::string(name), {}});
    t.commit();
    return deleted;
}

std::optional<std::vector<std::string>> RegistryStore::subKeyNames(RegistryRoot root,
                                                                   std::string_view key) const {
    auto view = resolveView(root, key);
    if (!view) return std::nullopt;
    std::lock_guard lock(m_impl->mutex);
    Impl::Transaction t(*m_impl, false);
    std::optional<std::vector<std::string>> out;
    for (const Location& loc : view->locations) {
        auto id = m_impl->findKey(loc);
        if (!id) continue;
        if (!out) out.emplace();
        for (std::string& n : m_impl->namesOf(Impl::kSubKeys, *id)) out->push_back(std::move(n));
    }
    if (out && view->listsUsers) {
        if (std::string user = userName(); !user.empty()) out->push_back(user);
    }
    if (out && (view->locations.size() > 1 || view->listsUsers)) {
        // Merge: sorted as one list, a name present in several places once.
        auto folded = [](const std::string& s) { return foldAnsi(s); };
        std::stable_sort(out->begin(), out->end(),
                         [&](const std::string& a, const std::string& b) { return folded(a) < folded(b); });
        out->erase(
            std::unique(out->begin(), out->end(),
                        [&](const std::string& a, const std::string& b) { return folded(a) == folded(b); }),
            out->end());
    }
    return out;
}

std::optional<std::vector<std::string>> RegistryStore::valueNames(RegistryRoot root,
                                                                  std::string_view key) const {
    auto view = resolveView(root, key);
    if (!view) return std::nullopt;
    std::lock_guard lock(m_impl->mutex);
    Impl::Transaction t(*m_impl, false);
    std::optional<std::vector<std::string>> out;
    for (const Location& loc : view->locations) {
        auto id = m_impl->findKey(loc);
        if (!id) continue;
        if (!out) out.emplace();
        for (std::string& n : m_impl->namesOf(Impl::kValueNames, *id)) {
            bool seen = false;
            for (const std::string& have : *out) seen = seen || base::ansiSameText(have, n);
            if (!seen) out->push_back(std::move(n));
        }
    }
    return out;
}

bool RegistryStore::deleteKey(RegistryRoot root, std::string_view key, bool onlyIfEmpty) {
    auto view = resolveView(root, key);
    if (!view || view->isRoot) return false;
    std::lock_guard lock(m_impl->mutex);
    Impl::Transaction t(*m_impl, true);
    std::vector<int64_t> ids;
    for (const Location& loc : view->locations) {
        auto id = m_impl->findKey(loc);
        if (!id) continue;
        if (m_impl->hasRow(Impl::kHasSubKey, *id)) return false;
        if (onlyIfEmpty && m_impl->hasRow(Impl::kHasValue, *id)) return false;
        ids.push_back(*id);
    }
    for (int64_t id : ids) {
        Statement v = m_impl->statement(Impl::kDeleteKeyValues);
        v.bind(1, id);
        v.run();
        Statement k = m_impl->statement(Impl::kDeleteKeyRow);
        k.bind(1, id);
        k.run();
    }
    t.commit();
    return !ids.empty();
}

bool RegistryStore::deleteTree(RegistryRoot root, std::string_view key) {
    std::lock_guard lock(m_impl->mutex);
    Impl::Transaction t(*m_impl, true);
    bool deleted = m_impl->applyEdit({RegistryEdit::Kind::DeleteTree, root, std::string(key), {}, {}});
    t.commit();
    return deleted;
}

size_t RegistryStore::apply(const std::vector<RegistryEdit>& edits) {
    std::lock_guard lock(m_impl->mutex);
    Impl::Transaction t(*m_impl, true);
    size_t skipped = 0;
    for (const RegistryEdit& e : edits) {
        if (!m_impl->applyEdit(e) && e.kind != RegistryEdit::Kind::DeleteValue &&
            e.kind != RegistryEdit::Kind::DeleteTree) {
            ++skipped;  // deleting what is not there is no failure
        }
    }
    t.commit();
    return skipped;
}

// ---------------------------------------------------------------------------------------

namespace {

std::mutex& processMutex() {
    static std::mutex m;
    return m;
}

// Never destroyed: the exit path writes settings after static destructors may have run.
// The database needs no closing; what was committed is in its log.
std::unique_ptr<RegistryStore>& processStore() {
    static auto* store = new std::unique_ptr<RegistryStore>;
    return *store;
}

std::optional<std::string>& playerPathSlot() {
    static auto* path = new std::optional<std::string>;
    return *path;
}

}  // namespace

fs::path defaultRegistryFile() {
    fs::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        data = fs::path(home) / ".local" / "share";
    } else {
        data = fs::temp_directory_path() / ("vantrel-" + std::to_string(::getuid()));
    }
    return data / "vantrel" / "registry.db";
}

RegistryStore& registry() {
    std::lock_guard lock(processMutex());
    auto& store = processStore();
    if (!store) {
        try {
            store = RegistryStore::open(defaultRegistryFile());
            // The seeded program folders should exist on the virtual system drive.
            std::error_code ec;
            fs::create_directories(systemDriveRoot() / "Program Files" / "Common Files", ec);
        } catch (const std::exception&) {
            store = RegistryStore::openInMemory();
        }
    }
    return *store;
}

void setRegistry(std::unique_ptr<RegistryStore> store) {
    std::lock_guard lock(processMutex());
    if (store) processStore() = std::move(store);
}

std::string playerKey(std::string_view playerWindowsPath) {
    return std::string(kProductKey) + "\\" + std::string(playerWindowsPath);
}

std::string currentPlayerKey() {
    std::lock_guard lock(processMutex());
    auto& path = playerPathSlot();
    if (!path) path = windowsPath(executablePath());
    return playerKey(*path);
}

void setCurrentPlayerPath(std::string windowsPath) {
    std::lock_guard lock(processMutex());
    playerPathSlot() = std::move(windowsPath);
}

}  // namespace platform
