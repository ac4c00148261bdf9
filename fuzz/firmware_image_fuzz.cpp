// Reading Trelvor.dat of any length and content: the version trailer, and the image prepared for the download
// (the stored raise taken off, the checksum). The file may also report a length other than what it holds, as
// one that changes while it is read. Input: byte 0 the length mode (0: the real one; 1: off by byte 1 times
// 64, either way; 2: beyond what a download can announce), then (after byte 1 for modes 1 and 2) the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <numeric>
#include <span>
#include <string>
#include <vector>

#include "adapter/firmware_image.h"
#include "fuzz_check.h"
#include "fuzz_dialog.h"
#include "sandbox.h"
#include "support/firmware_images.h"
#include "support/machine.h"

namespace {

// A file that reports the length it is told to, whatever it holds.
class ReportedLengthFile : public platform::RawFile {
  public:
    ReportedLengthFile(std::unique_ptr<platform::RawFile> inner, std::uint64_t length)
        : inner_(std::move(inner)), length_(length) {}
    bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        return inner_->Read(buffer, size, got);
    }
    bool Write(const void* data, std::size_t size) override { return inner_->Write(data, size); }
    bool Seek(std::uint64_t offset) override { return inner_->Seek(offset); }
    bool Length(std::uint64_t& length) override {
        length = length_;
        return true;
    }
    bool Flush() override { return inner_->Flush(); }
    bool Close() override { return inner_->Close(); }

  private:
    std::unique_ptr<platform::RawFile> inner_;
    std::uint64_t length_;
};

class ReportedLengthFileSystem : public platform::FileSystem {
  public:
    ReportedLengthFileSystem(platform::FileSystem& inner, std::uint64_t length)
        : inner_(inner), length_(length) {}
    std::unique_ptr<platform::RawFile> Open(const std::string& path, platform::OpenMode mode,
                                            platform::FileError& error) override {
        auto file = inner_.Open(path, mode, error);
        if (!file) return nullptr;
        return std::make_unique<ReportedLengthFile>(std::move(file), length_);
    }
    bool Exists(const std::string& path) override { return inner_.Exists(path); }
    std::uint32_t GetAttributes(const std::string& path) override { return inner_.GetAttributes(path); }
    bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
        return inner_.SetAttributes(path, attributes);
    }
    bool CopyFileTo(const std::string& source, const std::string& destination, bool failIfExists) override {
        return inner_.CopyFileTo(source, destination, failIfExists);
    }
    bool RemoveFile(const std::string& path) override { return inner_.RemoveFile(path); }
    bool ReplaceFile(const std::string& replacement, const std::string& target) override {
        return inner_.ReplaceFile(replacement, target);
    }
    bool ChangeDirectory(const std::string& path) override { return inner_.ChangeDirectory(path); }
    bool MakeDirectory(const std::string& path) override { return inner_.MakeDirectory(path); }
    bool CurrentDirectory(std::string& path) override { return inner_.CurrentDirectory(path); }

  private:
    platform::FileSystem& inner_;
    std::uint64_t length_;
};

void CheckTrailer(const ImageTrailer& trailer, const std::string& file) {
    const bool versioned =
        file.size() >= kVersionedImageMinLength && file.compare(kTrailerOffset, 4, "Trel") == 0;
    FuzzCheck(trailer.kind == (versioned ? ImageTrailer::Kind::kVersion : ImageTrailer::Kind::kNoVersion),
              "the trailer read wrongly");
    if (versioned) {
        const FirmwareVersion expected{static_cast<std::uint8_t>(file[kTrailerOffset + 8]),
                                       static_cast<std::uint8_t>(file[kTrailerOffset + 9])};
        FuzzCheck(trailer.version == expected, "the version read from the wrong bytes");
    }
}

void CheckPrepared(const FirmwareImage& image, const std::string& file, std::uint64_t reported) {
    // The image is the file's length in bytes, as the file reports it when opened; a file that holds fewer
    // (it shrank) is no image.
    const bool usable = reported >= kRaisedEnd && reported <= kMaxImageLength && reported <= file.size();
    if (!usable) {
        FuzzCheck(image.kind == FirmwareImage::Kind::kUnusable, "an image taken whose length does not fit");
        return;
    }
    FuzzCheck(image.kind == FirmwareImage::Kind::kLoaded, "a usable image refused");
    FuzzCheck(image.bytes.size() == reported, "the prepared image has another length");
    FuzzCheck(StoredImage(image.bytes) == file.substr(0, reported),
              "the prepared image does not give back the stored one");
    const std::uint32_t sum = std::accumulate(image.bytes.begin(), image.bytes.end(), std::uint32_t{0});
    FuzzCheck(image.checksum == sum, "the checksum is not the sum of the prepared bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int mode = data[0] % 3;
    const std::size_t skip = mode == 0 ? 1 : 2;
    const std::string file(reinterpret_cast<const char*>(data) + skip, size - skip);
    std::uint64_t reported = file.size();
    if (mode == 1)
        reported = std::max<std::int64_t>(
            0, static_cast<std::int64_t>(file.size()) + static_cast<std::int8_t>(data[1]) * 64);
    if (mode == 2) reported = kMaxImageLength + 1 + data[1];

    Sandbox sandbox;
    sandbox.Write(kFirmwareImageName, file);
    const auto machine = MakeMachineFileSystem();
    ReportedLengthFileSystem files(*machine, reported);
    FuzzDialog f(files, platform::CodePage::kUtf8);

    CheckTrailer(f.dlg.ReadImageTrailer(), file);
    CheckPrepared(f.dlg.LoadFirmwareImage(), file, reported);
    FuzzCheck(f.view.boxes.empty(), "a box about an image that can be read");
    return 0;
}
