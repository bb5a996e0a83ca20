#include "platform/RegistryText.h"

#include <cstdio>

#include "base/AnsiText.h"
#include "base/Error.h"

namespace platform {
namespace {

constexpr size_t kHexLineWidth = 77;  // ",\" ends a wrapped line at 80 characters at most

std::string escapedText(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

void appendHex(std::string& out, size_t lineStart, std::string_view bytes) {
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (out.size() - lineStart + 3 > kHexLineWidth) {
            out += "\\\r\n  ";
            lineStart = out.size() - 2;
        }
        auto b = static_cast<unsigned char>(bytes[i]);
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
        if (i + 1 < bytes.size()) out.push_back(',');
    }
}

void appendValue(std::string& out, std::string_view name, const RegistryValue& v) {
    const size_t lineStart = out.size();
    out += name.empty() ? std::string("@") : escapedText(name);
    out.push_back('=');
    if (v.type == uint32_t(RegType::String) &&
        v.data.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos) {
        out += escapedText(v.data);
    } else if (auto dword = v.dwordValue()) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", *dword);
        out += buf;
    } else {
        if (v.type == uint32_t(RegType::Binary)) {
            out += "hex:";
        } else {
            char buf[24];
            std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
            out += buf;
        }
        appendHex(out, lineStart, v.rawData());
    }
    out += "\r\n";
}

void appendKey(const RegistryStore& store, RegistryRoot root, const std::string& key, std::string& out) {
    out.append("[").append(registryRootName(root));
    if (!key.empty()) out.append("\\").append(key);
    out.append("]\r\n");
    if (auto names = store.valueNames(root, key)) {
        for (const std::string& name : *names) {
            if (auto v = store.value(root, key, name)) appendValue(out, name, *v);
        }
    }
    out += "\r\n";
    if (auto subs = store.subKeyNames(root, key)) {
        for (const std::string& sub : *subs)
            appendKey(store, root, key.empty() ? sub : key + "\\" + sub, out);
    }
}

[[noreturn]] void lineError(size_t line, const std::string& message) {
    throw base::Error("line " + std::to_string(line) + ": " + message);
}

// Reads a quoted text starting at s[pos] == '"'; pos ends behind the closing quote.
std::string readQuoted(std::string_view s, size_t& pos, size_t line) {
    std::string out;
    for (++pos; pos < s.size(); ++pos) {
        char c = s[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) c = s[++pos];
        out.push_back(c);
    }
    lineError(line, "missing closing quote");
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string readHexBytes(std::string_view s, size_t line) {
    std::string out;
    size_t pos = 0;
    while (true) {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
        if (pos >= s.size()) break;
        int hi = hexDigit(s[pos]);
        int lo = pos + 1 < s.size() ? hexDigit(s[pos + 1]) : -1;
        if (hi < 0) lineError(line, "bad hex byte");
        if (lo < 0) {
            // A single digit is a byte too.
            out.push_back(static_cast<char>(hi));
            ++pos;
        } else {
            out.push_back(static_cast<char>(hi * 16 + lo));
            pos += 2;
        }
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
        if (pos >= s.size()) break;
        if (s[pos] != ',') lineError(line, "bad hex byte");
        ++pos;
    }
    return out;
}

bool parseHexNumber(std::string_view s, uint32_t& out) {
    if (s.empty() || s.size() > 8) return false;
    out = 0;
    for (char c : s) {
        int d = hexDigit(c);
        if (d < 0) return false;
        out = out * 16 + uint32_t(d);
    }
    return true;
}

RegistryValue parseData(std::string_view data, size_t line) {
    if (!data.empty() && data.front() == '"') {
        size_t pos = 0;
        std::string text = readQuoted(data, pos, line);
        std::string_view rest = base::trimText(data.substr(pos));
        if (!rest.empty() && rest.front() != ';') lineError(line, "text after the closing quote");
        return RegistryValue::string(std::move(text));
    }
    if (base::ansiStartsWithText(data, "dword:")) {
        uint32_t v = 0;
        if (!parseHexNumber(base::trimText(data.substr(6)), v)) lineError(line, "bad dword");
        return RegistryValue::dword(v);
    }
    uint32_t type = uint32_t(RegType::Binary);
    if (base::ansiStartsWithText(data, "hex(")) {
        size_t close = data.find(')');
        if (close == std::string_view::npos || !parseHexNumber(data.substr(4, close - 4), type)) {
            lineError(line, "bad hex type");
        }
        data.remove_prefix(close + 1);
    } else if (base::ansiStartsWithText(data, "hex")) {
        data.remove_prefix(3);
    } else {
        lineError(line, "unknown value data");
    }
    if (data.empty() || data.front() != ':') lineError(line, "missing ':' after hex");
    std::string bytes = readHexBytes(data.substr(1), line);
    RegistryValue v{type, std::move(bytes)};
    // Strings keep their text without the closing zero.
    if (v.isString() && !v.data.empty() && v.data.back() == '\0') v.data.pop_back();
    return v;
}

}  // namespace

bool splitRegistryPath(std::string_view full, RegistryRoot& root, std::string& key) {
    size_t sep = full.find('\\');
    auto r = registryRootByName(full.substr(0, sep));
    if (!r) return false;
    root = *r;
    key = sep == std::string_view::npos ? std::string() : std::string(full.substr(sep + 1));
    return true;
}

std::string exportRegistryText(const RegistryStore& store, RegistryRoot root, std::string_view key) {
    if (!store.keyExists(root, key)) {
        throw base::Error("no such key: " + registryRootName(root) + (key.empty() ? "" : "\\") +
                          std::string(key));
    }
    std::string k(key);
    while (!k.empty() && k.back() == '\\') k.pop_back();
    if (!k.empty() && k.front() == '\\') k.erase(0, 1);
    std::string out = "REGEDIT4\r\n\r\n";
    appendKey(store, root, k, out);
    return out;
}

std::string exportRegistryText(const RegistryStore& store) {
    std::string out = "REGEDIT4\r\n\r\n";
    appendKey(store, RegistryRoot::LocalMachine, "", out);
    appendKey(store, RegistryRoot::CurrentUser, "", out);
    appendKey(store, RegistryRoot::Users, ".DEFAULT", out);
    return out;
}

std::vector<RegistryEdit> parseRegistryText(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos <= text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }
    std::vector<RegistryEdit> edits;
    bool header = false;
    bool haveKey = false;
    RegistryRoot root = RegistryRoot::CurrentUser;
    std::string key;
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t lineNo = i + 1;
        std::string_view line = base::trimText(lines[i]);
        if (line.empty() || line.front() == ';') continue;
        if (!header) {
            if (line != "REGEDIT4")
                lineError(lineNo, "not a REGEDIT4 file (the first line must be \"REGEDIT4\")");
            header = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') lineError(lineNo, "missing ']'");
            std::string_view inner = line.substr(1, line.size() - 2);
            bool remove = !inner.empty() && inner.front() == '-';
            if (remove) inner.remove_prefix(1);
            if (!splitRegistryPath(inner, root, key)) lineError(lineNo, "unknown root key");
            edits.push_back(
                {remove ? RegistryEdit::Kind::DeleteTree : RegistryEdit::Kind::CreateKey, root, key, {}, {}});
            haveKey = !remove;
            continue;
        }
        if (line.front() != '"' && line.front() != '@') lineError(lineNo, "expected a key or a value");
        if (!haveKey) lineError(lineNo, "value outside a key");
        size_t pos = 0;
        std::string name;
        if (line.front() == '@') {
            pos = 1;
        } else {
            name = readQuoted(line, pos, lineNo);
        }
        std::string_view rest = base::trimText(line.substr(pos));
        if (rest.empty() || rest.front() != '=') lineError(lineNo, "missing '='");
        rest = base::trimText(rest.substr(1));
        if (rest == "-") {
            edits.push_back({RegistryEdit::Kind::DeleteValue, root, key, std::move(name), {}});
            continue;
        }
        // Hex data may continue over several lines, each but the last ending in a backslash.
        std::string joined;
        if (!rest.empty() && rest.front() != '"') {
            while (!rest.empty() && rest.back() == '\\' && i + 1 < lines.size()) {
                joined.append(rest.substr(0, rest.size() - 1));
                rest = base::trimText(lines[++i]);
            }
            joined.append(rest);
            rest = joined;
        }
        edits.push_back({RegistryEdit::Kind::SetValue, root, key, std::move(name), parseData(rest, lineNo)});
    }
    if (!header) lineError(1, "not a REGEDIT4 file (the first line must be \"REGEDIT4\")");
    return edits;
}

}  // namespace platform
