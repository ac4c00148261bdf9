// A file system that passes every call on and writes down each path a call was asked to change: opened for
// writing, created, copied to, removed, replaced (both names), given attributes, made a folder. Attempts
// count as much as successes, since an attempt on a path outside the expected folder is the fault itself.
// Confined to a folder, it refuses (access denied) every change outside it instead of passing it on, so that
// a fault it is looking for cannot damage the machine.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

class ChangeLogFileSystem : public platform::FileSystem {
  public:
    explicit ChangeLogFileSystem(platform::FileSystem& inner,
                                 std::optional<std::filesystem::path> confinedTo = std::nullopt)
        : inner_(inner), confinedTo_(std::move(confinedTo)) {}

    // Each path where it points (see LexicalTarget), in the order of the calls.
    std::vector<std::filesystem::path> changed;

    std::unique_ptr<platform::RawFile> Open(const std::string& path, platform::OpenMode mode,
                                            platform::FileError& error) override;
    bool Exists(const std::string& path) override { return inner_.Exists(path); }
    std::uint32_t GetAttributes(const std::string& path) override { return inner_.GetAttributes(path); }
    bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
    bool CopyFileTo(const std::string& source, const std::string& destination, bool failIfExists) override;
    bool RemoveFile(const std::string& path) override;
    bool ReplaceFile(const std::string& replacement, const std::string& target) override;
    bool ChangeDirectory(const std::string& path) override { return inner_.ChangeDirectory(path); }
    bool MakeDirectory(const std::string& path) override;
    bool CurrentDirectory(std::string& path) override { return inner_.CurrentDirectory(path); }

  private:
    // Writes the path down; false when the change is to be refused.
    bool Note(const std::string& path);

    platform::FileSystem& inner_;
    std::optional<std::filesystem::path> confinedTo_;
};

// Where a Windows-style path points on this machine's file system, worked out from its text alone: either
// separator, "." and ".." taken out, a relative path taken from the current directory.
std::filesystem::path LexicalTarget(const std::string& windowsPath);

// Whether path (as LexicalTarget gives it) is folder itself or lies below it.
bool LexicallyWithin(const std::filesystem::path& path, const std::filesystem::path& folder);
