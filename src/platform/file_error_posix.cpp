#include <cerrno>

#include "platform/file_error.h"

namespace platform {

// ENOENT is classed by the backend itself (file not found or bad path, depending on whether the folder
// exists); here it counts as a missing file.
FileErrorCause CauseOfSystemError(std::uint32_t osError) {
    switch (static_cast<int>(osError)) {
        case 0:
            return FileErrorCause::kNone;
        case ENOENT:
            return FileErrorCause::kFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
            return FileErrorCause::kBadPath;
        case EMFILE:
        case ENFILE:
            return FileErrorCause::kTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return FileErrorCause::kAccessDenied;
        case EBADF:
            return FileErrorCause::kInvalidFile;
        case EBUSY:
        case ENOTEMPTY:
            return FileErrorCause::kRemoveCurrentDir;
        case EMLINK:
            return FileErrorCause::kDirectoryFull;
        case ESPIPE:
            return FileErrorCause::kBadSeek;
        case EIO:
        case ENXIO:
        case ENODEV:
            return FileErrorCause::kHardIO;
        case EWOULDBLOCK:
        case ETXTBSY:
            return FileErrorCause::kSharingViolation;
        case EDEADLK:
        case ENOLCK:
            return FileErrorCause::kLockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileErrorCause::kDiskFull;
        default:
            return FileErrorCause::kGeneric;
    }
}

}  // namespace platform
