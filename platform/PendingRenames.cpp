#include "platform/PendingRenames.h"

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr std::string_view kKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr std::string_view kValue = "PendingFileRenameOperations";

// The multi-string's texts: each ends in a zero; an empty one may stand for "delete".
std::vector<std::string> texts(const std::string& data) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < data.size()) {
        const size_t end = data.find('\0', at);
        if (end == std::string::npos) break;
        out.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

bool carryOut(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (to.empty()) return fs::remove(from, ec);
    fs::rename(from, to, ec);
    if (!ec) return true;
    // Across file systems a rename is a copy, then the source goes.
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) return false;
    fs::remove(from, ec);
    return true;
}

}  // namespace

bool scheduleRename(const fs::path& from, const fs::path& to) {
    if (from.empty()) return false;
    RegistryStore& reg = registry();
    std::string data;
    if (auto v = reg.value(RegistryRoot::LocalMachine, kKey, kValue);
        v && v->type == uint32_t(RegType::MultiString))
        data = v->data;
    data += from.string() + '\0' + to.string() + '\0';
    return reg.setValue(RegistryRoot::LocalMachine, kKey, kValue,
                        RegistryValue::binary(data, RegType::MultiString));
}

size_t applyPendingRenames() {
    RegistryStore& reg = registry();
    const auto v = reg.value(RegistryRoot::LocalMachine, kKey, kValue);
    if (!v) return 0;
    reg.deleteValue(RegistryRoot::LocalMachine, kKey, kValue);
    const std::vector<std::string> list = texts(v->data);
    size_t done = 0;
    for (size_t i = 0; i + 1 < list.size(); i += 2)
        if (!list[i].empty() && carryOut(list[i], list[i + 1])) ++done;
    return done;
}

}  // namespace platform
