#include "library/IniFiles.h"

#include "base/AnsiText.h"
#include "base/DateTime.h"
#include "classes/PropValue.h"
#include "library/Guarded.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"
#include "script/SystemUnit.h"

namespace library {
namespace {

namespace fs = std::filesystem;

constexpr size_t kReadBuffer = 1024;  // the profile functions' buffer: 1023 characters and a zero

bool parseLongint(std::string_view s, int32_t& out) {
    s = base::trimText(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 10) return false;
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int32_t>(v);
    return true;
}

}  // namespace

fs::path iniFilePath(const std::string& fileName) {
    std::string name = fileName.empty() ? std::string("win.ini") : fileName;
    if (name.find_first_of("\\/:") == std::string::npos) {
        return platform::resolvePath(platform::windowsPath(platform::windowsFolder()) + "\\" + name);
    }
    return platform::resolvePath(name);
}

std::string getIniString(const std::string& section, const std::string& key, const std::string& defaultValue,
                         const std::string& fileName) {
    return guardedOr(std::string(), [&] {
        return platform::readProfileString(iniFilePath(fileName), section, key, defaultValue, kReadBuffer);
    });
}

int32_t getIniInt(const std::string& section, const std::string& key, int32_t defaultValue, int32_t min,
                  int32_t max, const std::string& fileName) {
    int32_t v = 0;
    if (!parseLongint(getIniString(section, key, "", fileName), v)) return defaultValue;
    if (min != max && (v < min || v > max)) return defaultValue;
    return v;
}

bool getIniBool(const std::string& section, const std::string& key, bool defaultValue,
                const std::string& fileName) {
    return getIniInt(section, key, defaultValue ? 1 : 0, 0, 0, fileName) != 0;
}

bool iniKeyExists(const std::string& section, const std::string& key, const std::string& fileName) {
    // The same answer as reading twice with two different defaults: only a missing key
    // gives back both defaults.
    return guardedOr(false, [&] {
        return platform::ProfileFile::load(iniFilePath(fileName)).value(section, key).has_value();
    });
}

bool isIniSectionEmpty(const std::string& section, const std::string& fileName) {
    return guardedOr(
        true, [&] { return platform::ProfileFile::load(iniFilePath(fileName)).keyNames(section).empty(); });
}

bool setIniString(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& fileName) {
    return guardedOr(
        false, [&] { return platform::writeProfileString(iniFilePath(fileName), section, key, value); });
}

bool setIniInt(const std::string& section, const std::string& key, int32_t value,
               const std::string& fileName) {
    return setIniString(section, key, std::to_string(value), fileName);
}

bool setIniBool(const std::string& section, const std::string& key, bool value, const std::string& fileName) {
    return setIniString(section, key, value ? "1" : "0", fileName);
}

void deleteIniEntry(const std::string& section, const std::string& key, const std::string& fileName) {
    guardedOr(false, [&] { return platform::deleteProfileKey(iniFilePath(fileName), section, key); });
}

void deleteIniSection(const std::string& section, const std::string& fileName) {
    guardedOr(false, [&] { return platform::deleteProfileSection(iniFilePath(fileName), section); });
}

std::string currencyText(int64_t scaled) {
    uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
    std::string out = scaled < 0 ? "-" : "";
    out += std::to_string(magnitude / 10000);
    if (uint64_t fraction = magnitude % 10000) {
        std::string digits = std::to_string(fraction + 10000).substr(1);
        while (digits.back() == '0') digits.pop_back();
        out += "." + digits;
    }
    return out;
}

void writeToIni(const std::string& fileName, const std::string& section, const std::string& key,
                const classes::Variant& value) {
    using Type = classes::Variant::Type;
    switch (value.type()) {
    case Type::Integer:
    case Type::Int64: setIniInt(section, key, static_cast<int32_t>(value.asInt64()), fileName); break;
    case Type::Single:
    case Type::Double:
    case Type::Extended:
        setIniString(section, key, script::formatFloat(static_cast<double>(value.asFloat())), fileName);
        break;
    case Type::Currency: setIniString(section, key, currencyText(value.asInt64()), fileName); break;
    case Type::Date: {
        const base::DateFormat& format = base::DateFormat::system();
        setIniString(section, key,
                     base::formatDateTime(format.shortDateFormat, double(value.asFloat()), format), fileName);
        break;
    }
    case Type::Boolean: setIniBool(section, key, value.asBoolean(), fileName); break;
    case Type::String: setIniString(section, key, value.asString(), fileName); break;
    default: break;
    }
}

}  // namespace library
