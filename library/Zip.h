// UnzipFile and IsZip: the extraction engine driven with the progress dialog, the question
// for files that already exist, the prompt for a missing archive and one error message per
// failed entry, all through the dialog service.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace library {

// True for an existing file (not a folder) whose name has a "." and no ".exe" and which
// begins with a ZIP local header. Placeholders are not expanded.
bool IsZip(std::string_view fileName);

// Extracts the entries matching `filesToExtract` ("*.*" when empty) below `targetDirectory`.
// The error code of the last entry that failed (0 when none did); -1000 when the archive is
// missing and the user named no other; the negative code of a failure that ended the whole
// run (not an archive, cannot be read, cancelled). Placeholders are not expanded.
int32_t UnzipFile(std::string_view zipFileName, std::string_view targetDirectory,
                  std::string_view filesToExtract);

// `path` shortened to fit `width` as `measure` counts: folders after the first part give way
// to "..." from the left, then the file name is all that is left.
std::string elidePath(std::string_view path, int width, const std::function<int(std::string_view)>& measure);

}  // namespace library
