#include "platform/FileOperation.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "base/CodePage.h"
#include "base/UniqueFd.h"
#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/EventPump.h"
#include "platform/FindFiles.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr const char* kAttributesXattr = "user.vantrel.attributes";
constexpr off_t kChunk = 64 << 20;  // bytes per copy call: tens of milliseconds, so Cancel stays responsive
constexpr auto kStepInterval = std::chrono::milliseconds(100);
// What one entry weighs in the progress besides its bytes: creating or removing a file costs
// about as much as moving a few kilobytes, so a tree of small files still moves the bar.
constexpr uint64_t kEntryWeight = 8192;

struct Failed {
    std::string message;
};
struct Aborted {};

struct Item {
    fs::path path;     // native
    std::string name;  // Windows form, for questions and errors
};

std::string ansi(const fs::path& p) { return base::CodePage::active().fromUtf8(p.filename().string()); }

std::string reason(int err) {
    switch (err) {
    case ENOENT: return "The system cannot find the file specified.";
    case EACCES:
    case EPERM: return "Access is denied.";
    case ENOSPC: return "There is not enough space on the disk.";
    case EROFS: return "The media is write protected.";
    case ENAMETOOLONG: return "The file name is too long.";
    default: return std::string(std::strerror(err)) + ".";
    }
}

fs::path homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

// The path with its folders made canonical but its last component kept as it is, so a link
// is judged as the link, not as what it points to.
fs::path canonicalParent(const fs::path& p) {
    std::error_code ec;
    fs::path n = p.lexically_normal();
    if (!n.has_filename()) n = n.parent_path();
    if (n == n.root_path()) return n;
    return fs::weakly_canonical(n.parent_path(), ec) / n.filename();
}

bool isAncestorOrSelf(const fs::path& ancestor, const fs::path& path) {
    auto [a, p] = std::mismatch(ancestor.begin(), ancestor.end(), path.begin(), path.end());
    return a == ancestor.end();
}

// Folders whose loss would be a disaster: "/", the drive roots, mount points, the home folder
// and everything above it. Gathered once per operation.
class ProtectedFolders {
public:
    ProtectedFolders() {
        std::error_code ec;
        m_folders.push_back("/");
        for (char l = 'A'; l <= 'Z'; ++l) {
            if (auto root = drives().root(l)) m_folders.push_back(fs::weakly_canonical(*root, ec));
        }
        for (const MountEntry& m : mountTable().mounts()) m_folders.push_back(m.mountPoint);
        fs::path home = homeFolder();
        if (!home.empty()) m_home = fs::weakly_canonical(home, ec);
        std::sort(m_folders.begin(), m_folders.end());
    }
    bool contains(const fs::path& p) const {
        if (std::binary_search(m_folders.begin(), m_folders.end(), p)) return true;
        return !m_home.empty() && isAncestorOrSelf(p, m_home);
    }

private:
    std::vector<fs::path> m_folders;
    fs::path m_home;
};

class Engine {
public:
    explicit Engine(const FileOperation& op) : m_op(op), m_yesToAll(op.flags & kFofNoConfirmation) {}

    FileOperationResult run() {
        try {
            if (m_op.kind == FileOperationKind::Copy) {
                copy();
            } else {
                remove();
            }
        } catch (const Aborted&) {
            m_result.status = FileOperationStatus::Aborted;
            m_result.anyAborted = true;
        } catch (const Failed& f) {
            m_result.status = FileOperationStatus::Failed;
            m_result.error = f.message;
            if (!(m_op.flags & kFofNoErrorUi)) {
                const char* caption = m_op.kind == FileOperationKind::Copy ? "Error Copying File or Folder"
                                                                           : "Error Deleting File or Folder";
                dialogs().messageBox(f.message, caption, MB_OK | MB_ICONERROR);
            }
        }
        return m_result;
    }

private:
    // Sources: the items they name; `wildcards` tells whether any used a pattern.
    std::vector<Item> expandSources(bool& wildcards) {
        const char* verb = m_op.kind == FileOperationKind::Copy ? "copy" : "delete";
        std::vector<Item> items;
        wildcards = false;
        for (const std::string& source : m_op.sources) {
            if (source.empty()) continue;
            auto [folder, last] = splitLastComponent(source);
            if (hasWildcards(last)) {
                wildcards = true;
                for (FoundFile& f : findFiles(source)) {
                    if (f.name == "." || f.name == "..") continue;
                    items.push_back({f.path, folder + f.name});
                }
                continue;
            }
            fs::path p = resolvePath(source);
            struct stat st;
            if (p.empty() || ::lstat(p.c_str(), &st) != 0)
                throw Failed{"Cannot " + std::string(verb) + " " + source + ": " + reason(ENOENT)};
            items.push_back({p, source});
        }
        return items;
    }

    int ask(const std::string& caption, const std::string& text, std::vector<int> buttons, int escape) {
        DialogRequest r;
        r.kind = DialogKind::Message;
        r.caption = caption;
        r.text = text;
        r.icon = DialogIcon::Question;
        r.buttons = std::move(buttons);
        r.escapeButton = escape;
        return dialogs().ask(r).button;
    }

    void openProgress(const char* caption) {
        if (m_op.flags & kFofSilent) return;
        bool simple = m_op.flags & kFofSimpleProgress;
        m_progress =
            dialogs().progress(simple && !m_op.progressTitle.empty() ? m_op.progressTitle : caption, "");
    }

    // Called between pieces of work: shows progress, runs pending messages, notices Cancel.
    void step(const fs::path& path, double fraction) {
        auto now = std::chrono::steady_clock::now();
        if (now - m_lastStep < kStepInterval) return;
        m_lastStep = now;
        if (m_progress) {
            bool simple = m_op.flags & kFofSimpleProgress;
            if (!m_progress->step(simple ? std::string() : windowsPath(path), fraction)) throw Aborted{};
        } else {
            processMessages();
        }
    }
    double fraction(uint64_t withinEntry = 0) const {
        if (m_total == 0) return -1;
        return std::min(1.0, static_cast<double>(m_done + withinEntry) / static_cast<double>(m_total));
    }

    // Weighs what the items hold before the work starts, so the bar moves evenly through a
    // single folder too. Only for a visible window: the walk costs a stat per entry.
    void measure(const std::vector<Item>& items, bool withBytes) {
        if (!m_progress) return;
        for (const Item& item : items) {
            base::UniqueFd parent(
                ::open(item.path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (parent) m_total += weigh(parent.get(), item.path.filename().string(), withBytes);
        }
    }
    uint64_t weigh(int dirFd, const std::string& name, bool withBytes) {
        struct stat st;
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return 0;
        uint64_t weight = kEntryWeight;
        if (S_ISREG(st.st_mode) && withBytes) weight += static_cast<uint64_t>(st.st_size);
        if (!S_ISDIR(st.st_mode)) return weight;
        base::UniqueFd dir(::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!dir) return weight;
        try {
            for (const std::string& child : entryNames(dir.get(), name))
                weight += weigh(dir.get(), child, withBytes);
        } catch (const Failed&) {
            // An unreadable folder weighs what was found; the work itself reports it.
        }
        return weight;
    }
    void advance(const fs::path& path, uint64_t weight) {
        m_done += weight;
        step(path, fraction());
    }

    // ---- copy ----

    void copy() {
        bool wildcards = false;
        std::vector<Item> items = expandSources(wildcards);
        if (m_op.target.empty()) throw Failed{"Cannot copy: no target was given."};
        fs::path target = resolvePath(m_op.target);
        if (target.empty()) throw Failed{"Cannot copy to " + m_op.target + ": " + reason(ENOENT)};
        struct stat tst;
        const bool targetIsFolder = ::stat(target.c_str(), &tst) == 0 && S_ISDIR(tst.st_mode);
        const bool asTarget = m_op.sources.size() == 1 && !wildcards && !targetIsFolder;
        if (items.empty()) return;
        for (const Item& item : items)
            checkNotIntoItself(item, asTarget ? target : target / item.path.filename());

        openProgress("Copying...");
        measure(items, true);
        fs::path folder = asTarget ? target.parent_path() : target;
        ensureFolder(folder, asTarget ? m_op.target.substr(0, m_op.target.find_last_of("\\/")) : m_op.target);
        base::UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folderFd) throw Failed{"Cannot copy to " + m_op.target + ": " + reason(errno)};
        for (const Item& item : items) {
            base::UniqueFd parent(
                ::open(item.path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (!parent) throw Failed{"Cannot copy " + item.name + ": " + reason(errno)};
            fs::path dst = asTarget ? target : folder / item.path.filename();
            if (!confirmFolderMerge(parent.get(), item.path, folderFd.get(), dst)) continue;
            copyEntry(parent.get(), item.path, folderFd.get(), dst, false);
        }
    }

    void checkNotIntoItself(const Item& item, const fs::path& dst) {
        struct stat s, d;
        if (::lstat(item.path.c_str(), &s) != 0) return;
        if (S_ISDIR(s.st_mode)) {
            std::error_code ec;
            fs::path src = fs::weakly_canonical(item.path, ec);
            if (isAncestorOrSelf(src, canonicalParent(dst)))
                throw Failed{"Cannot copy " + item.name +
                             ": The destination folder is a subfolder of the source folder."};
        } else if (::stat(dst.c_str(), &d) == 0 && d.st_dev == s.st_dev && d.st_ino == s.st_ino) {
            throw Failed{"Cannot copy " + item.name +
                         ": The source and destination file names are the same."};
        }
    }

    // Creates `folder` and its missing parents, asking first unless told not to.
    void ensureFolder(const fs::path& folder, const std::string& name) {
        std::error_code ec;
        if (fs::is_directory(folder, ec)) return;
        if (!(m_op.flags & kFofNoConfirmMkDir) && !m_yesToAll) {
            int b = ask("Confirm Folder Create",
                        "The folder '" + name + "' does not exist.\r\n\r\nDo you want to create it?",
                        {IDYES, IDNO}, IDNO);
            if (b != IDYES) throw Aborted{};
        }
        fs::create_directories(folder, ec);
        if (!fs::is_directory(folder, ec))
            throw Failed{"Cannot create the folder " + name + ": " + reason(ec.value())};
    }

    void copyEntry(int srcDir, const fs::path& src, int dstDir, const fs::path& dst, bool freshFolder) {
        const std::string srcName = src.filename().string(), dstName = dst.filename().string();
        struct stat st;
        if (::fstatat(srcDir, srcName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            throw Failed{"Cannot copy " + windowsPath(src) + ": " + reason(errno)};
        if (S_ISDIR(st.st_mode)) {
            copyFolder(srcDir, src, st, dstDir, dst);
            advance(src, kEntryWeight);
        } else if (S_ISREG(st.st_mode)) {
            if (freshFolder || confirmReplace(dstDir, dst)) {
                copyFile(srcDir, src, st, dstDir, dst);
            } else {
                advance(src, kEntryWeight + static_cast<uint64_t>(st.st_size));
            }
        } else {
            if (S_ISLNK(st.st_mode) && (freshFolder || confirmReplace(dstDir, dst)))
                copyLink(srcDir, src, dstDir, dst);
            // Devices, pipes and sockets have no meaning in a copy (and a pipe would block the read).
            advance(src, kEntryWeight);
        }
    }

    // False when the person keeps the existing file.
    bool confirmReplace(int dstDir, const fs::path& dst) {
        struct stat d;
        if (::fstatat(dstDir, dst.filename().c_str(), &d, AT_SYMLINK_NOFOLLOW) != 0) return true;
        if (S_ISDIR(d.st_mode))
            throw Failed{"Cannot create or replace " + windowsPath(dst) + ": a folder of that name exists."};
        if (m_yesToAll) return true;
        return replaceAnswered(ask("Confirm File Replace",
                                   "This folder already contains a file named '" + ansi(dst) +
                                       "'.\r\n\r\nWould you like to replace the existing file with this one?",
                                   {IDYES, IDYESTOALL, IDNO, IDCANCEL}, IDCANCEL));
    }

    // A source folder copied onto a folder of its name merges into it: asked once for the
    // folder, then once per file it would replace. False when the person skips the folder.
    bool confirmFolderMerge(int srcDir, const fs::path& src, int dstDir, const fs::path& dst) {
        if (m_yesToAll) return true;
        struct stat s, d;
        if (::fstatat(srcDir, src.filename().c_str(), &s, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(s.st_mode))
            return true;
        if (::fstatat(dstDir, dst.filename().c_str(), &d, 0) != 0 || !S_ISDIR(d.st_mode)) return true;
        return replaceAnswered(
            ask("Confirm Folder Replace",
                "This folder already contains a folder named '" + ansi(dst) +
                    "'.\r\n\r\nIf the files in the existing folder have the same name as "
                    "files in the folder you are moving or copying, they will be replaced. "
                    "Do you still wish to move or copy the folder?",
                {IDYES, IDYESTOALL, IDNO, IDCANCEL}, IDCANCEL));
    }

    bool replaceAnswered(int b) {
        if (b == IDYESTOALL) m_yesToAll = true;
        if (b == IDYES || b == IDYESTOALL) return true;
        if (b == IDNO) {
            m_result.anyAborted = true;
            return false;
        }
        throw Aborted{};
    }

    void copyFolder(int srcDir, const fs::path& src, const struct stat& st, int dstDir, const fs::path& dst) {
        const std::string dstName = dst.filename().string();
        bool fresh = ::mkdirat(dstDir, dstName.c_str(), 0700) == 0;
        if (!fresh && errno != EEXIST)
            throw Failed{"Cannot create the folder " + windowsPath(dst) + ": " + reason(errno)};
        base::UniqueFd from(
            ::openat(srcDir, src.filename().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!from) throw Failed{"Cannot copy " + windowsPath(src) + ": " + reason(errno)};
        base::UniqueFd to(::openat(dstDir, dstName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!to)
            throw Failed{"Cannot create the folder " + windowsPath(dst) + ": a file of that name exists."};
        for (const std::string& name : entryNames(from.get(), src))
            copyEntry(from.get(), src / name, to.get(), dst / name, fresh);
        if (fresh) ::fchmod(to.get(), st.st_mode & 07777);
    }

    // The names in a folder, sorted, so questions come in a predictable order.
    std::vector<std::string> entryNames(int dirFd, const fs::path& path) {
        int fd = ::dup(dirFd);
        DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
        if (!dir) {
            if (fd >= 0) ::close(fd);
            throw Failed{"Cannot read the folder " + windowsPath(path) + ": " + reason(errno)};
        }
        std::vector<std::string> names;
        while (const dirent* e = ::readdir(dir)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string temporaryName() {
        static std::atomic<unsigned> counter{0};
        static const std::string prefix = ".vantrel-" + std::to_string(::getpid()) + "-";
        return prefix + std::to_string(counter++) + ".part";
    }

    // Creates a new file beside the target, already with its final mode (the descriptor is
    // writable whatever the mode says); returns it and sets `name`.
    base::UniqueFd createTemporary(int dstDir, const fs::path& dst, mode_t mode, std::string& name) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            name = temporaryName();
            int fd = ::openat(dstDir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd >= 0) return base::UniqueFd(fd);
            if (errno != EEXIST) throw Failed{"Cannot create " + windowsPath(dst) + ": " + reason(errno)};
        }
        throw Failed{"Cannot create " + windowsPath(dst) + ": " + reason(EEXIST)};
    }

    void copyFile(int srcDir, const fs::path& src, const struct stat& st, int dstDir, const fs::path& dst) {
        base::UniqueFd in(::openat(srcDir, src.filename().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!in) throw Failed{"Cannot copy " + windowsPath(src) + ": " + reason(errno)};
        std::string tmp;
        base::UniqueFd out = createTemporary(dstDir, dst, st.st_mode & 0777, tmp);
        try {
            copyData(in.get(), out.get(), st.st_size, src);
            copyAttributes(in.get(), out.get(), st);
            if (::close(out.release()) != 0)
                throw Failed{"Cannot write " + windowsPath(dst) + ": " + reason(errno)};
            if (::renameat(dstDir, tmp.c_str(), dstDir, dst.filename().c_str()) != 0)
                throw Failed{"Cannot create " + windowsPath(dst) + ": " + reason(errno)};
        } catch (...) {
            ::unlinkat(dstDir, tmp.c_str(), 0);
            throw;
        }
        advance(src, kEntryWeight + static_cast<uint64_t>(st.st_size));
    }

    void copyData(int in, int out, off_t size, const fs::path& src) {
        if (size == 0) return;
        if (m_cloneWorks != false) {
            if (::ioctl(out, FICLONE, in) == 0) {
                m_cloneWorks = true;
                return;
            }
            if (errno == EOPNOTSUPP || errno == ENOTTY || errno == EXDEV || errno == EINVAL ||
                errno == ENOSYS)
                m_cloneWorks = m_cloneWorks.value_or(false);
        }
        off_t done = 0;
        bool kernelCopy = m_kernelCopyWorks;
        if (size > kChunk) ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
        while (done < size) {
            ssize_t n = -1;
            if (kernelCopy) {
                n = ::copy_file_range(in, nullptr, out, nullptr,
                                      static_cast<size_t>(std::min(kChunk, size - done)), 0);
                if (n < 0 && done == 0 &&
                    (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                    kernelCopy = m_kernelCopyWorks = false;
                    continue;
                }
            } else {
                n = readWrite(in, out);
            }
            if (n < 0) throw Failed{"Cannot copy " + windowsPath(src) + ": " + reason(errno)};
            if (n == 0) break;  // the source shrank while we copied
            done += n;
            if (size > kChunk) step(src, fraction(static_cast<uint64_t>(done)));
        }
    }

    ssize_t readWrite(int in, int out) {
        if (m_buffer.empty()) m_buffer.resize(1 << 20);
        ssize_t n = ::read(in, m_buffer.data(), m_buffer.size());
        if (n <= 0) return n;
        for (ssize_t written = 0; written < n;) {
            ssize_t w = ::write(out, m_buffer.data() + written, static_cast<size_t>(n - written));
            if (w < 0) return -1;
            written += w;
        }
        return n;
    }

    // The last write time and our attributes travel with the file (the mode came with its
    // creation), as a copy on Windows keeps its attributes and write time.
    void copyAttributes(int in, int out, const struct stat& st) {
        char bits[16];
        ssize_t n = ::fgetxattr(in, kAttributesXattr, bits, sizeof bits);
        if (n > 0) ::fsetxattr(out, kAttributesXattr, bits, static_cast<size_t>(n), 0);
        const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        ::futimens(out, times);
    }

    void copyLink(int srcDir, const fs::path& src, int dstDir, const fs::path& dst) {
        std::string target(4096, '\0');
        ssize_t n = ::readlinkat(srcDir, src.filename().c_str(), target.data(), target.size());
        if (n < 0) throw Failed{"Cannot copy " + windowsPath(src) + ": " + reason(errno)};
        target.resize(static_cast<size_t>(n));
        std::string tmp = temporaryName();
        if (::symlinkat(target.c_str(), dstDir, tmp.c_str()) != 0 ||
            ::renameat(dstDir, tmp.c_str(), dstDir, dst.filename().c_str()) != 0) {
            int err = errno;
            ::unlinkat(dstDir, tmp.c_str(), 0);
            throw Failed{"Cannot create " + windowsPath(dst) + ": " + reason(err)};
        }
    }

    // ---- delete ----

    void remove() {
        bool wildcards = false;
        const ProtectedFolders protectedFolders;
        for (const std::string& source : m_op.sources) refuseProtected(source, protectedFolders);
        std::vector<Item> items = expandSources(wildcards);
        for (const Item& item : items) {
            if (protectedFolders.contains(canonicalParent(item.path))) throw Failed{refusal(item.name)};
        }
        if (items.empty()) return;
        if (!m_yesToAll) confirmDelete(items);
        openProgress("Deleting...");
        measure(items, false);
        for (const Item& item : items) {
            base::UniqueFd parent(
                ::open(item.path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (!parent) throw Failed{"Cannot delete " + item.name + ": " + reason(errno)};
            removeEntry(parent.get(), item.path);
        }
    }

    static std::string refusal(const std::string& name) {
        return "Cannot delete " + name + ": it is the root of a drive, a mount point or the home folder.";
    }

    // "*" and "*.*" in a folder that must not be emptied are refused as the folder would be.
    void refuseProtected(const std::string& source, const ProtectedFolders& protectedFolders) {
        auto [folder, last] = splitLastComponent(source);
        if (!hasWildcards(last) || (last != "*" && last != "*.*")) return;
        fs::path f = folder.empty() ? fs::current_path() : resolvePath(folder);
        std::error_code ec;
        if (!f.empty() && protectedFolders.contains(fs::weakly_canonical(f, ec)))
            throw Failed{refusal(source)};
    }

    void confirmDelete(const std::vector<Item>& items) {
        std::string caption, text;
        struct stat st;
        if (items.size() > 1) {
            caption = "Confirm Multiple File Delete";
            text = "Are you sure you want to delete these " + std::to_string(items.size()) + " items?";
        } else if (::lstat(items[0].path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            caption = "Confirm Folder Delete";
            text = "Are you sure you want to remove the folder '" + ansi(items[0].path) +
                   "' and all its contents?";
        } else {
            caption = "Confirm File Delete";
            text = "Are you sure you want to delete '" + ansi(items[0].path) + "'?";
        }
        if (ask(caption, text, {IDYES, IDNO}, IDNO) != IDYES) throw Aborted{};
    }

    void removeEntry(int dirFd, const fs::path& path) {
        const std::string name = path.filename().string();
        struct stat st;
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) return;
            throw Failed{"Cannot delete " + windowsPath(path) + ": " + reason(errno)};
        }
        if (S_ISDIR(st.st_mode)) {
            base::UniqueFd dir(
                ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!dir && errno == EACCES) {
                // A folder we may not read is still ours to empty, as a read-only folder is on Windows.
                ::fchmodat(dirFd, name.c_str(), (st.st_mode & 07777) | S_IRWXU, 0);
                dir = base::UniqueFd(
                    ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            }
            if (!dir) throw Failed{"Cannot delete " + windowsPath(path) + ": " + reason(errno)};
            for (const std::string& child : entryNames(dir.get(), path))
                removeChild(dir.get(), st, path / child);
            if (::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) != 0)
                throw Failed{"Cannot delete " + windowsPath(path) + ": " + reason(errno)};
        } else if (::unlinkat(dirFd, name.c_str(), 0) != 0) {
            throw Failed{"Cannot delete " + windowsPath(path) + ": " + reason(errno)};
        }
        advance(path, kEntryWeight);
    }

    void removeChild(int dirFd, const struct stat& dirStat, const fs::path& path) {
        try {
            removeEntry(dirFd, path);
        } catch (const Failed&) {
            // A folder without write permission keeps its entries; make it writable once.
            if ((dirStat.st_mode & S_IWUSR) || ::fchmod(dirFd, (dirStat.st_mode & 07777) | S_IRWXU) != 0)
                throw;
            removeEntry(dirFd, path);
        }
    }

    const FileOperation& m_op;
    FileOperationResult m_result;
    bool m_yesToAll;
    std::unique_ptr<ProgressWindow> m_progress;
    std::chrono::steady_clock::time_point m_lastStep{};
    uint64_t m_total = 0;  // weight of everything, when a window shows progress
    uint64_t m_done = 0;
    std::optional<bool> m_cloneWorks;
    bool m_kernelCopyWorks = true;
    std::vector<char> m_buffer;
};

}  // namespace

FileOperationResult runFileOperation(const FileOperation& operation) { return Engine(operation).run(); }

bool deletionRefused(const fs::path& folder) { return ProtectedFolders().contains(canonicalParent(folder)); }

}  // namespace platform
