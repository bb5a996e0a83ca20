#include "base/Json.h"

#include <gtest/gtest.h>

namespace {

TEST(Json, QuotesControlCharactersAndKeepsOrder) {
    base::JsonObject o;
    o.add("kind", "message").add("text", "a\r\nb \"q\" \\ \x01").add("code", 124).add("ok", true);
    o.add("buttons", std::vector<std::string>{"OK", "Cancel"});
    EXPECT_EQ(o.str(),
              "{\"kind\":\"message\",\"text\":\"a\\r\\nb \\\"q\\\" \\\\ \\u0001\",\"code\":124,"
              "\"ok\":true,\"buttons\":[\"OK\",\"Cancel\"]}");
}

}  // namespace
