// The firmware image: its trailer, the stored raise and the checksum, and reading it from the working folder.
#include "adapter/firmware_image.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_error.h"
#include "support/adapter_fixture.h"
#include "support/firmware_images.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes TrailerOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::optional<FirmwareVersion> Version(const Bytes& trailer) {
    return VersionOfTrailer(std::span<const std::uint8_t, kTrailerSize>(trailer.data(), kTrailerSize));
}

TEST(ImageTrailer, VersionFollowsTheMagicInFileOrder) {
    EXPECT_EQ(Version(TrailerOf(std::string("Trel\0\0\0\0\x02\x15", 10))), (FirmwareVersion{0x02, 0x15}));
    // Bytes 4 to 7 are free.
    EXPECT_EQ(Version(TrailerOf("Trel\xFFX\x01?\x15\x02")), (FirmwareVersion{0x15, 0x02}));
}

TEST(ImageTrailer, AnyDifferenceInTheMagicMeansNoVersion) {
    for (const char* magic : {"trel", "TREL", "TreL", "Tre ", "Xrel", "Trex", "\0rel"}) {
        SCOPED_TRACE(magic);
        std::string trailer(magic, 4);
        trailer += std::string("\0\0\0\0\x02\x15", 6);
        EXPECT_EQ(Version(TrailerOf(trailer)), std::nullopt);
    }
}

TEST(PreparedImage, AllZeroImageWithMagicLoweredByOffsetDiv256) {
    Bytes image(8202, 0);
    const std::string trailer("Trel\0\0\0\0\x02\x15", 10);
    std::copy(trailer.begin(), trailer.end(), image.begin() + 8192);
    Bytes prepared = image;
    LowerStoredRaise(prepared);
    for (std::size_t i = 0; i < prepared.size(); ++i) {
        const std::uint8_t expected =
            i >= 256 && i < 6656 ? static_cast<std::uint8_t>(256 - i / 256) : image[i];
        ASSERT_EQ(prepared[i], expected) << "offset " << i;
    }
    EXPECT_EQ(prepared[256], 0xFF);
    EXPECT_EQ(prepared[767], 0xFE);
    EXPECT_EQ(prepared[6655], 0xE7);
    EXPECT_EQ(VersionOfImage(prepared), (FirmwareVersion{0x02, 0x15}));
}

TEST(PreparedImage, AllZeroImageSumsTo1555200) {
    Bytes image(8202, 0);
    EXPECT_EQ(VersionOfImage(image), std::nullopt);
    LowerStoredRaise(image);
    const std::uint32_t sum = SumOfImage(image);
    EXPECT_EQ(sum, 1555200u);
    EXPECT_EQ(sum & 0xFFFF, 0xBB00u);
}

TEST(PreparedImage, BytesAtTheEdgesOfTheRaisedPart) {
    Bytes image(6657, 0x33);
    image[255] = 0x00;
    image[256] = 0x00;
    image[6655] = 0x19;
    image[6656] = 0x19;
    LowerStoredRaise(image);
    EXPECT_EQ(image[255], 0x00);
    EXPECT_EQ(image[256], 0xFF);
    EXPECT_EQ(image[6655], 0x00);
    EXPECT_EQ(image[6656], 0x19);
}

TEST(PreparedImage, SumWrapsAt32Bits) {
    EXPECT_EQ(SumOfImage(Bytes{}), 0u);
    EXPECT_EQ(SumOfImage(Bytes{0xFF, 0xFF, 0x02}), 0x200u);
}

// --- from the working folder ---

class ImageFile : public AdapterTest {
  protected:
    ImageFile() { Attach(); }
    std::string ImagePath() const { return dir.str() + "\\Trelvor.dat"; }
    RecordedBox FileErrorBox(platform::FileErrorCause cause) const {
        return {platform::FileErrorText({cause, 0, ImagePath()}), kCaption, platform::BoxStyle::kOkWarning};
    }
};

TEST_F(ImageFile, TrailerOfTheImageInTheWorkingFolder) {
    WriteImage(FirmwareVersion{0x02, 0x15});
    const ImageTrailer trailer = dlg->ReadImageTrailer();
    EXPECT_EQ(trailer.kind, ImageTrailer::Kind::kVersion);
    EXPECT_EQ(trailer.version, (FirmwareVersion{0x02, 0x15}));
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ImageFile, ImageWithoutWholeTrailerHasNoVersion) {
    for (std::size_t length : {std::size_t{0}, std::size_t{8192}, std::size_t{8201}}) {
        SCOPED_TRACE(length);
        Bytes image = SentImage(FirmwareVersion{1, 2}, 8202);
        image.resize(length);
        dir.Write(kFirmwareImageName, StoredImage(image));
        EXPECT_EQ(dlg->ReadImageTrailer().kind, ImageTrailer::Kind::kNoVersion);
    }
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ImageFile, ImageThatCannotBeOpenedIsShownWithItsFileError) {
    EXPECT_EQ(dlg->ReadImageTrailer().kind, ImageTrailer::Kind::kOpenFailed);
    EXPECT_EQ(dlg->LoadFirmwareImage().kind, FirmwareImage::Kind::kOpenFailed);
    const RecordedBox missing = FileErrorBox(platform::FileErrorCause::kFileNotFound);
    EXPECT_EQ(view.boxes, (std::vector<RecordedBox>{missing, missing}));
}

TEST_F(ImageFile, ImageHeldByAnotherProgramIsASharingViolation) {
    WriteImage(FirmwareVersion{1, 2});
    platform::FileError error;
    auto held = files->Open(ImagePath(), platform::OpenMode::kReadExclusive, error);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(dlg->ReadImageTrailer().kind, ImageTrailer::Kind::kOpenFailed);
    EXPECT_EQ(view.boxes,
              std::vector<RecordedBox>{FileErrorBox(platform::FileErrorCause::kSharingViolation)});
}

TEST_F(ImageFile, LoadedImageIsPreparedAndSummed) {
    const Bytes sent = SentImage(FirmwareVersion{1, 2}, 9000);
    dir.Write(kFirmwareImageName, StoredImage(sent));
    const FirmwareImage image = dlg->LoadFirmwareImage();
    ASSERT_EQ(image.kind, FirmwareImage::Kind::kLoaded);
    EXPECT_EQ(image.bytes, sent);
    EXPECT_EQ(image.checksum, SumOfImage(sent));
}

TEST_F(ImageFile, ImagesThatCannotBeSentAreRefusedWithoutTouchingThem) {
    // Too short to take the raise off, and too long for the start report's 24-bit length.
    for (std::uintmax_t length : {std::uintmax_t{1}, std::uintmax_t{6655}, std::uintmax_t{0x1000000}}) {
        SCOPED_TRACE(length);
        dir.Write(kFirmwareImageName, "");
        std::filesystem::resize_file(dir / kFirmwareImageName, length);
        EXPECT_EQ(dlg->LoadFirmwareImage().kind, FirmwareImage::Kind::kUnusable);
    }
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(ImageFile, ShortestImageThatCanBeSent) {
    const Bytes sent = SentImage(std::nullopt, 6656);
    dir.Write(kFirmwareImageName, StoredImage(sent));
    const FirmwareImage image = dlg->LoadFirmwareImage();
    ASSERT_EQ(image.kind, FirmwareImage::Kind::kLoaded);
    EXPECT_EQ(image.bytes, sent);
}

}  // namespace
