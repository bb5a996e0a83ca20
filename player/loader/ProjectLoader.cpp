#include "player/loader/ProjectLoader.h"

#include <cstdio>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "base/Error.h"
#include "base/Json.h"
#include "classes/Streams.h"
#include "classes/TStrings.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "player/ArchiveInput.h"
#include "player/EmbeddedLoad.h"
#include "player/Loader.h"
#include "player/ProcessState.h"
#include "player/TempFolders.h"
#include "player/loader/ProjectReader.h"
#include "vcl/Forms.h"
#include "vcl/Graphic.h"

namespace fs = std::filesystem;

namespace player {
namespace {

constexpr const char* kMakerAddress = "www.tamberlo.com";

vcl::TAutorunForm* g_mainForm = nullptr;

void notAProject(const std::string& shownName) {
    platform::dialogs().messageBox(
        "The file \"" + shownName + "\"\r\nis not an Ossimar file or the file is corrupted.", "Error",
        platform::MB_OK | platform::MB_ICONERROR);
}

void newerVersion(const std::string& shownName) {
    platform::dialogs().messageBox(
        "The file \"" + shownName +
            "\"\r\nis designed to be played by a newer version of Vantrel.\r\n\r\nVisit " + kMakerAddress +
            " and download the latest version of Ossimar.",
        "Newer version detected !", platform::MB_OK | platform::MB_ICONWARNING);
}

bool isProjectKind(const std::string& kind) {
    return base::ansiSameText(kind, "ZEPScript") || base::ansiSameText(kind, "ZEPScriptExtended");
}

void skipValues(classes::TReader& reader, int64_t count) {
    for (int64_t i = 0; i < count; ++i) reader.skipValue();
}

// Extraction writes only inside the player's own temporary folder; without one the
// project is not loaded at all, so nothing can land beside it.
bool haveTemporaryFolder(const std::string& shownName) {
    if (!TempFolders::instance().appFolder().empty()) return true;
    std::string tried;
    for (const fs::path& folder : platform::userTempFolderCandidates()) {
        tried += (tried.empty() ? "\"" : ", \"") + platform::windowsPath(folder) + "\"";
    }
    platform::dialogs().messageBox("Unable to create a temporary folder in " + tried +
                                       ".\r\n\r\nThe file \"" + shownName +
                                       "\"\r\ncannot be played without one.",
                                   "Error", platform::MB_OK | platform::MB_ICONERROR);
    return false;
}

// The project's files into the embedded folder, then for newer formats the script
// archive into its own folder, from which "script.txt" is read.
void restoreArchives(const fs::path& file, uint64_t position, int version, EmbeddedLoad& progress,
                     ScriptHandover& handover) {
    const fs::path embeddedFolder = TempFolders::instance().embeddedFolder();
    if (embeddedFolder.empty()) throw base::Error("No embedded folder");  // never the current folder
    FileArchiveInput input(file, position);
    progress.startTimer();
    const std::string embedded = platform::windowsPath(embeddedFolder);
    bool restored = progress.embeddedFiles().RestoreFromStream(input, embedded);
    progress.stopTimer();
    progress.hide();
    platform::dialogs().logEvent(base::JsonObject()
                                     .add("kind", "embedded")
                                     .add("folder", base::CodePage::active().toUtf8(embedded))
                                     .add("files", progress.embeddedFiles().filesRestored())
                                     .add("ok", restored));
    if (version <= 7) return;

    fs::path scriptFolder = TempFolders::instance().makeFolder(kScriptSuffix);
    progress.detachProgress();
    progress.embeddedFiles().RestoreFromStream(input, platform::windowsPath(scriptFolder));
    fs::path script = platform::drives().resolve(platform::windowsPath(scriptFolder / "script.txt"));
    classes::TStringList lines;
    lines.loadFromFile(script.string());  // a missing script is a load error
    handover.source = lines.text();
    handover.hasSource = true;
    std::error_code ec;
    fs::remove(script, ec);
    fs::remove(scriptFolder, ec);
}

}  // namespace

vcl::TAutorunForm* mainForm() { return g_mainForm; }

void freeMainForm() {
    delete g_mainForm;
    g_mainForm = nullptr;
}

LoadResult loadProjectFile(const fs::path& file, uint64_t offset, EmbeddedLoad& progress) {
    const std::string shownName = platform::windowsPath(file);
    if (!haveTemporaryFolder(shownName)) return LoadResult::Failed;
    try {
        std::error_code ec;
        platform::drives().mountDriveFor(file);
        state().setSourceFolder(file.parent_path());
        fs::current_path(file.parent_path(), ec);

        ScriptHandover handover;
        bool hasFiles = false;
        uint64_t archivePosition = 0;
        {
            classes::TFileStream stream(file.string(), classes::FileMode::OpenRead);
            stream.seek(static_cast<int64_t>(offset), classes::SeekOrigin::Beginning);
            TZEPReader reader(stream);
            std::string kind;
            try {
                reader.readSignature();
                kind = reader.readString();
            } catch (const base::Error&) {
                notAProject(shownName);
                return LoadResult::NotAProject;
            }
            if (!isProjectKind(kind)) {
                notAProject(shownName);
                return LoadResult::NotAProject;
            }
            if (base::ansiSameText(kind, "ZEPScriptExtended")) skipValues(reader, 6);
            skipValues(reader, 1);
            handover.formatVersion = reader.readInteger();
            if (handover.formatVersion > kMaxFormatVersion) {
                newerVersion(shownName);
                return LoadResult::NewerVersion;
            }
            skipValues(reader, 4);
            handover.bytecode = reader.readString();
            handover.debugInfo = reader.readString();

            freeMainForm();
            g_mainForm = new vcl::TAutorunForm(nullptr);
            reader.readRootComponent(g_mainForm);
            g_mainForm->hide();
            vcl::application().setTitle(g_mainForm->caption());
            state().setApplicationTitle(g_mainForm->caption());
            if (g_mainForm->icon() && !g_mainForm->icon()->empty())
                vcl::application().setIcon(g_mainForm->icon());

            skipValues(reader, reader.readInteger());
            skipValues(reader, 20);
            // A folder that cannot be made is a load error: the files have nowhere else to go.
            TempFolders::instance().setEmbeddedFolder(TempFolders::instance().makeFolder(kEmbeddedSuffix));
            try {
                hasFiles = reader.readBoolean();
            } catch (const base::Error&) {
                hasFiles = false;
            }
            archivePosition = static_cast<uint64_t>(reader.position());
        }
        if (hasFiles) restoreArchives(file, archivePosition, handover.formatVersion, progress, handover);
        runScript(handover);
        return LoadResult::Ran;
    } catch (const std::exception&) {
        platform::dialogs().messageBox("An error occured while loading \"" + shownName + "\".", "Error",
                                       platform::MB_OK | platform::MB_ICONERROR);
        return LoadResult::Failed;
    }
}

}  // namespace player
