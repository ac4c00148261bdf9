#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "platform/system_error.h"
#include "support/dialog_fixture.h"
#include "support/temp_dir.h"

namespace {

using platform::BoxStyle;
using Lines = std::vector<std::string>;

class LoadSetupScriptTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::current_path(dir.path()); }

    WorkingDirectoryGuard guard;
    TempDir dir;
    DialogFixture f;
};

TEST_F(LoadSetupScriptTest, ReadsEveryLineUnparsed) {
    dir.Write("Setup.ini", "; comment\r\n  [FILE]  \r\n\r\nA=1\r\n");
    EXPECT_EQ(f.dlg.LoadSetupScript(), 0);
    EXPECT_EQ(f.dlg.m_scriptLines, (Lines{"; comment", "  [FILE]  ", "", "A=1", ""}));
    EXPECT_EQ(f.dlg.m_workDir, dir.str());
    EXPECT_TRUE(f.view.boxes.empty());
}

TEST_F(LoadSetupScriptTest, EmptyScriptIsOneEmptyLine) {
    dir.Write("Setup.ini", "");
    EXPECT_EQ(f.dlg.LoadSetupScript(), 0);
    EXPECT_EQ(f.dlg.m_scriptLines, (Lines{""}));
    EXPECT_TRUE(f.dlg.ScriptLoaded());
}

TEST_F(LoadSetupScriptTest, ScriptNameFoundIgnoringCase) {
    dir.Write("SETUP.INI", "x");
    EXPECT_EQ(f.dlg.LoadSetupScript(), 0);
    EXPECT_EQ(f.dlg.m_scriptLines, (Lines{"x"}));
}

TEST_F(LoadSetupScriptTest, MissingScriptShowsTheFullNameWithoutIcon) {
    f.dlg.m_scriptLines = {"stale"};
    EXPECT_EQ(f.dlg.LoadSetupScript(), -1);
    EXPECT_TRUE(f.dlg.m_scriptLines.empty());
    EXPECT_EQ(f.dlg.m_workDir, dir.str());
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0],
              (RecordedBox{"沒有找到 " + dir.str() + "\\Setup.ini .", "Database Installer", BoxStyle::kOk}));
}

TEST_F(LoadSetupScriptTest, ScriptHeldForWritingIsASharingViolation) {
    dir.Write("Setup.ini", "x");
    platform::FileError error;
    auto writer = f.files->Open(dir.str() + "\\Setup.ini", platform::OpenMode::kReadWriteDenyWrite, error);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(f.dlg.LoadSetupScript(), -1);
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0].text, "當存取 " + dir.str() + "\\Setup.ini 時發生分享違反(Sharing Violation).");
}

TEST_F(LoadSetupScriptTest, SecondLoadReplacesTheListAndTakesTheNewFolder) {
    dir.Write("Setup.ini", "first\r\nsecond");
    dir.Write("other/Setup.ini", "third");
    ASSERT_EQ(f.dlg.LoadSetupScript(), 0);
    std::filesystem::current_path(dir / "other");
    ASSERT_EQ(f.dlg.LoadSetupScript(), 0);
    EXPECT_EQ(f.dlg.m_scriptLines, (Lines{"third"}));
    EXPECT_EQ(f.dlg.m_workDir, (dir / "other").string());
}

}  // namespace
