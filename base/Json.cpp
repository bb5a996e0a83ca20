#include "base/Json.h"

#include <cstdio>

namespace base {

std::string jsonQuote(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out.push_back(ch);
            }
        }
    }
    out.push_back('"');
    return out;
}

void JsonObject::key(std::string_view k) {
    if (!m_body.empty()) m_body.push_back(',');
    m_body += jsonQuote(k);
    m_body.push_back(':');
}

JsonObject& JsonObject::add(std::string_view k, std::string_view utf8Value) {
    key(k);
    m_body += jsonQuote(utf8Value);
    return *this;
}

JsonObject& JsonObject::add(std::string_view k, long long value) {
    key(k);
    m_body += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::add(std::string_view k, bool value) {
    key(k);
    m_body += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::add(std::string_view k, const std::vector<std::string>& utf8Values) {
    key(k);
    m_body.push_back('[');
    for (size_t i = 0; i < utf8Values.size(); ++i) {
        if (i) m_body.push_back(',');
        m_body += jsonQuote(utf8Values[i]);
    }
    m_body.push_back(']');
    return *this;
}

}  // namespace base
