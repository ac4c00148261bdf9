#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/folder_listing_cache_posix.h"
#include "platform/windows_path_posix.h"

namespace platform {

// The file system of the machine, with Windows semantics where the installer relies on them: read-only is
// the owner-write bit and is honoured even for root, sharing modes are advisory locks, and a missing file is
// told apart from a missing folder. Folders are listed for case-insensitive lookups once per change.
class PosixFileSystem : public FileSystem {
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

  private:
    std::optional<std::string> Resolve(const std::string& path);
    std::optional<ResolvedPath> ResolveStatus(const std::string& path);

    FolderListingCache listings_;
};

}  // namespace platform
