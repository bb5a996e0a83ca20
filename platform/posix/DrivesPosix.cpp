// The system's mount table: /proc/self/mountinfo, statvfs, sysfs for removable media and
// /dev/disk/by-label for volume labels.
#include <sys/statvfs.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/Drives.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

std::string readFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// udev writes unsafe characters of a label as "\xHH".
std::string decodeLabel(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            std::isxdigit(name[i + 2] & 0xFF) && std::isxdigit(name[i + 3] & 0xFF)) {
            out.push_back(
                static_cast<char>(std::strtol(std::string(name.substr(i + 2, 2)).c_str(), nullptr, 16)));
            i += 3;
        } else {
            out.push_back(name[i]);
        }
    }
    return out;
}

class SystemMountTable final : public MountTable {
public:
    std::vector<MountEntry> mounts() override {
        std::ifstream in("/proc/self/mountinfo");
        std::ostringstream text;
        text << in.rdbuf();
        return parseMountInfo(text.str());
    }

    std::optional<SpaceInfo> space(const fs::path& path) override {
        struct statvfs sv;
        if (::statvfs(path.c_str(), &sv) != 0) return std::nullopt;
        SpaceInfo s;
        s.total = static_cast<uint64_t>(sv.f_blocks) * sv.f_frsize;
        s.available = static_cast<uint64_t>(sv.f_bavail) * sv.f_frsize;
        s.readOnly = (sv.f_flag & ST_RDONLY) != 0;
        return s;
    }

    bool removable(unsigned major, unsigned minor) override {
        std::error_code ec;
        fs::path dev =
            fs::canonical("/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor), ec);
        if (ec) return false;
        if (fs::exists(dev / "partition", ec)) dev = dev.parent_path();
        return readFirstLine(dev / "removable") == "1";
    }

    std::string label(const MountEntry& mount) override {
        std::error_code ec;
        if (mount.source.empty() || mount.source[0] != '/') return {};
        fs::path device = fs::canonical(mount.source, ec);
        if (ec) return {};
        for (fs::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code ec2;
            if (fs::canonical(it->path(), ec2) == device && !ec2)
                return decodeLabel(it->path().filename().string());
        }
        return {};
    }

    bool writable(const fs::path& folder) override { return ::access(folder.c_str(), W_OK) == 0; }
};

}  // namespace

std::unique_ptr<MountTable> systemMountTable() { return std::make_unique<SystemMountTable>(); }

}  // namespace platform
