#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace platform {

// The machine's file system through the ANSI file calls, with their own semantics: share modes enforced by
// the system, the read-only attribute, and its error codes.
class Win32FileSystem : public FileSystem {
  public:
    std::unique_ptr<RawFile> Open(const std::string& path, OpenMode mode, FileError& error) override;
    bool Exists(const std::string& path) override;
    std::uint32_t GetAttributes(const std::string& path) override;
    bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
    bool CopyFileTo(const std::string& source, const std::string& destination, bool failIfExists) override;
    bool RemoveFile(const std::string& path) override;
    bool ReplaceFile(const std::string& replacement, const std::string& target) override;
    bool ChangeDirectory(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool CurrentDirectory(std::string& path) override;

    // A handle shared by an open file and, for files opened to edit, the list of edit locks.
    struct OpenHandle {
        explicit OpenHandle(void* h) : handle(h) {}
        ~OpenHandle();
        OpenHandle(const OpenHandle&) = delete;
        OpenHandle& operator=(const OpenHandle&) = delete;
        bool Release();
        void* handle;
    };

  private:
    std::vector<std::pair<std::string, std::weak_ptr<OpenHandle>>> editLocks_;  // full path -> lock
};

}  // namespace platform
