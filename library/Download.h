// Downloading a URL into a file with the progress dialog (download variant), as
// DownloadFile and DownloadFileEx do for scripts. Every form is disabled while the
// download runs and enabled again afterwards; window messages keep running, so the
// dialog's Cancel button works and script events may run nested. The file is written
// under a temporary name beside the target and renamed over it only when the whole body
// arrived: a failed or cancelled download leaves the target as it was. Never raises.
#pragma once

#include <string>

namespace library {

bool DownloadFile(const std::string& url, const std::string& localFile);
// As DownloadFile, showing `message` from the start and before every status line.
bool DownloadFileEx(const std::string& url, const std::string& localFile, const std::string& message);

}  // namespace library
