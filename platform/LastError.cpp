#include "platform/LastError.h"

#include <cerrno>

namespace platform {
namespace {
thread_local int t_lastError = 0;
}  // namespace

int lastSystemError() { return t_lastError; }

void setLastSystemError(int code) { t_lastError = code; }

void setLastSystemErrorFromErrno(int err) { t_lastError = systemErrorFromErrno(err); }

int systemErrorFromErrno(int err) {
    switch (err) {
    case 0: return 0;
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    case EXDEV: return 17;
    case EBUSY:
    case ETXTBSY: return 32;
    case ENOSPC: return 112;
    case EINVAL: return 87;
    case EPIPE: return 109;
    case ENAMETOOLONG: return 206;
    case ENOTEMPTY: return 145;
    case EEXIST: return 183;
    case ECANCELED: return 1223;
    case ETIMEDOUT: return 1460;
    case ENOSYS:
    case EOPNOTSUPP: return 50;
    default: return 31;
    }
}

}  // namespace platform
