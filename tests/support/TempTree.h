// A private folder for a test's files, removed with everything in it (read-only folders too)
// when the test ends; paths in native and in the Windows form scripts use.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Paths.h"

class TempTree {
public:
    explicit TempTree(const std::string& tag) {
        static int counter = 0;
        m_root = std::filesystem::temp_directory_path() /
                 ("vantrel-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        remove();
        std::filesystem::create_directories(m_root);
    }
    ~TempTree() { remove(); }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path native(const std::string& rel = {}) const {
        return rel.empty() ? m_root : m_root / rel;
    }
    // "Z:\tmp\vantrel-tag-1-0\rel" (backslashes), through the process-wide drive table.
    std::string win(const std::string& rel = {}) const {
        std::string w = platform::windowsPath(m_root);
        if (!rel.empty()) {
            std::string r = rel;
            for (char& c : r)
                if (c == '/') c = '\\';
            w += "\\" + r;
        }
        return w;
    }
    std::filesystem::path write(const std::string& rel, const std::string& content) const {
        std::filesystem::path p = native(rel);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }
    std::string read(const std::string& rel) const {
        std::ifstream in(native(rel), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool exists(const std::string& rel) const {
        struct stat st;
        return ::lstat(native(rel).c_str(), &st) == 0;
    }

private:
    void remove() {
        std::error_code ec;
        if (!std::filesystem::exists(m_root, ec)) return;
        for (auto it = std::filesystem::recursive_directory_iterator(m_root, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
        }
        ::chmod(m_root.c_str(), 0700);
        std::filesystem::remove_all(m_root, ec);
    }
    std::filesystem::path m_root;
};

// Permission bits do not bind root; tests of them skip with the reason.
inline bool runningAsRoot() { return ::geteuid() == 0; }
#define SKIP_IF_ROOT() \
    if (runningAsRoot()) GTEST_SKIP() << "running as root: permission bits do not restrict root"
