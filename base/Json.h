// Minimal JSON output for logs: quoting UTF-8 text and building one-line objects.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace base {

// `text` must be UTF-8; control characters are escaped, so CR LF stays visible as \r\n.
std::string jsonQuote(std::string_view text);

// Builds {"key":value,...} in insertion order.
class JsonObject {
public:
    JsonObject& add(std::string_view key, std::string_view utf8Value);
    JsonObject& add(std::string_view key, const char* utf8Value) {
        return add(key, std::string_view(utf8Value));
    }
    JsonObject& add(std::string_view key, long long value);
    JsonObject& add(std::string_view key, int value) { return add(key, static_cast<long long>(value)); }
    JsonObject& add(std::string_view key, bool value);
    JsonObject& add(std::string_view key, const std::vector<std::string>& utf8Values);
    std::string str() const { return "{" + m_body + "}"; }

private:
    void key(std::string_view k);
    std::string m_body;
};

}  // namespace base
