#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/file_error.h"
#include "platform/system_error.h"
#include "platform/windows_headers_win32.h"
#include "support/dialog_fixture.h"
#include "support/temp_dir.h"

namespace {

TEST(SystemErrorWin32, LastErrorIsTheThreadsWin32Error) {
    platform::SetLastSystemError(ERROR_SHARING_VIOLATION);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    ::SetLastError(ERROR_DISK_FULL);
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_DISK_FULL));
}

TEST(SystemErrorWin32, TextComesFromTheSystemMessageTable) {
    const std::string text = platform::SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text, platform::SystemErrorText(ERROR_ACCESS_DENIED));
    // A code the system has no message for gives an empty box.
    EXPECT_EQ(platform::SystemErrorText(0x2ABCDEF1), "");
}

// The framework's classes for codes the file calls do not produce in the other tests.
TEST(SystemErrorWin32, CodesOutsideTheClassesAreGeneric) {
    EXPECT_EQ(platform::CauseOfSystemError(ERROR_CANNOT_MAKE), platform::FileErrorCause::kDirectoryFull);
    EXPECT_EQ(platform::CauseOfSystemError(ERROR_HANDLE_EOF), platform::FileErrorCause::kEndOfFile);
    EXPECT_EQ(platform::CauseOfSystemError(ERROR_ALREADY_EXISTS), platform::FileErrorCause::kGeneric);
    EXPECT_EQ(platform::CauseOfSystemError(ERROR_SUCCESS), platform::FileErrorCause::kNone);
}

// The box right after a failed copy of a missing file shows the system's text for it.
TEST(SystemErrorWin32, ReportSystemErrorShowsTheFailedCopysText) {
    TempDir dir;
    DialogFixture f;
    ASSERT_FALSE(f.files->CopyFileTo(dir.str() + "\\missing.dll", dir.str() + "\\x.dll", false));
    EXPECT_EQ(f.dlg.ReportSystemError(), 0);
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0], (RecordedBox{platform::SystemErrorText(ERROR_FILE_NOT_FOUND),
                                            "Database Installer", platform::BoxStyle::kOkWarning}));
}

class CodePageWin32 : public ::testing::Test {
  protected:
    ~CodePageWin32() override { platform::SetSystemCodePage(static_cast<int>(::GetACP())); }
};

// The test program carries Setup.exe's manifest, so it runs in UTF-8 as the program does.
TEST_F(CodePageWin32, TheManifestMakesUtf8TheAnsiCodePage) {
    EXPECT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8));
    EXPECT_EQ(platform::SystemCodePage().Number(), platform::CodePage::kUtf8);
    EXPECT_FALSE(platform::SystemCodePage().IsLeadByte(0xE8));
}

TEST_F(CodePageWin32, AnotherCodePageTakesTheSystemsLeadBytes) {
    platform::SetSystemCodePage(950);
    const platform::CodePage& big5 = platform::SystemCodePage();
    EXPECT_EQ(big5.Number(), 950);
    EXPECT_TRUE(big5.IsLeadByte(0x81));
    EXPECT_TRUE(big5.IsLeadByte(0xFE));
    EXPECT_FALSE(big5.IsLeadByte(0x80));
    EXPECT_FALSE(big5.IsLeadByte(0x5C));
    platform::SetSystemCodePage(932);
    EXPECT_TRUE(platform::SystemCodePage().IsLeadByte(0xE0));
    EXPECT_FALSE(platform::SystemCodePage().IsLeadByte(0xA0));
}

}  // namespace
