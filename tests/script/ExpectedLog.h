// Test helper for scripts that carry their expected output: trailing "// expect: LINE"
// comments list, line by line, what the script logs.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string readTextFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The text after `marker` on each line that has it, one per line.
inline std::string taggedLines(const std::string& source, const std::string& marker = "// expect: ") {
    std::string out, line;
    std::istringstream in(source);
    while (std::getline(in, line)) {
        size_t at = line.find(marker);
        if (at != std::string::npos) out += line.substr(at + marker.size()) + "\n";
    }
    return out;
}
