// The file-error record: why a file could not be opened, written or removed, classed into the fifteen
// causes whose texts the program shows.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

enum class FileErrorCause : int {
    kNone = 0,
    kGeneric = 1,
    kFileNotFound = 2,
    kBadPath = 3,
    kTooManyOpenFiles = 4,
    kAccessDenied = 5,
    kInvalidFile = 6,
    kRemoveCurrentDir = 7,
    kDirectoryFull = 8,
    kBadSeek = 9,
    kHardIO = 10,
    kSharingViolation = 11,
    kLockViolation = 12,
    kDiskFull = 13,
    kEndOfFile = 14,
};

struct FileError {
    FileErrorCause cause = FileErrorCause::kNone;
    std::uint32_t osError = 0;  // the system's own code (GetLastError value or errno)
    std::string fileName;       // as passed to the failed operation; empty for an unnamed file

    bool failed() const { return cause != FileErrorCause::kNone; }
};

// The text of a cause with %1 replaced by the file name (by "未命名檔案" when the record names no file).
std::string FileErrorText(const FileError& error);
std::string FileErrorTemplate(FileErrorCause cause);

// Classes a system error code (the backend's: a Win32 error code or an errno value) into its cause.
FileErrorCause CauseOfSystemError(std::uint32_t osError);

FileError MakeFileError(std::uint32_t osError, const std::string& fileName);

// A file error that is raised rather than returned, as the window framework raises it for a failed delete,
// write or close; the command dispatch reports it.
class FileException : public std::runtime_error {
  public:
    explicit FileException(FileError error);
    const FileError& error() const { return error_; }

  private:
    FileError error_;
};

}  // namespace platform
