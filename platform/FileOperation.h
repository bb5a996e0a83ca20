// The shell's file operation: copying and deleting files and folder trees named by Windows
// paths, with its questions (replace a file, create a folder, delete), progress window and
// error boxes, all through the dialog service, so automation answers them.
//
// Copy: one source is copied as the target unless the target is an existing folder; several
// sources, or a source with wildcards, are copied into the target folder. Missing folders are
// created. A file is written under a temporary name beside its target and renamed when
// complete, so an aborted or failed copy never leaves a half file under the target's name.
// The last write time, the mode and the attributes of FileAttributes.h travel with the file;
// symbolic links are copied as links; devices, pipes and sockets are skipped.
//
// Delete: removes files and whole trees for good, never following a link. A source that is
// the root file system, a drive root, a mount point, the home folder or one of its ancestors
// (also as the folder of "*" or "*.*") is refused before anything is deleted.
//
// Main thread: the questions and the progress window are dialogs, and pending window messages
// run now and then while the work goes on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Flags of the operation, with the shell's values.
enum FileOperationFlags : uint32_t {
    kFofSilent = 0x4,            // no progress window
    kFofNoConfirmation = 0x10,   // "Yes to All" to every question
    kFofSimpleProgress = 0x100,  // a progress window with the given title and no file names
    kFofNoConfirmMkDir = 0x200,  // create missing folders without asking
    kFofNoErrorUi = 0x400,       // no error boxes
};

enum class FileOperationKind { Copy = 2, Delete = 3 };

struct FileOperation {
    FileOperationKind kind = FileOperationKind::Copy;
    std::vector<std::string> sources;  // Windows paths; the last component may hold wildcards
    std::string target;                // Windows path (copy only)
    uint32_t flags = 0;
    std::string progressTitle;  // the window's title with kFofSimpleProgress
};

enum class FileOperationStatus { Done, Aborted, Failed };

struct FileOperationResult {
    FileOperationStatus status = FileOperationStatus::Done;
    bool anyAborted = false;  // a file was skipped at a question, or the operation was stopped
    std::string error;        // Failed: the text of the error (shown unless kFofNoErrorUi)
};

FileOperationResult runFileOperation(const FileOperation& operation);

}  // namespace platform
