#include "player/FolderIndex.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/CodePage.h"

namespace player {

std::string FolderIndex::fold(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t pos = 0; pos < name.size();)
        base::appendUtf8(out, base::unicodeLower(base::decodeUtf8(name, pos)));
    return out;
}

FolderIndex::Names* FolderIndex::folder(int dirfd, bool build) {
    struct stat st;
    if (::fstat(dirfd, &st) != 0) return nullptr;
    const auto key = std::make_pair(st.st_dev, st.st_ino);
    if (auto it = m_folders.find(key); it != m_folders.end()) return &it->second;
    if (!build) return nullptr;

    int dup = ::openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dup < 0) return nullptr;
    DIR* dir = ::fdopendir(dup);
    if (!dir) {
        ::close(dup);
        return nullptr;
    }
    Names& names = m_folders[key];
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        auto [it, inserted] = names.try_emplace(fold(name), name);
        if (!inserted && name < it->second) it->second = std::move(name);
    }
    ::closedir(dir);
    return &names;
}

std::string FolderIndex::entryName(int dirfd, const std::string& wanted) {
    struct stat st;
    if (::fstatat(dirfd, wanted.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return wanted;
    Names* names = folder(dirfd, true);
    if (!names) return wanted;
    auto it = names->find(fold(wanted));
    return it == names->end() ? wanted : it->second;
}

void FolderIndex::added(int dirfd, const std::string& name) {
    // A folder never read needs no entry: it is read in full when first asked.
    Names* names = folder(dirfd, false);
    if (!names) return;
    auto [it, inserted] = names->try_emplace(fold(name), name);
    if (!inserted && name < it->second) it->second = name;
}

}  // namespace player
