// The player's command line: switches matched as whole arguments, case-insensitively,
// anywhere; the project as the first argument and the debugger handle as the second.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

class CommandLine {
public:
    CommandLine() = default;
    explicit CommandLine(std::vector<std::string> args) : m_args(std::move(args)) {}
    static CommandLine fromMain(int argc, char** argv);

    bool has(std::string_view switchText) const;
    // Argument n (1-based) or empty text.
    std::string argument(size_t n) const;
    const std::vector<std::string>& arguments() const { return m_args; }

    // "DEBUGER:" + a decimal number as the second argument; 0 when absent or not a number.
    uint32_t debuggerHandle() const;

private:
    std::vector<std::string> m_args;  // without the program name, ANSI code page
};

}  // namespace runtime
