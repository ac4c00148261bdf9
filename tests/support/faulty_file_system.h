// A file system that passes every call to another one, except the calls a test chose to fail: the n-th
// write (after writing half of it), the flush or the close of a file opened for writing, the creation of a
// file, a replace, or the n-th copy. A failed call records its system error code as the real one would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/system_error.h"
#include "support/machine.h"

struct Faults {
    int failWriteNumber = 0;  // 1 = the first Write through this file system; 0 = none
    bool failFlush = false;
    bool failClose = false;  // of files opened for writing
    bool failCreate = false;
    bool failReplace = false;
    int failCopyNumber = 0;                                     // 1 = the first CopyFileTo; 0 = none
    platform::SystemErrorCode code = MachineErrors().diskFull;  // the code a failed call records
};

class FaultyFileSystem : public platform::FileSystem {
  public:
    FaultyFileSystem(platform::FileSystem& inner, Faults faults) : inner_(inner), faults_(faults) {}

    std::vector<std::string> opened;  // every path opened, in order

    std::unique_ptr<platform::RawFile> Open(const std::string& path, platform::OpenMode mode,
                                            platform::FileError& error) override;
    bool Exists(const std::string& path) override { return inner_.Exists(path); }
    std::uint32_t GetAttributes(const std::string& path) override { return inner_.GetAttributes(path); }
    bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
        return inner_.SetAttributes(path, attributes);
    }
    bool CopyFileTo(const std::string& source, const std::string& destination, bool failIfExists) override;
    bool RemoveFile(const std::string& path) override { return inner_.RemoveFile(path); }
    bool ReplaceFile(const std::string& replacement, const std::string& target) override;
    bool ChangeDirectory(const std::string& path) override { return inner_.ChangeDirectory(path); }
    bool MakeDirectory(const std::string& path) override { return inner_.MakeDirectory(path); }
    bool CurrentDirectory(std::string& path) override { return inner_.CurrentDirectory(path); }

    // Whether the next Write through this file system is to fail (counts it).
    bool NextWriteFails() { return ++writes_ == faults_.failWriteNumber; }
    const Faults& faults() const { return faults_; }

  private:
    platform::FileSystem& inner_;
    Faults faults_;
    int writes_ = 0;
    int copies_ = 0;
};
