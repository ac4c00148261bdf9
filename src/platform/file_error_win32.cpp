#include "platform/windows_headers_win32.h"

#include "platform/file_error.h"

namespace platform {

// Win32 error codes classed as the window framework classes them for its file errors.
FileErrorCause CauseOfSystemError(std::uint32_t osError) {
    switch (osError) {
        case ERROR_SUCCESS:
            return FileErrorCause::kNone;
        case ERROR_FILE_NOT_FOUND:
            return FileErrorCause::kFileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:
            return FileErrorCause::kBadPath;
        case ERROR_TOO_MANY_OPEN_FILES:
        case ERROR_SHARING_BUFFER_EXCEEDED:
        case ERROR_NO_MORE_SEARCH_HANDLES:
            return FileErrorCause::kTooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_INVALID_ACCESS:
        case ERROR_WRITE_PROTECT:
        case ERROR_NETWORK_ACCESS_DENIED:
            return FileErrorCause::kAccessDenied;
        case ERROR_INVALID_HANDLE:
        case ERROR_INVALID_TARGET_HANDLE:
        case ERROR_BAD_FORMAT:
            return FileErrorCause::kInvalidFile;
        case ERROR_CURRENT_DIRECTORY:
        case ERROR_DIR_NOT_EMPTY:
            return FileErrorCause::kRemoveCurrentDir;
        case ERROR_CANNOT_MAKE:
            return FileErrorCause::kDirectoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_READ_FAULT:
            return FileErrorCause::kBadSeek;
        case ERROR_NOT_READY:
        case ERROR_BAD_UNIT:
        case ERROR_CRC:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_ADAP_HDW_ERR:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NET_WRITE_FAULT:
            return FileErrorCause::kHardIO;
        case ERROR_SHARING_VIOLATION:
            return FileErrorCause::kSharingViolation;
        case ERROR_LOCK_VIOLATION:
        case ERROR_DRIVE_LOCKED:
        case ERROR_LOCK_FAILED:
            return FileErrorCause::kLockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileErrorCause::kDiskFull;
        case ERROR_HANDLE_EOF:
            return FileErrorCause::kEndOfFile;
        default:
            return FileErrorCause::kGeneric;
    }
}

}  // namespace platform
