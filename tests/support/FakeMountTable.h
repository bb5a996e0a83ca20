// A mount table a test writes: mounts, their sizes, removable devices and labels, standing in
// for /proc/self/mountinfo, statvfs, sysfs and /dev/disk/by-label.
#pragma once

#include <map>
#include <set>

#include "platform/Drives.h"

class FakeMountTable final : public platform::MountTable {
public:
    struct Mount {
        platform::MountEntry entry;
        std::optional<platform::SpaceInfo> space;
        bool removable = false;
        std::string label;
        bool writable = true;
    };
    std::vector<Mount> list;

    FakeMountTable& add(const std::filesystem::path& point, const std::string& type,
                        const std::string& source, unsigned major = 0, unsigned minor = 0) {
        Mount m;
        m.entry = {point, type, source, major, minor};
        m.space = platform::SpaceInfo{1000000, 250000, false};
        list.push_back(m);
        return *this;
    }
    Mount& last() { return list.back(); }

    std::vector<platform::MountEntry> mounts() override {
        std::vector<platform::MountEntry> out;
        for (const auto& m : list) out.push_back(m.entry);
        return out;
    }
    std::optional<platform::SpaceInfo> space(const std::filesystem::path& path) override {
        const Mount* best = nullptr;
        for (const auto& m : list) {
            std::string p = path.string(), mp = m.entry.mountPoint.string();
            bool under = p == mp || mp == "/" || (p.compare(0, mp.size(), mp) == 0 && p[mp.size()] == '/');
            if (under && (!best || mp.size() >= best->entry.mountPoint.string().size())) best = &m;
        }
        return best ? best->space : std::nullopt;
    }
    bool removable(unsigned major, unsigned minor) override {
        for (const auto& m : list)
            if (m.entry.major == major && m.entry.minor == minor) return m.removable;
        return false;
    }
    std::string label(const platform::MountEntry& mount) override {
        for (const auto& m : list)
            if (m.entry.mountPoint == mount.mountPoint) return m.label;
        return {};
    }
    bool writable(const std::filesystem::path& folder) override {
        for (const auto& m : list)
            if (m.entry.mountPoint == folder) return m.writable;
        return true;
    }
};
