#include "library/Download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "library/HttpFetch.h"
#include "library/ProgressDialog.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace library {
namespace {

// The body's file while it arrives: a hidden name beside the target, so the rename that
// completes it stays on one file system. Removed unless committed.
class PartFile {
public:
    explicit PartFile(const fs::path& target) : m_target(target) {
        const std::string name = target.filename().string().substr(0, 200);
        std::string pattern = (target.parent_path() / ("." + name + ".XXXXXX.part")).string();
        m_fd = ::mkostemps(pattern.data(), 5, O_CLOEXEC);
        if (m_fd >= 0) m_path = pattern;
    }
    ~PartFile() {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_path.empty()) ::unlink(m_path.c_str());
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    bool write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    // Gives the file the target's mode (or the default for a new file) and its name.
    bool commit() {
        struct stat st {};
        mode_t mode;
        if (::stat(m_target.c_str(), &st) == 0) {
            mode = st.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        const bool ok = ::fchmod(m_fd, mode) == 0 && ::close(m_fd) == 0;
        m_fd = -1;
        if (!ok || ::rename(m_path.c_str(), m_target.c_str()) != 0) return false;
        m_path.clear();
        return true;
    }

private:
    fs::path m_target;
    std::string m_path;
    int m_fd = -1;
};

bool download(const std::string& url, const std::string& localFile, const std::string* message) {
    try {
        PartFile part(platform::resolvePath(localFile));
        if (!part.isOpen()) return false;

        const FormsDisabled disabled;
        const std::unique_ptr<ProgressDialog> dialog = ProgressDialog::open(ProgressVariant::Download);
        dialog->resetCancel();
        std::string prefix;
        if (message) {
            dialog->setStatus(*message);
            prefix = *message + "\r\n";
        }
        // Shown before the connection is tried, which may take a while.
        platform::processMessages();

        FetchHooks hooks;
        hooks.write = [&](std::string_view bytes) { return part.write(bytes); };
        hooks.progress = [&](int64_t received, int64_t total, const std::string& status) {
            dialog->setStatus(prefix + status);
            dialog->setProgress(total > 0 ? static_cast<int>(received * 100 / total) : 0, 100);
        };
        hooks.cancelled = [&] {
            platform::processMessages();
            return dialog->cancelled();
        };
        const FetchOutcome outcome = fetchUrl(url, hooks);
        dialog->close();
        return outcome.result == FetchResult::Ok && part.commit();
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

bool DownloadFile(const std::string& url, const std::string& localFile) {
    return download(url, localFile, nullptr);
}

bool DownloadFileEx(const std::string& url, const std::string& localFile, const std::string& message) {
    return download(url, localFile, &message);
}

}  // namespace library
