#include "support/faulty_file_system.h"

namespace {

bool FailWith(platform::SystemErrorCode code) {
    platform::SetLastSystemError(code);
    return false;
}

class FaultyFile : public platform::RawFile {
  public:
    FaultyFile(std::unique_ptr<platform::RawFile> inner, FaultyFileSystem& files, bool writes)
        : inner_(std::move(inner)), files_(files), writes_(writes) {}

    bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        return inner_->Read(buffer, size, got);
    }
    bool Write(const void* data, std::size_t size) override {
        if (files_.NextWriteFails()) {
            inner_->Write(data, size / 2);  // the medium filled up midway
            return FailWith(files_.faults().code);
        }
        return inner_->Write(data, size);
    }
    bool Seek(std::uint64_t offset) override { return inner_->Seek(offset); }
    bool Length(std::uint64_t& length) override { return inner_->Length(length); }
    bool Flush() override {
        if (writes_ && files_.faults().failFlush) return FailWith(files_.faults().code);
        return inner_->Flush();
    }
    bool Close() override {
        const bool closed = inner_->Close();
        if (writes_ && files_.faults().failClose) return FailWith(files_.faults().code);
        return closed;
    }

  private:
    std::unique_ptr<platform::RawFile> inner_;
    FaultyFileSystem& files_;
    bool writes_;
};

}  // namespace

std::unique_ptr<platform::RawFile> FaultyFileSystem::Open(const std::string& path, platform::OpenMode mode,
                                                          platform::FileError& error) {
    opened.push_back(path);
    const bool creates = mode == platform::OpenMode::kCreateReadWriteExclusive;
    if (creates && faults_.failCreate) {
        FailWith(faults_.code);
        error = platform::MakeFileError(faults_.code, path);
        return nullptr;
    }
    auto file = inner_.Open(path, mode, error);
    if (!file) return nullptr;
    const bool writes = creates || mode == platform::OpenMode::kReadWriteDenyWrite;
    return std::make_unique<FaultyFile>(std::move(file), *this, writes);
}

bool FaultyFileSystem::CopyFileTo(const std::string& source, const std::string& destination,
                                  bool failIfExists) {
    if (++copies_ == faults_.failCopyNumber) return FailWith(faults_.code);
    return inner_.CopyFileTo(source, destination, failIfExists);
}

bool FaultyFileSystem::ReplaceFile(const std::string& replacement, const std::string& target) {
    if (faults_.failReplace) return FailWith(faults_.code);
    return inner_.ReplaceFile(replacement, target);
}
