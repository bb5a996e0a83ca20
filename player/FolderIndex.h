// Case-insensitive names in the folders a restore writes to. A folder is read once, the
// first time a name is missing from it, and the names the restore creates are added as
// it goes, so restoring n files into one folder costs n look-ups instead of n readings
// of an ever larger folder. Changes made by others during the restore are not seen.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace player {

class FolderIndex {
public:
    // The names of one folder; the pointer stays valid for the index's life.
    struct Folder {
        bool read = false;
        std::unordered_map<std::string, std::string> names;  // folded -> first name
    };

    // The folder open as `dirfd`; null when it cannot be examined.
    Folder* folder(int dirfd);

    // The entry of the folder `dirfd` named `wanted`, else its case-insensitive match
    // (the first in byte order when there are several), else `wanted` itself. Names are
    // UTF-8, compared with simple case folding.
    std::string entryName(Folder* folder, int dirfd, const std::string& wanted);
    std::string entryName(int dirfd, const std::string& wanted) {
        return entryName(folder(dirfd), dirfd, wanted);
    }
    // Records a name just created in the folder.
    void added(Folder* folder, const std::string& name);
    void added(int dirfd, const std::string& name) { added(folder(dirfd), name); }

    // The key under which two names are the same file name.
    static std::string fold(std::string_view name);

private:
    std::map<std::pair<dev_t, ino_t>, Folder> m_folders;
};

}  // namespace player
