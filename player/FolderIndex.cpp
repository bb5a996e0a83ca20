#include "player/FolderIndex.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/CodePage.h"

namespace player {
namespace {

void keepFirst(FolderIndex::Folder& folder, const std::string& name) {
    auto [it, inserted] = folder.names.try_emplace(FolderIndex::fold(name), name);
    if (!inserted && name < it->second) it->second = name;
}

void readFolder(FolderIndex::Folder& folder, int dirfd) {
    folder.read = true;
    int dup = ::openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dup < 0) return;
    DIR* dir = ::fdopendir(dup);
    if (!dir) {
        ::close(dup);
        return;
    }
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") keepFirst(folder, name);
    }
    ::closedir(dir);
}

}  // namespace

std::string FolderIndex::fold(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t pos = 0; pos < name.size();)
        base::appendUtf8(out, base::unicodeLower(base::decodeUtf8(name, pos)));
    return out;
}

FolderIndex::Folder* FolderIndex::folder(int dirfd) {
    struct stat st;
    if (::fstat(dirfd, &st) != 0) return nullptr;
    return &m_folders[std::make_pair(st.st_dev, st.st_ino)];
}

std::string FolderIndex::entryName(Folder* folder, int dirfd, const std::string& wanted) {
    struct stat st;
    if (::fstatat(dirfd, wanted.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return wanted;
    if (!folder) return wanted;
    if (!folder->read) readFolder(*folder, dirfd);
    auto it = folder->names.find(fold(wanted));
    return it == folder->names.end() ? wanted : it->second;
}

void FolderIndex::added(Folder* folder, const std::string& name) {
    // A folder never read needs no entry: it is read in full when first asked.
    if (folder && folder->read) keepFirst(*folder, name);
}

}  // namespace player
