// The calling thread's last system error as a Windows error code: what the script routines
// that report "the last system error" read after a platform call failed on this thread.
#pragma once

namespace platform {

int lastSystemError();
void setLastSystemError(int code);
// Records errno (or `err`) as the thread's last system error, translated by systemErrorFromErrno.
void setLastSystemErrorFromErrno(int err);
// The Windows error code nearest to an errno value (ENOENT 2, EACCES 5, EEXIST 183, ...);
// 0 stays 0 and an errno without a counterpart gives 31 ("A device attached to the system
// is not functioning").
int systemErrorFromErrno(int err);

}  // namespace platform
