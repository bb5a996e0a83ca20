#include "runtime/CommandLine.h"

#include <cctype>
#include <limits>

#include "base/AnsiText.h"
#include "base/CodePage.h"

namespace runtime {
namespace {

// Whole-text integer conversion as the run-time's StrToInt: optional sign, decimal or
// "$" hexadecimal, 32-bit range; nullopt for anything else.
bool parseInteger(std::string_view s, int32_t& out) {
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    unsigned base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    }
    if (s.empty()) return false;
    int64_t n = 0;
    for (char c : s) {
        auto uc = static_cast<unsigned char>(c);
        int digit = std::isdigit(uc)                    ? c - '0'
                    : (base == 16 && std::isxdigit(uc)) ? std::tolower(uc) - 'a' + 10
                                                        : -1;
        if (digit < 0) return false;
        n = n * base + digit;
        if (n > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return false;
    }
    if (negative) n = -n;
    if (base == 10 && (n > std::numeric_limits<int32_t>::max() || n < std::numeric_limits<int32_t>::min())) {
        return false;
    }
    out = static_cast<int32_t>(static_cast<uint32_t>(n));
    return true;
}

}  // namespace

CommandLine CommandLine::fromMain(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(base::CodePage::active().fromUtf8(argv[i]));
    return CommandLine(std::move(args));
}

bool CommandLine::has(std::string_view switchText) const {
    for (const auto& a : m_args) {
        if (base::ansiSameText(a, switchText)) return true;
    }
    return false;
}

std::string CommandLine::argument(size_t n) const {
    return n >= 1 && n <= m_args.size() ? m_args[n - 1] : "";
}

uint32_t CommandLine::debuggerHandle() const {
    std::string second = argument(2);
    if (second.size() < 8 || !base::ansiSameText(std::string_view(second).substr(0, 8), "DEBUGER:")) return 0;
    int32_t handle = 0;
    if (!parseInteger(std::string_view(second).substr(8), handle)) return 0;
    return static_cast<uint32_t>(handle);
}

}  // namespace runtime
