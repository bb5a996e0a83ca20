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
    // The entry of the folder `dirfd` named `wanted`, else its case-insensitive match
    // (the first in byte order when there are several), else `wanted` itself. Names are
    // UTF-8, compared with simple case folding.
    std::string entryName(int dirfd, const std::string& wanted);
    // Records a name just created in the folder `dirfd`.
    void added(int dirfd, const std::string& name);

    // The key under which two names are the same file name.
    static std::string fold(std::string_view name);

private:
    using Names = std::unordered_map<std::string, std::string>;  // folded -> first name
    Names* folder(int dirfd, bool build);

    std::map<std::pair<dev_t, ino_t>, Names> m_folders;
};

}  // namespace player
