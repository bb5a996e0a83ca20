// append, archive-list and archive-extract: appended projects and embedded-file archives,
// handled by the same code the player uses.
#include <ctime>
#include <filesystem>
#include <ostream>

#include "base/Error.h"
#include "runtime/AppendedProject.h"
#include "runtime/Archive.h"
#include "runtime/ArchiveInput.h"
#include "toolkit/Zeptool.h"

namespace toolkit {
namespace {

struct ArchiveArgs {
    std::vector<std::string> positional;
    size_t offset = 0;
    runtime::TRestoreMode mode = runtime::TRestoreMode::rmAll;
    bool fullPath = false;
};

// Parses the options shared by the archive commands; false after printing what is wrong.
bool parseArchiveArgs(const std::vector<std::string>& args, ArchiveArgs& out, std::ostream& err) {
    static const std::pair<const char*, runtime::TRestoreMode> kModes[] = {
        {"all", runtime::TRestoreMode::rmAll},
        {"nooverwrite", runtime::TRestoreMode::rmNoOverwrite},
        {"newer", runtime::TRestoreMode::rmNewer},
        {"existing", runtime::TRestoreMode::rmExisting},
        {"existingnewer", runtime::TRestoreMode::rmExistingNewer},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--offset") {
            if (++i >= args.size() || !parseOffset(args[i], out.offset)) {
                err << "zeptool: --offset needs a byte offset (decimal or 0x hex)\n";
                return false;
            }
        } else if (a == "--mode") {
            bool known = false;
            if (++i < args.size()) {
                for (const auto& [name, mode] : kModes) {
                    if (args[i] == name) {
                        out.mode = mode;
                        known = true;
                    }
                }
            }
            if (!known) {
                err << "zeptool: --mode takes all, nooverwrite, newer, existing or existingnewer\n";
                return false;
            }
        } else if (a == "--full-path") {
            out.fullPath = true;
        } else if (a.rfind("--", 0) == 0) {
            err << "zeptool: unknown option " << a << "\n";
            return false;
        } else {
            out.positional.push_back(a);
        }
    }
    return true;
}

std::string formatDosDate(uint32_t dos) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", ((dos >> 25) & 0x7F) + 1980,
                  (dos >> 21) & 0x0F, (dos >> 16) & 0x1F, (dos >> 11) & 0x1F, (dos >> 5) & 0x3F,
                  (dos & 0x1F) * 2);
    return buf;
}

bool checkFile(const std::string& file, size_t offset, std::ostream& err) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        err << "zeptool: " << file << ": no such file\n";
        return false;
    }
    if (offset > std::filesystem::file_size(file, ec)) {
        err << "zeptool: " << file << ": offset " << offset << " is past the end of the file\n";
        return false;
    }
    return true;
}

}  // namespace

int appendCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 3) {
        err << "usage: zeptool append PLAYER P.zep OUT\n";
        return 2;
    }
    runtime::appendProject(args[0], args[1], args[2]);
    out << args[2] << ": project at offset " << *runtime::appendedProjectOffset(args[2]) << "\n";
    return 0;
}

int archiveList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ArchiveArgs a;
    if (!parseArchiveArgs(args, a, err)) return 2;
    if (a.positional.size() != 1) {
        err << "usage: zeptool archive-list FILE [--offset N]\n";
        return 2;
    }
    const std::string& file = a.positional[0];
    if (!checkFile(file, a.offset, err)) return 1;
    runtime::FileArchiveInput input(file, a.offset);
    runtime::ArchiveListing listing;
    try {
        listing = runtime::listArchive(input);
    } catch (const base::Error& e) {
        err << "zeptool: " << file << ": offset " << input.position() << ": " << e.what() << "\n";
        return 1;
    }
    out << "title \"" << listing.title << "\", " << listing.fileCount << " files, " << listing.totalSize
        << " bytes\n";
    bool allGood = true;
    for (const auto& e : listing.entries) {
        if (e.nextDisk) {
            out << "(continues in the next volume: " << e.name << ")\n";
            continue;
        }
        out << formatDosDate(e.dosDate) << "  " << e.size << "  " << e.name;
        if (e.fileList) out << "  (file list)";
        if (!e.checkValueOk) out << "  CRC FAILED";
        out << "\n";
        allGood = allGood && e.checkValueOk;
    }
    out << "end at offset " << input.position() << "\n";
    return allGood ? 0 : 1;
}

int archiveExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ArchiveArgs a;
    if (!parseArchiveArgs(args, a, err)) return 2;
    if (a.positional.size() != 2) {
        err << "usage: zeptool archive-extract FILE DIR [--offset N] [--mode MODE] [--full-path]\n";
        return 2;
    }
    const std::string& file = a.positional[0];
    if (!checkFile(file, a.offset, err)) return 1;
    std::string target = std::filesystem::absolute(a.positional[1]).string();
    runtime::TBackupFile backup;
    backup.setRestoreMode(a.mode);
    backup.setRestoreFullPath(a.fullPath);
    backup.OnError = [&](runtime::TBackupFile&, int code, const std::string& text) {
        err << "zeptool: " << file << ": error " << code << ": " << text << "\n";
    };
    backup.OnCRCError = [&](runtime::TBackupFile&, int32_t stored, int32_t current, const std::string& name) {
        err << "zeptool: CRC Failed in file " << name << ". Stored CRC32 : " << stored
            << ". Current CRC32 : " << current << ".\n";
    };
    backup.OnFileRestored = [&](runtime::TBackupFile&, std::string& name, int) { out << name << "\n"; };
    bool ok;
    if (a.offset == 0) {
        ok = backup.Restore(file, target);  // follows volumes
    } else {
        runtime::FileArchiveInput input(file, a.offset);
        ok = backup.RestoreFromStream(input, target);
    }
    if (!ok && backup.errorCode() == 0) err << "zeptool: " << file << ": the archive could not be read\n";
    return ok ? 0 : 1;
}

}  // namespace toolkit
