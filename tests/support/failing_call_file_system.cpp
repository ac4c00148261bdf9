#include "support/failing_call_file_system.h"

namespace {

class FailingCallFile : public platform::RawFile {
  public:
    FailingCallFile(std::unique_ptr<platform::RawFile> inner, FailingCallFileSystem& files)
        : inner_(std::move(inner)), files_(files) {}

    bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        return !files_.Fails("Read") && inner_->Read(buffer, size, got);
    }
    bool Write(const void* data, std::size_t size) override {
        if (files_.Fails("Write")) {
            const platform::SystemErrorCode code = platform::LastSystemError();
            inner_->Write(data, size / 2);
            platform::SetLastSystemError(code);
            return false;
        }
        return inner_->Write(data, size);
    }
    bool Seek(std::uint64_t offset) override { return !files_.Fails("Seek") && inner_->Seek(offset); }
    bool Length(std::uint64_t& length) override { return !files_.Fails("Length") && inner_->Length(length); }
    bool Flush() override { return !files_.Fails("Flush") && inner_->Flush(); }
    bool Close() override {
        const bool fails = files_.Fails("Close");
        const platform::SystemErrorCode code = platform::LastSystemError();
        const bool closed = inner_->Close();
        if (!fails) return closed;
        platform::SetLastSystemError(code);
        return false;
    }

  private:
    std::unique_ptr<platform::RawFile> inner_;
    FailingCallFileSystem& files_;
};

}  // namespace

bool FailingCallFileSystem::Fails(const std::string& call) {
    calls.push_back(call);
    if (static_cast<int>(calls.size()) != failAt_) return false;
    failed = call;
    platform::SetLastSystemError(code_);
    return true;
}

std::unique_ptr<platform::RawFile> FailingCallFileSystem::Open(const std::string& path,
                                                               platform::OpenMode mode,
                                                               platform::FileError& error) {
    if (Fails("Open " + path)) {
        error = platform::MakeFileError(code_, path);
        return nullptr;
    }
    auto file = inner_.Open(path, mode, error);
    if (!file) return nullptr;
    return std::make_unique<FailingCallFile>(std::move(file), *this);
}

bool FailingCallFileSystem::Exists(const std::string& path) {
    return !Fails("Exists " + path) && inner_.Exists(path);
}

std::uint32_t FailingCallFileSystem::GetAttributes(const std::string& path) {
    return Fails("GetAttributes " + path) ? platform::kInvalidAttributes : inner_.GetAttributes(path);
}

bool FailingCallFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    return !Fails("SetAttributes " + path) && inner_.SetAttributes(path, attributes);
}

bool FailingCallFileSystem::CopyFileTo(const std::string& source, const std::string& destination,
                                       bool failIfExists) {
    return !Fails("CopyFileTo " + destination) && inner_.CopyFileTo(source, destination, failIfExists);
}

bool FailingCallFileSystem::RemoveFile(const std::string& path) {
    return !Fails("RemoveFile " + path) && inner_.RemoveFile(path);
}

bool FailingCallFileSystem::ReplaceFile(const std::string& replacement, const std::string& target) {
    return !Fails("ReplaceFile " + target) && inner_.ReplaceFile(replacement, target);
}

bool FailingCallFileSystem::ChangeDirectory(const std::string& path) {
    return !Fails("ChangeDirectory " + path) && inner_.ChangeDirectory(path);
}

bool FailingCallFileSystem::MakeDirectory(const std::string& path) {
    return !Fails("MakeDirectory " + path) && inner_.MakeDirectory(path);
}

bool FailingCallFileSystem::CurrentDirectory(std::string& path) {
    return !Fails("CurrentDirectory") && inner_.CurrentDirectory(path);
}
