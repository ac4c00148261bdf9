#include "platform/file_error.h"

#include <array>
#include <utility>

namespace platform {
namespace {

constexpr std::array<const char*, 15> kTemplates = {
    "無錯誤產生.",
    "當存取 %1 時發生不可知的錯誤.",
    "沒有找到 %1 .",
    "%1 包含非合法路徑.",
    "%1 無法開啟,因為已開啟太多檔案.",
    "存取 %1 遭受拒絕.",
    "一不合法檔案代碼與 %1 有關聯.",
    "%1 無法被移除因為它是使用中目錄.",
    "%1 無法產生因為目錄空間已滿.",
    " %1 搜尋失敗",
    "當存取 %1 時產生硬體輸出入錯誤.",
    "當存取 %1 時發生分享違反(Sharing Violation).",
    "當存取 %1 時有產生鎖定違反(Locking Violation).",
    "當存取 %1 時磁碟空間已滿.",
    "試圖存取超過 %1 之檔尾.",
};

constexpr const char* kUnnamedFile = "未命名檔案";

}  // namespace

std::string FileErrorTemplate(FileErrorCause cause) {
    const auto index = static_cast<std::size_t>(cause);
    return index < kTemplates.size() ? kTemplates[index] : kTemplates[1];
}

std::string FileErrorText(const FileError& error) {
    std::string text = FileErrorTemplate(error.cause);
    const std::string name = error.fileName.empty() ? kUnnamedFile : error.fileName;
    const auto at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, name);
    return text;
}

FileError MakeFileError(std::uint32_t osError, const std::string& fileName) {
    return FileError{CauseOfSystemError(osError), osError, fileName};
}

FileException::FileException(FileError error)
    : std::runtime_error(FileErrorText(error)), error_(std::move(error)) {}

}  // namespace platform
