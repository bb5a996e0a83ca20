// Unique names and the player's temporary folders: the temporary application folder
// ("zep-XXXXX_al" in the user's temporary folder), the embedded folder inside it, the
// list of temporary files removed at exit, and the sweep of folders left by players that
// died without cleaning up.
//
// A live player holds an exclusive lock (flock) on ".vantrel.lock" inside its folder for
// its whole life; the lock dies with the process however it ends, so a folder whose lock
// can be taken belongs to no running player. Everything made inside the folder passes
// the WriteGate, which the exit path closes before the folder is removed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace player {

inline constexpr uint32_t kUniqueNameSpace = 1u << 25;  // five base-32 digits

// folder + "zep-" + five base-32 digits + suffix: the first such path, counting on from
// a random start, that names neither a file nor a folder. Throws base::Error with the
// system's "too many files" message when every name is taken.
std::filesystem::path uniqueName(const std::filesystem::path& folder, std::string_view suffix);

// The same over any existence test and name space; the search begins after `start`.
std::filesystem::path uniqueNameWith(const std::filesystem::path& folder, std::string_view suffix,
                                     const std::function<bool(const std::filesystem::path&)>& exists,
                                     uint32_t start, uint32_t space = kUniqueNameSpace);

// The five-character base-32 form of the low 25 bits of `n`.
std::string base32Name(uint32_t n);

class TempFolders {
public:
    static TempFolders& instance();

    // Creates the temporary application folder (mode 0700) inside the first of
    // `candidates` that allows it and takes its lock. Returns false, leaving the player
    // without one, when every candidate refuses or the cleanup has already run.
    bool createAppFolder(const std::vector<std::filesystem::path>& candidates);
    bool createAppFolder(const std::filesystem::path& userTemp) {
        return createAppFolder(std::vector<std::filesystem::path>{userTemp});
    }

    std::filesystem::path appFolder() const;
    // The user's temporary folder that holds the application folder; empty without one.
    std::filesystem::path userTemp() const;

    // A new folder (mode 0700) inside the application folder, named by the unique-name
    // rule with `suffix`. Throws base::Error when there is no application folder or the
    // folder cannot be made: nothing may be written anywhere else.
    std::filesystem::path makeFolder(std::string_view suffix);
    std::filesystem::path embeddedFolder() const;
    void setEmbeddedFolder(std::filesystem::path folder);

    // Paths removed at exit, last added first.
    void addTemporaryFile(std::filesystem::path path);

    // Removes the listed files, the files inside the application folder, and finally the
    // folder with everything still in it. Errors are ignored; runs once.
    void cleanup();

    // Removes folders of dead players from `userTemp`; returns how many were removed.
    static int removeStaleFolders(const std::filesystem::path& userTemp);

private:
    mutable std::mutex m_mutex;
    std::filesystem::path m_appFolder;
    std::filesystem::path m_userTemp;
    std::filesystem::path m_embeddedFolder;
    std::vector<std::filesystem::path> m_files;
    int m_lockFd = -1;
    bool m_cleaned = false;
};

}  // namespace player
