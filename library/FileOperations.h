// The script routines over the shell's file operation (platform/FileOperation.h): copying and
// deleting lists of files and folders, and copying one folder as a whole. Sources and targets
// are Windows paths, already expanded; several sources are separated by ";".
#pragma once

#include <cstdint>
#include <string_view>

namespace library {

// 0 on success, -1 when the person stopped it, 1 on any other failure. `handle` (the owner
// window) has no meaning here; the dialogs belong to the application.
int32_t copyFilesAndOrDirs(std::string_view from, std::string_view to, std::string_view progressTitle,
                           int32_t handle, bool yesToAll);
// `to` is not used; sources are deleted for good.
int32_t deleteFilesAndOrDirs(std::string_view from, std::string_view to, std::string_view progressTitle,
                             int32_t handle, bool yesToAll);
// True when the copy succeeded; `userHasCancelled` tells whether any part was skipped or stopped.
bool copyDirectory(std::string_view directory, std::string_view destinationFolder, bool gui, bool simpleGui,
                   bool copyConfirmation, bool mkDirConfirmation, bool errorGui, bool& userHasCancelled);

}  // namespace library
