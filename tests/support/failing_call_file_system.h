// A file system that numbers every call made through it, those of the files it opened included, and fails
// the one numbered failAt (from 1; 0 fails none), as the system would fail it: an open gives no file, a write
// puts half its bytes down first (the medium filled up midway), a close still closes. Running an operation
// once for every number up to the last call it makes fails each of its steps in turn.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/system_error.h"

class FailingCallFileSystem : public platform::FileSystem {
  public:
    FailingCallFileSystem(platform::FileSystem& inner, int failAt, platform::SystemErrorCode code)
        : inner_(inner), failAt_(failAt), code_(code) {}

    // Counts afresh from now on, and fails the failAt-th call.
    void Arm(int failAt) {
        failAt_ = failAt;
        calls.clear();
        failed.clear();
    }

    // Every call so far, named as "Open C:\...\TOOLS.INI", "Write", ...
    std::vector<std::string> calls;
    // The call that was failed; empty when the operation made fewer calls than failAt.
    std::string failed;

    // Counts the call; true when it is the one to fail (its error code is then recorded).
    bool Fails(const std::string& call);

    std::unique_ptr<platform::RawFile> Open(const std::string& path, platform::OpenMode mode,
                                            platform::FileError& error) override;
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
    platform::FileSystem& inner_;
    int failAt_;
    platform::SystemErrorCode code_;
};
