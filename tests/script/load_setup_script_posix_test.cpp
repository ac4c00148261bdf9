#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/system_error.h"
#include "support/dialog_fixture.h"
#include "support/temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

// When the system cannot say where the working directory is, its own text is shown and m_workDir keeps
// the folder of the previous load.
TEST(LoadSetupScriptPosix, WorkingDirectoryGoneShowsTheSystemText) {
    WorkingDirectoryGuard guard;
    TempDir dir;
    dir.Write("Setup.ini", "x");
    std::filesystem::current_path(dir.path());
    DialogFixture f;
    ASSERT_EQ(f.dlg.LoadSetupScript(), 0);

    std::filesystem::create_directory(dir / "gone");
    std::filesystem::current_path(dir / "gone");
    std::filesystem::remove(dir / "gone");
    EXPECT_EQ(f.dlg.LoadSetupScript(), -1);
    EXPECT_TRUE(f.dlg.m_scriptLines.empty());
    EXPECT_EQ(f.dlg.m_workDir, dir.str());
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0], (RecordedBox{platform::SystemErrorText(ENOENT), "Database Installer",
                                            platform::BoxStyle::kOkWarning}));
}

// At the root of the file system the name holds two separators in a row and still names the script.
TEST(LoadSetupScriptPosix, RootFolderGivesADoubleSeparator) {
    WorkingDirectoryGuard guard;
    std::filesystem::current_path("/");
    DialogFixture f(platform::CodePage::kUtf8, "no-such-installer-program");
    EXPECT_EQ(f.dlg.LoadSetupScript(), -1);
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0].text, "沒有找到 /\\no-such-installer-program.ini .");
}

// A working directory far longer than the 259 characters of the original buffer is taken whole.
TEST(LoadSetupScriptPosix, LongWorkingDirectoryIsTakenWhole) {
    WorkingDirectoryGuard guard;
    TempDir dir;
    DialogFixture f;
    std::filesystem::path deep = dir.path();
    for (int i = 0; i < 8; ++i) deep /= std::string(40, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    std::filesystem::current_path(deep);
    dir.Write((std::filesystem::relative(deep, dir.path()) / "Setup.ini").string(), "deep");
    ASSERT_GT(deep.string().size(), 259u);
    EXPECT_EQ(f.dlg.LoadSetupScript(), 0);
    EXPECT_EQ(f.dlg.m_workDir, deep.string());
    EXPECT_EQ(f.dlg.m_scriptLines, (Lines{"deep"}));
}

}  // namespace
