#include "library/FileOperations.h"

#include <string>
#include <vector>

#include "platform/FileOperation.h"

namespace library {
namespace {

// "a.txt;b.txt" names two sources; empty pieces name none.
std::vector<std::string> sourceList(std::string_view from) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos <= from.size()) {
        size_t end = from.find(';', pos);
        if (end == std::string_view::npos) end = from.size();
        if (end > pos) out.emplace_back(from.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

int32_t shellResult(const platform::FileOperationResult& r) {
    switch (r.status) {
    case platform::FileOperationStatus::Done: return 0;
    case platform::FileOperationStatus::Aborted: return -1;
    case platform::FileOperationStatus::Failed: break;
    }
    return 1;
}

int32_t run(platform::FileOperationKind kind, std::string_view from, std::string_view to,
            std::string_view progressTitle, bool yesToAll) {
    platform::FileOperation op;
    op.kind = kind;
    op.sources = sourceList(from);
    op.target = std::string(to);
    op.flags = platform::kFofNoConfirmMkDir;
    if (yesToAll) op.flags |= platform::kFofNoConfirmation;
    if (!progressTitle.empty()) {
        op.flags |= platform::kFofSimpleProgress;
        op.progressTitle = std::string(progressTitle);
    }
    return shellResult(platform::runFileOperation(op));
}

}  // namespace

int32_t copyFilesAndOrDirs(std::string_view from, std::string_view to, std::string_view progressTitle,
                           int32_t, bool yesToAll) {
    return run(platform::FileOperationKind::Copy, from, to, progressTitle, yesToAll);
}

int32_t deleteFilesAndOrDirs(std::string_view from, std::string_view, std::string_view progressTitle, int32_t,
                             bool yesToAll) {
    return run(platform::FileOperationKind::Delete, from, {}, progressTitle, yesToAll);
}

bool copyDirectory(std::string_view directory, std::string_view destinationFolder, bool gui, bool simpleGui,
                   bool copyConfirmation, bool mkDirConfirmation, bool errorGui, bool& userHasCancelled) {
    platform::FileOperation op;
    op.kind = platform::FileOperationKind::Copy;
    op.sources = {std::string(directory)};
    op.target = std::string(destinationFolder);
    if (gui) op.flags |= simpleGui ? platform::kFofSimpleProgress : platform::kFofSilent;
    if (!copyConfirmation) op.flags |= platform::kFofNoConfirmation;
    if (!mkDirConfirmation) op.flags |= platform::kFofNoConfirmMkDir;
    if (!errorGui) op.flags |= platform::kFofNoErrorUi;
    platform::FileOperationResult r = platform::runFileOperation(op);
    userHasCancelled = r.anyAborted;
    return r.status == platform::FileOperationStatus::Done;
}

}  // namespace library
