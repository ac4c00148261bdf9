// Reading Trelvor.dat from the working directory: the version trailer for the check, the whole image for
// the download. The file is read afresh each time and closed before anything is sent.
#include "adapter/firmware_image.h"
#include "app/setup_dlg.h"
#include "platform/file_system.h"
#include "platform/system_error.h"

namespace {

// Reads until the buffer is full or the file ends; false on a read error.
bool ReadUpTo(platform::RawFile& file, std::span<std::uint8_t> buffer, std::size_t& got) {
    got = 0;
    while (got < buffer.size()) {
        std::size_t n = 0;
        if (!file.Read(buffer.data() + got, buffer.size() - got, n)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

}  // namespace

std::unique_ptr<platform::RawFile> CSetupDlg::OpenFirmwareImage(std::string& path) {
    std::string directory;
    if (!m_files.CurrentDirectory(directory)) {
        ReportSystemError();
        return nullptr;
    }
    path = directory + "\\" + kFirmwareImageName;
    platform::FileError error;
    auto file = m_files.Open(path, platform::OpenMode::kReadExclusive, error);
    if (!file) {
        error.fileName = path;
        ShowMessage(platform::FileErrorText(error), m_caption, platform::BoxStyle::kOkWarning);
    }
    return file;
}

// A read that fails after the open is reported like a failed open, with the read's cause.
void CSetupDlg::ReportImageReadError(const std::string& path) {
    const platform::FileError error = platform::MakeFileError(platform::LastSystemError(), path);
    ShowMessage(platform::FileErrorText(error), m_caption, platform::BoxStyle::kOkWarning);
}

ImageTrailer CSetupDlg::ReadImageTrailer() {
    std::string path;
    auto file = OpenFirmwareImage(path);
    if (!file) return {ImageTrailer::Kind::kOpenFailed, {}};

    std::array<std::uint8_t, kTrailerSize> trailer{};
    std::size_t got = 0;
    const bool read = file->Seek(kTrailerOffset) && ReadUpTo(*file, trailer, got);
    if (!read) ReportImageReadError(path);
    file->Close();
    if (!read) return {ImageTrailer::Kind::kOpenFailed, {}};

    // A file that ends before the trailer does carries no version.
    const auto version = got == kTrailerSize ? VersionOfTrailer(trailer) : std::nullopt;
    if (!version) return {ImageTrailer::Kind::kNoVersion, {}};
    return {ImageTrailer::Kind::kVersion, *version};
}

FirmwareImage CSetupDlg::LoadFirmwareImage() {
    std::string path;
    auto file = OpenFirmwareImage(path);
    if (!file) return {};

    std::uint64_t length = 0;
    if (!file->Length(length)) {
        ReportImageReadError(path);
        file->Close();
        return {};
    }
    // Too short to take the raise off, or too long for the 24-bit length of the start report.
    if (length < kRaisedEnd || length > kMaxImageLength) {
        file->Close();
        return {FirmwareImage::Kind::kUnusable, {}, 0};
    }

    FirmwareImage image{FirmwareImage::Kind::kLoaded, std::vector<std::uint8_t>(length), 0};
    std::size_t got = 0;
    const bool read = ReadUpTo(*file, image.bytes, got);
    if (!read) ReportImageReadError(path);
    file->Close();
    if (!read) return {};
    if (got != length) return {FirmwareImage::Kind::kUnusable, {}, 0};  // the file shrank meanwhile

    LowerStoredRaise(image.bytes);
    image.checksum = SumOfImage(image.bytes);
    return image;
}
