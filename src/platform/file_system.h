// The file calls the installer makes, on Windows-style paths ("C:\Keil\UV3\X.DLL"). Every call that fails
// records the system's error code (LastSystemError) before it returns, as the Win32 calls do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_error.h"

namespace platform {

// Attribute bits as Windows defines them.
constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrNormal = 0x80;
constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFF;

// How a file is opened, and what other openers may do with it meanwhile.
enum class OpenMode {
    kReadDenyWrite,             // existing file, read only; others may read but not write
    kReadWriteDenyWrite,        // existing file, read and write; others may read but not write
    kCreateReadWriteExclusive,  // created, or emptied if it exists; shared with nobody
    kReadExclusive,             // existing file, read only; shared with nobody
    // Existing file, read and write; others may read but not write, and a second opener in this mode is
    // refused (a sharing violation) until it is closed. While it stays open, ReplaceFile may put another
    // file in its place: the lock is held over a whole read-modify-write.
    kEditDenyWrite,
};

// An open file. Results follow the system calls: false on failure, with LastSystemError set.
class RawFile {
  public:
    virtual ~RawFile() = default;
    virtual bool Read(void* buffer, std::size_t size, std::size_t& got) = 0;
    virtual bool Write(const void* data, std::size_t size) = 0;
    virtual bool Seek(std::uint64_t offset) = 0;
    virtual bool Length(std::uint64_t& length) = 0;
    virtual bool Flush() = 0;  // through to the medium
    virtual bool Close() = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // On failure returns null and fills error (cause, system code, the path as given).
    virtual std::unique_ptr<RawFile> Open(const std::string& path, OpenMode mode, FileError& error) = 0;

    // A directory search on the exact path: true for an existing file or folder.
    virtual bool Exists(const std::string& path) = 0;
    virtual std::uint32_t GetAttributes(const std::string& path) = 0;  // kInvalidAttributes on failure
    virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;

    // Copies contents and attributes; replaces an existing destination unless failIfExists.
    virtual bool CopyFileTo(const std::string& source, const std::string& destination, bool failIfExists) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    // Puts replacement in the place of target in one step (target need not exist).
    virtual bool ReplaceFile(const std::string& replacement, const std::string& target) = 0;

    virtual bool ChangeDirectory(const std::string& path) = 0;
    virtual bool MakeDirectory(const std::string& path) = 0;  // one level; the parent must exist
    virtual bool CurrentDirectory(std::string& path) = 0;
};

}  // namespace platform
