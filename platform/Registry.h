// The registry: a tree of keys with typed values, kept in one SQLite database per user
// ($XDG_DATA_HOME/vantrel/registry.db) that every player of the user shares.
//
// Key and value names match case-insensitively and keep the case they were created with;
// sub-keys list sorted case-insensitively, values in the order they were first written.
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are stored hives (both writable here);
// HKEY_CLASSES_ROOT shows HKCU\Software\Classes laid over HKLM\Software\Classes;
// HKEY_USERS holds ".DEFAULT" and the current user (by login name, the same keys as
// HKEY_CURRENT_USER); HKEY_CURRENT_CONFIG is HKLM\System\CurrentControlSet\Hardware
// Profiles\Current. Other roots hold nothing and refuse writes.
//
// Key paths are backslash-separated below the root; one leading and any trailing
// backslashes are ignored, an empty component, one longer than 255 characters or more
// than 512 levels make the path invalid (nothing found, nothing written). Names and texts are ANSI bytes; the
// database holds them as UTF-8, so the store reads the same under every code page.
//
// Every call is one transaction. Writers wait for each other (busy timeout) and readers
// never wait for writers, so several players can share the store. Failures of the
// database itself (disk full, a lock held past the timeout) throw base::PlatformError;
// missing keys and values are ordinary results. Thread-safe.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RegistryRoot : uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
    PerformanceData = 0x80000004u,
    CurrentConfig = 0x80000005u,
    DynData = 0x80000006u,
};

// "HKEY_CURRENT_USER" or one of the short forms ("HKCU"), any case; nullopt otherwise.
std::optional<RegistryRoot> registryRootByName(std::string_view name);
// "HKEY_CURRENT_USER" etc.; empty for a number that is no root.
std::string registryRootName(RegistryRoot root);

// Registry data types, with the numbers Windows gives them.
enum class RegType : uint32_t {
    None = 0,
    String = 1,
    ExpandString = 2,
    Binary = 3,
    DWord = 4,
    MultiString = 7,
};

// One stored value. For String and ExpandString `data` is the text without its closing
// zero; for DWord four bytes, little-endian; for every other type the raw bytes.
struct RegistryValue {
    uint32_t type = 0;
    std::string data;

    static RegistryValue string(std::string text, RegType type = RegType::String);
    static RegistryValue dword(uint32_t v);
    static RegistryValue binary(std::string bytes, RegType type = RegType::Binary);
    bool isString() const { return type == 1 || type == 2; }
    // The number of a DWord value of four bytes.
    std::optional<uint32_t> dwordValue() const;
    // The bytes Windows would report for the value: strings with their closing zero.
    std::string rawData() const;

    bool operator==(const RegistryValue&) const = default;
};

struct NamedValue {
    std::string name;
    RegistryValue value;
};

// Where a lookup ended: whether the key exists and, if so, the value when it does.
struct RegistryLookup {
    bool keyFound = false;
    std::optional<RegistryValue> value;
};

// One step of a batch (a REGEDIT4 import): create a key, delete a key tree, set or delete
// a value. `root` and `key` address the key as everywhere else.
struct RegistryEdit {
    enum class Kind : uint8_t { CreateKey, DeleteTree, SetValue, DeleteValue };
    Kind kind = Kind::CreateKey;
    RegistryRoot root = RegistryRoot::CurrentUser;
    std::string key;
    std::string name;
    RegistryValue value;
};

enum class KeyCreation : uint8_t { Create, MustExist };

class RegistryStore {
public:
    // Opens the database at `file`, creating it and its folder; writes the seed values
    // that are missing. Throws base::PlatformError when the file cannot be opened.
    static std::unique_ptr<RegistryStore> open(const std::filesystem::path& file);
    // A private store that lives as long as the object (tests, and the fallback when the
    // user's database cannot be opened).
    static std::unique_ptr<RegistryStore> openInMemory();
    ~RegistryStore();

    bool keyExists(RegistryRoot root, std::string_view key) const;
    // Creates every missing key of the path; false when the path is invalid or the root
    // cannot hold it.
    bool createKey(RegistryRoot root, std::string_view key);

    RegistryLookup lookup(RegistryRoot root, std::string_view key, std::string_view name) const;
    std::optional<RegistryValue> value(RegistryRoot root, std::string_view key, std::string_view name) const {
        return lookup(root, key, name).value;
    }
    // A String or ExpandString value, as stored; nullopt for a missing value or another type.
    std::optional<std::string> readString(RegistryRoot root, std::string_view key,
                                          std::string_view name) const;

    // Writes one value (several: in one transaction). False when the key is missing and
    // `creation` is MustExist, or when the path is invalid.
    bool setValue(RegistryRoot root, std::string_view key, std::string_view name, const RegistryValue& v,
                  KeyCreation creation = KeyCreation::Create);
    bool setValues(RegistryRoot root, std::string_view key, const std::vector<NamedValue>& values,
                   KeyCreation creation = KeyCreation::Create);
    // True when the value existed and is gone.
    bool deleteValue(RegistryRoot root, std::string_view key, std::string_view name);

    // Sorted case-insensitively; nullopt when the key does not exist.
    std::optional<std::vector<std::string>> subKeyNames(RegistryRoot root, std::string_view key) const;
    // In the order the values were first written; nullopt when the key does not exist.
    std::optional<std::vector<std::string>> valueNames(RegistryRoot root, std::string_view key) const;

    // Deletes the key with its values when it has no sub-keys and, with `onlyIfEmpty`,
    // no values. A root (a hive, HKU\.DEFAULT, the current user) is never deleted.
    bool deleteKey(RegistryRoot root, std::string_view key, bool onlyIfEmpty = false);
    // Deletes the key with everything below it; true when the key existed and is gone.
    bool deleteTree(RegistryRoot root, std::string_view key);

    // Applies the edits in order, all in one transaction; invalid steps are skipped and
    // counted in the result.
    size_t apply(const std::vector<RegistryEdit>& edits);

    class Impl;

private:
    explicit RegistryStore(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

// The user's database file: $XDG_DATA_HOME/vantrel/registry.db.
std::filesystem::path defaultRegistryFile();

// The process-wide store, opened at first use from defaultRegistryFile(); when that
// fails, a private in-memory store stands in, so the player runs on and forgets its
// writes at exit.
RegistryStore& registry();
// Replaces the process-wide store (tests, tools with their own file).
void setRegistry(std::unique_ptr<RegistryStore> store);

// The player's own keys below HKEY_CURRENT_USER: the product key, and one key per player
// executable named by the executable's full path in script form, so copies of the player
// in different folders keep apart ("Software\Tamberlo\Vantrel\Z:\home\me\vantrel").
inline constexpr std::string_view kProductKey = "Software\\Tamberlo\\Vantrel";
std::string playerKey(std::string_view playerWindowsPath);
// The running player's key, from its executable as the drive table names it at first
// use; fixed for the rest of the process, so the keys of one run never move.
std::string currentPlayerKey();
// Overrides the running player's path in script form (tests and tools).
void setCurrentPlayerPath(std::string windowsPath);

}  // namespace platform
