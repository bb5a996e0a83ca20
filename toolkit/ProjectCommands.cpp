// info, pack and unpack: projects as folders an author can edit with ordinary tools.
//
// A project folder holds "form.txt" (the main form in the text form), "script.pas" (the
// script) and "files/" (the embedded files).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <ostream>

#include "base/Error.h"
#include "classes/TextForm.h"
#include "player/ProjectFile.h"
#include "runtime/AppendedProject.h"
#include "runtime/Archive.h"
#include "runtime/ArchiveInput.h"
#include "runtime/SystemLibraries.h"
#include "script/Dll.h"
#include "script/Externals.h"
#include "script/Symbols.h"
#include "toolkit/Zeptool.h"

namespace fs = std::filesystem;

namespace toolkit {
namespace {

std::string formatDosDate(uint32_t dos) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", ((dos >> 25) & 0x7F) + 1980,
                  (dos >> 21) & 0x0F, (dos >> 16) & 0x1F, (dos >> 11) & 0x1F, (dos >> 5) & 0x3F,
                  (dos & 0x1F) * 2);
    return buf;
}

uint32_t fileDosDate(const fs::path& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 ? runtime::dosDateTime(st.st_mtime)
                                       : runtime::dosDateTime(std::time(nullptr));
}

// A project file, or a player carrying one: the bytes and where the project starts.
std::string projectBytes(const std::string& file, uint64_t& offset) {
    std::string bytes = readWholeFile(file);
    offset = 0;
    if (bytes.rfind("TPF0", 0) != 0) {
        if (auto appended = runtime::appendedProjectOffset(file)) offset = *appended;
    }
    return bytes;
}

// Reads and inspects a project file; false after one line on `err`.
bool inspectFile(const std::string& file, std::string& bytes, uint64_t& offset, player::ProjectInfo& info,
                 std::ostream& err) {
    bytes = projectBytes(file, offset);
    try {
        info = player::inspectProject(bytes, offset);
        return true;
    } catch (const base::Error& e) {
        err << "zeptool: " << file << ": " << e.what() << "\n";
        return false;
    }
}

// The script source of the script archive, restored into a scratch folder; empty when there
// is none or it cannot be restored.
std::string scriptSource(const std::string& bytes, const player::ProjectInfo& info) {
    if (!info.hasScriptArchive) return {};
    const fs::path scratch = fs::temp_directory_path() / ("zeptool-script-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(scratch, ec);
    runtime::TBackupFile backup;
    runtime::MemoryArchiveInput script(std::string_view(bytes).substr(info.scriptArchiveOffset));
    std::string source;
    if (backup.RestoreFromStream(script, scratch.string()) && fs::exists(scratch / "script.txt", ec))
        source = readWholeFile((scratch / "script.txt").string());
    fs::remove_all(scratch, ec);
    return source;
}

// What becomes of each routine the script declares external: served by the player's own
// table, opened from a shared library, or refused when the script loads.
void listExternals(std::string_view source, std::ostream& out) {
    const std::vector<script::ExternalDeclaration> decls = script::externalDeclarations(source);
    if (decls.empty()) return;
    out << "external routines: " << decls.size() << "\n";
    for (const script::ExternalDeclaration& d : decls) {
        out << "  " << d.routine << ": '" << d.text << "' (line " << d.row << "): ";
        script::DllImport imp;
        if (!script::parseDllImport(d.text, imp))
            out << "not a library routine\n";
        else if (runtime::findSystemExport(imp.library, imp.proc))
            out << "covered\n";
        else if (runtime::isSystemLibrary(imp.library))
            out << "not covered (\"Cannot Import " << script::upperName(d.routine) << "\")\n";
        else
            out << "from the shared library " << imp.library << "\n";
    }
}

}  // namespace

int projectInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: zeptool info P.zep\n";
        return 2;
    }
    uint64_t offset = 0;
    std::string bytes;
    player::ProjectInfo info;
    if (!inspectFile(args[0], bytes, offset, info, err)) return 1;
    out << "kind: " << info.kind << "\nformat version: " << info.version << "\n";
    if (offset) out << "appended at offset: " << offset << "\n";
    out << "form: " << info.formName << ": " << info.formClass << " (offset " << info.formOffset << ")\n";
    out << "bytecode: " << info.bytecodeSize << " bytes\n";
    if (!info.hasFiles) {
        out << "archives: none\n";
        return 0;
    }
    out << "embedded files (archive at offset " << info.embeddedArchiveOffset << "):\n";
    for (const auto& e : info.embedded.entries) {
        if (e.fileList || e.nextDisk) continue;
        out << "  " << formatDosDate(e.dosDate) << "  " << e.size << "  " << e.name
            << (e.checkValueOk ? "" : "  CRC FAILED") << "\n";
    }
    bool script = info.hasScriptArchive &&
                  std::any_of(info.scriptArchive.entries.begin(), info.scriptArchive.entries.end(),
                              [](const runtime::ArchiveEntry& e) { return e.name == "script.txt"; });
    out << "script source: " << (script ? "present" : "absent");
    if (info.hasScriptArchive) out << " (archive at offset " << info.scriptArchiveOffset << ")";
    out << "\n";
    if (script) listExternals(scriptSource(bytes, info), out);
    return 0;
}

int unpackProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2) {
        err << "usage: zeptool unpack P.zep DIR\n";
        return 2;
    }
    uint64_t offset = 0;
    std::string bytes;
    player::ProjectInfo info;
    if (!inspectFile(args[0], bytes, offset, info, err)) return 1;
    fs::path dir = fs::absolute(args[1]);
    fs::create_directories(dir / "files");
    writeWholeFile((dir / "form.txt").string(), info.formText);
    if (!info.hasFiles) return 0;

    runtime::TBackupFile backup;
    bool ok = true;
    backup.OnError = [&](runtime::TBackupFile&, int code, const std::string& text) {
        err << "zeptool: " << args[0] << ": error " << code << ": " << text << "\n";
    };
    backup.OnCRCError = [&](runtime::TBackupFile&, int32_t, int32_t, const std::string& name) {
        err << "zeptool: CRC Failed in file " << name << "\n";
        ok = false;
    };
    runtime::MemoryArchiveInput embedded(std::string_view(bytes).substr(info.embeddedArchiveOffset));
    ok = backup.RestoreFromStream(embedded, (dir / "files").string()) && ok;
    if (info.hasScriptArchive) {
        fs::path scratch = dir / ".script";
        runtime::MemoryArchiveInput script(std::string_view(bytes).substr(info.scriptArchiveOffset));
        ok = backup.RestoreFromStream(script, scratch.string()) && ok;
        std::error_code ec;
        fs::rename(scratch / "script.txt", dir / "script.pas", ec);
        fs::remove_all(scratch, ec);
    }
    out << dir.string() << "\n";
    return ok ? 0 : 1;
}

int packProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2) {
        err << "usage: zeptool pack DIR P.zep\n";
        return 2;
    }
    fs::path dir = args[0];
    player::ProjectContents project;
    std::string formText = readWholeFile((dir / "form.txt").string());
    try {
        project.form = classes::textToBinary(formText);
    } catch (const base::Error& e) {
        err << "zeptool: " << (dir / "form.txt").string() << ": " << e.what() << "\n";
        return 1;
    }
    std::error_code ec;
    if (fs::exists(dir / "script.pas", ec)) project.script = readWholeFile((dir / "script.pas").string());
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(dir / "files", ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file()) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        std::string stored = "C:\\" + fs::relative(f, dir / "files").string();
        std::replace(stored.begin(), stored.end(), '/', '\\');
        project.files.push_back({stored, readWholeFile(f.string()), fileDosDate(f)});
    }
    std::time_t now = std::time(nullptr);
    char saved[64];
    std::strftime(saved, sizeof saved, "Saved on %H:%M:%S %d.%m.%Y", std::localtime(&now));
    project.savedOn = saved;
    project.savedOnDate = static_cast<double>(now) / 86400.0 + 25569.0;
    writeWholeFile(args[1], player::writeProject(project));
    out << args[1] << ": " << project.files.size() << " files, script " << project.script.size()
        << " bytes\n";
    return 0;
}

}  // namespace toolkit
