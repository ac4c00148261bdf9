#include "platform/file_error.h"

#include <gtest/gtest.h>

namespace {

using platform::FileError;
using platform::FileErrorCause;

TEST(FileErrorText, EveryCauseWithTheFileName) {
    const std::pair<FileErrorCause, std::string> expected[] = {
        {FileErrorCause::kNone, "無錯誤產生."},
        {FileErrorCause::kGeneric, "當存取 C:\\x.ini 時發生不可知的錯誤."},
        {FileErrorCause::kFileNotFound, "沒有找到 C:\\x.ini ."},
        {FileErrorCause::kBadPath, "C:\\x.ini 包含非合法路徑."},
        {FileErrorCause::kTooManyOpenFiles, "C:\\x.ini 無法開啟,因為已開啟太多檔案."},
        {FileErrorCause::kAccessDenied, "存取 C:\\x.ini 遭受拒絕."},
        {FileErrorCause::kInvalidFile, "一不合法檔案代碼與 C:\\x.ini 有關聯."},
        {FileErrorCause::kRemoveCurrentDir, "C:\\x.ini 無法被移除因為它是使用中目錄."},
        {FileErrorCause::kDirectoryFull, "C:\\x.ini 無法產生因為目錄空間已滿."},
        {FileErrorCause::kBadSeek, " C:\\x.ini 搜尋失敗"},
        {FileErrorCause::kHardIO, "當存取 C:\\x.ini 時產生硬體輸出入錯誤."},
        {FileErrorCause::kSharingViolation, "當存取 C:\\x.ini 時發生分享違反(Sharing Violation)."},
        {FileErrorCause::kLockViolation, "當存取 C:\\x.ini 時有產生鎖定違反(Locking Violation)."},
        {FileErrorCause::kDiskFull, "當存取 C:\\x.ini 時磁碟空間已滿."},
        {FileErrorCause::kEndOfFile, "試圖存取超過 C:\\x.ini 之檔尾."},
    };
    for (const auto& [cause, text] : expected) {
        EXPECT_EQ(platform::FileErrorText(FileError{cause, 0, "C:\\x.ini"}), text) << static_cast<int>(cause);
    }
}

TEST(FileErrorText, UnnamedFile) {
    EXPECT_EQ(platform::FileErrorText(FileError{FileErrorCause::kDiskFull, 0, ""}),
              "當存取 未命名檔案 時磁碟空間已滿.");
}

TEST(FileErrorText, NameHoldingPercentOneIsInsertedOnce) {
    EXPECT_EQ(platform::FileErrorText(FileError{FileErrorCause::kFileNotFound, 0, "%1.ini"}),
              "沒有找到 %1.ini .");
}

TEST(FileException, CarriesTheRecord) {
    const platform::FileException e(FileError{FileErrorCause::kDiskFull, 28, "C:\\Keil\\Tools.ini"});
    EXPECT_EQ(e.error().cause, FileErrorCause::kDiskFull);
    EXPECT_STREQ(e.what(), "當存取 C:\\Keil\\Tools.ini 時磁碟空間已滿.");
}

}  // namespace
