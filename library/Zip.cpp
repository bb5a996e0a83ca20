#include "library/Zip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "base/DateTime.h"
#include "library/Dates.h"
#include "library/Drives.h"
#include "library/ProgressDialog.h"
#include "library/Unzipper.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"
#include "platform/RegionalSettings.h"
#include "runtime/InternalError.h"
#include "runtime/Placeholders.h"
#include "vcl/Forms.h"
#include "vcl/Graphic.h"

namespace fs = std::filesystem;

namespace library {

namespace {

constexpr int kStatusWidth = 160;
constexpr int32_t kNoArchive = -1000;
constexpr uint64_t kPumpBytes = 32 * 1024;

bool isFile(const fs::path& p) {
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(p, ec);
}

// The prompt for a missing archive: the name of one that exists, or nullopt when the user
// gives up.
std::optional<std::string> askForArchive(const std::string& missing) {
    std::string name = missing;
    for (;;) {
        platform::DialogRequest r;
        r.kind = platform::DialogKind::Input;
        r.caption = "Insert Next Disk ";
        r.text = "Please specify the location of the next disk.\r\nFile not found :\r\n" + missing;
        r.icon = platform::DialogIcon::Warning;
        r.initialText = name;
        r.filter = "All Files(*.*)|*.*";
        const platform::DialogAnswer a = platform::dialogs().ask(r);
        if (!a.accepted) return std::nullopt;
        if (isFile(platform::resolvePath(a.text))) return a.text;
        name = a.text;
    }
}

std::string kilobytes(uint64_t bytes) {
    return intToKBStr(static_cast<int64_t>(bytes), platform::regionalSettings().thousandSeparator);
}

double localDateTime(const struct stat& st) {
    struct tm tm {};
    const time_t sec = st.st_mtim.tv_sec;
    if (!::localtime_r(&sec, &tm)) return base::unixToDateTime(sec);
    return base::unixToDateTime(sec + tm.tm_gmtoff);
}

class UnzipHost {
public:
    explicit UnzipHost(uint64_t total) : m_total(total) {}

    int32_t errorCode() const { return m_errorCode; }
    bool cancelled() const { return m_dialog && m_dialog->cancelled(); }

    void report(int32_t status, int64_t number, const zip::Report& r) {
        if (cancelled()) return;
        switch (status) {
        case zip::kReportStart:
            m_disabled.emplace();
            m_dialog = ProgressDialog::open(ProgressVariant::Unzip);
            break;
        case zip::kReportEntryBegins:
            m_status = std::string(zip::methodText(r.method)) + " ";
            m_statusName = r.fileName;
            m_statusChanged = true;
            break;
        case zip::kReportProgress:
            if (number > 0) {
                m_done += static_cast<uint64_t>(number);
                m_unpumped += static_cast<uint64_t>(number);
            }
            break;
        case zip::kReportExtracted:
            m_status.clear();
            m_statusName.clear();
            m_statusChanged = true;
            break;
        case zip::kReportFailed: failed(static_cast<int32_t>(number), r.fileName); break;
        case zip::kReportEnd: finish(); break;
        default: break;
        }
        // The windows are kept alive every 32 KiB written and every 20 ms; pumping for each
        // of thousands of small entries would cost more than extracting them.
        const auto now = std::chrono::steady_clock::now();
        const bool routine = status == zip::kReportProgress || status == zip::kReportEntryBegins ||
                             status == zip::kReportExtracted;
        if (routine && m_unpumped < kPumpBytes && now - m_lastPump < std::chrono::milliseconds(20)) return;
        show();
        platform::processMessages();
        m_lastPump = now;
        m_unpumped = 0;
    }

    bool replace(const zip::Entry& e, const fs::path& existing) {
        if (m_replace == Answer::YesToAll) return true;
        if (m_replace == Answer::NoToAll) return false;
        const int button = askReplace(e, existing);
        if (button == platform::IDYESTOALL) m_replace = Answer::YesToAll;
        if (button == platform::IDNOTOALL) m_replace = Answer::NoToAll;
        return button == platform::IDYES || button == platform::IDYESTOALL;
    }

private:
    enum class Answer { Ask, YesToAll, NoToAll };

    void show() {
        if (!m_dialog || !m_dialog->isOpen()) return;
        if (m_statusChanged) {
            m_dialog->setStatus(m_statusName.empty() ? std::string() : m_status + shortened(m_statusName));
            m_statusChanged = false;
        }
        const double share = m_total == 0 ? 1.0 : static_cast<double>(m_done) / static_cast<double>(m_total);
        const int position = static_cast<int>(std::lround(std::min(share, 1.0) * 100));
        if (position != m_dialog->position()) m_dialog->setProgress(position, 100);
    }

    void failed(int32_t code, const std::string& fileName) {
        m_errorCode = code;
        if (code == 0) return;
        const std::string text =
            runtime::formatStrings(runtime::RepConst("ERROR extracting file: \"%s\"%nError Code : %s%n%n%s"),
                                   {fileName, std::to_string(code), zip::errorText(code)});
        platform::dialogs().messageBox(text, vcl::application().title(),
                                       platform::MB_OK | platform::MB_ICONERROR);
    }

    void finish() {
        m_statusName.clear();
        m_statusChanged = false;
        if (!m_dialog) return;
        m_dialog->setProgress(100, 100);
        m_dialog->setStatus("");
        // Long enough to see the bar full; the windows stay alive meanwhile.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
        while (std::chrono::steady_clock::now() < until) {
            platform::processMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_dialog->close();
    }

    int askReplace(const zip::Entry& e, const fs::path& existing) {
        std::string oldSize = "0", oldDate;
        struct stat st {};
        if (::stat(existing.c_str(), &st) == 0) {
            oldSize = kilobytes(static_cast<uint64_t>(st.st_size));
            try {
                oldDate = formatDateTime(R"("modified " dddd, mmmm d, yyyy, " at " hh:mm AM/PM)",
                                         localDateTime(st), platform::regionalSettings());
            } catch (const std::exception&) {
            }
        }
        const std::string fileName = e.name.substr(e.name.find_last_of("/\\") + 1);
        platform::DialogRequest r;
        r.kind = platform::DialogKind::Message;
        r.caption = "Confirm File Replace";
        r.icon = platform::DialogIcon::Question;
        r.text =
            runtime::formatStrings(runtime::RepConst("This folder already contains a file named '%s'.%n%n"
                                                     "Would you like to replace the existing file%n%n"
                                                     "%s KB%n%s%n%nwith this one ?%n%n%s KB"),
                                   {fileName, oldSize, oldDate, kilobytes(e.size)});
        r.buttons = {platform::IDYES, platform::IDYESTOALL, platform::IDNO, platform::IDNOTOALL};
        // The dialog has no Close command; an unanswered question keeps the old file.
        r.escapeButton = platform::IDNO;
        return platform::dialogs().ask(r).button;
    }

    std::string shortened(const std::string& name) {
        if (!m_measure) {
            m_measure = std::make_unique<vcl::TBitmap>();
            m_measure->setSize(1, 1);
            m_measure->canvas().font().setName("MS Sans Serif");
            m_measure->canvas().font().setHeight(-11);
        }
        return elidePath(name, kStatusWidth,
                         [this](std::string_view s) { return m_measure->canvas().textWidth(s); });
    }

    uint64_t m_total;
    uint64_t m_done = 0;
    uint64_t m_unpumped = 0;
    std::chrono::steady_clock::time_point m_lastPump{};
    std::string m_status, m_statusName;
    bool m_statusChanged = false;
    int32_t m_errorCode = 0;
    Answer m_replace = Answer::Ask;
    std::optional<FormsDisabled> m_disabled;
    std::unique_ptr<ProgressDialog> m_dialog;
    std::unique_ptr<vcl::TBitmap> m_measure;
};

uint64_t totalOf(const fs::path& archive) {
    zip::Directory d;
    const int fd = ::open(archive.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    zip::readDirectory(fd, d);
    ::close(fd);
    return d.totalSize();
}

}  // namespace

bool IsZip(std::string_view fileName) {
    std::string name(fileName);
    if (name.find('.') == std::string::npos || name.find(".exe") != std::string::npos) return false;
    std::replace(name.begin(), name.end(), '/', '\\');
    if (!name.empty() && name.back() == '\\') name.pop_back();
    const fs::path native = platform::resolvePath(name);
    std::error_code ec;
    if (native.empty() || fs::is_directory(native, ec)) return false;
    return zip::looksLikeZip(native);
}

int32_t UnzipFile(std::string_view zipFileName, std::string_view targetDirectory,
                  std::string_view filesToExtract) {
    std::string archive(zipFileName);
    if (!isFile(platform::resolvePath(archive))) {
        std::optional<std::string> other = askForArchive(archive);
        if (!other) {
            if (ProgressDialog* open = ProgressDialog::current()) open->close();
            return kNoArchive;
        }
        archive = *other;
    }
    const fs::path native = platform::resolvePath(archive);
    UnzipHost host(totalOf(native));
    zip::Unzipper engine;
    engine.archive = native;
    engine.archiveName = archive;
    engine.target = targetDirectory.empty() ? fs::path() : platform::resolvePath(targetDirectory);
    engine.mask = filesToExtract.empty() ? "*.*" : std::string(filesToExtract);
    engine.onReport = [&host](int32_t s, int64_t n, const zip::Report& r) { host.report(s, n, r); };
    engine.onReplace = [&host](const zip::Entry& e, const fs::path& p) { return host.replace(e, p); };
    engine.cancelled = [&host] { return host.cancelled(); };
    try {
        const int64_t extracted = engine.extract();
        if (extracted < 0) return static_cast<int32_t>(extracted);
    } catch (const std::exception&) {
    }
    return host.errorCode();
}

std::string elidePath(std::string_view path, int width, const std::function<int(std::string_view)>& measure) {
    if (measure(path) <= width) return std::string(path);
    const char sep = path.find('\\') != std::string_view::npos ? '\\' : '/';
    std::vector<std::string> parts;
    size_t pos = 0;
    for (;;) {
        const size_t next = path.find_first_of("\\/", pos);
        parts.emplace_back(
            path.substr(pos, next == std::string_view::npos ? std::string_view::npos : next - pos));
        if (next == std::string_view::npos) break;
        pos = next + 1;
    }
    const std::string file = parts.back();
    const std::string tail = std::string("...") + sep;
    for (size_t drop = 1; parts.size() > 2 && drop + 1 < parts.size(); ++drop) {
        std::string candidate = parts.front() + sep + tail;
        for (size_t i = drop + 1; i + 1 < parts.size(); ++i) candidate += parts[i] + sep;
        candidate += file;
        if (measure(candidate) <= width) return candidate;
    }
    if (parts.size() > 1 && measure(tail + file) <= width) return tail + file;
    return file;
}

}  // namespace library
