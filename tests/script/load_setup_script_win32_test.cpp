#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "support/dialog_fixture.h"
#include "support/drive_root_file_win32.h"
#include "support/temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

// At the root of a drive the name holds two separators in a row, and the script is found all the same.
TEST(LoadSetupScriptWin32, DriveRootGivesADoubleSeparator) {
    DriveRootFile script(".ini", "[FILE]\r\n");
    if (!script.Written()) GTEST_SKIP() << "the drive root cannot be written here";
    WorkingDirectoryGuard guard;
    std::filesystem::current_path(script.Root());

    DialogFixture f(platform::CodePage::kUtf8, script.Stem());
    EXPECT_EQ(f.dlg.LoadSetupScript(), 0);
    EXPECT_EQ(f.dlg.m_workDir, script.Root());
    EXPECT_EQ(f.dlg.m_scriptLines, (Lines{"[FILE]", ""}));

    DialogFixture missing(platform::CodePage::kUtf8, script.Stem() + "-missing");
    EXPECT_EQ(missing.dlg.LoadSetupScript(), -1);
    ASSERT_EQ(missing.view.boxes.size(), 1u);
    EXPECT_EQ(missing.view.boxes[0].text,
              "沒有找到 " + script.Root() + "\\" + script.Stem() + "-missing.ini .");
}

// The ANSI calls cannot report a working directory longer than 259 characters: the system's text is shown,
// and m_workDir keeps the folder of the previous load.
TEST(LoadSetupScriptWin32, WorkingDirectoryBeyondTheAnsiLimitShowsTheSystemText) {
    WorkingDirectoryGuard guard;
    TempDir dir;
    dir.Write("Setup.ini", "x");
    std::filesystem::current_path(dir.path());
    DialogFixture f;
    ASSERT_EQ(f.dlg.LoadSetupScript(), 0);

    std::filesystem::path deep = dir.path();
    for (int i = 0; i < 8; ++i) deep /= std::string(40, static_cast<char>('a' + i));
    std::error_code error;
    std::filesystem::create_directories(deep, error);
    if (!error) std::filesystem::current_path(deep, error);
    if (error) GTEST_SKIP() << "this system keeps the working directory within 260 characters";

    EXPECT_EQ(f.dlg.LoadSetupScript(), -1);
    EXPECT_TRUE(f.dlg.m_scriptLines.empty());
    EXPECT_EQ(f.dlg.m_workDir, dir.str());
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0].style, platform::BoxStyle::kOkWarning);
    EXPECT_FALSE(f.view.boxes[0].text.empty());
}

}  // namespace
