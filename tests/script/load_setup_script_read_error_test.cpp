#include <gtest/gtest.h>

#include <memory>

#include "app/setup_dlg.h"
#include "platform/clock.h"
#include "support/machine.h"
#include "support/memory_file.h"
#include "support/recording_view.h"

namespace {

// The machine's file system, except that every file it opens breaks off with a read error after some bytes.
class BreakingReadsFileSystem : public platform::FileSystem {
  public:
    explicit BreakingReadsFileSystem(std::string content, std::size_t failAfter)
        : content_(std::move(content)), failAfter_(failAfter) {}

    std::unique_ptr<platform::RawFile> Open(const std::string&, platform::OpenMode,
                                            platform::FileError& error) override {
        error = {};
        return std::make_unique<MemoryFile>(content_, 8, failAfter_);
    }
    bool Exists(const std::string& p) override { return real_->Exists(p); }
    std::uint32_t GetAttributes(const std::string& p) override { return real_->GetAttributes(p); }
    bool SetAttributes(const std::string& p, std::uint32_t a) override { return real_->SetAttributes(p, a); }
    bool CopyFileTo(const std::string& s, const std::string& d, bool f) override {
        return real_->CopyFileTo(s, d, f);
    }
    bool RemoveFile(const std::string& p) override { return real_->RemoveFile(p); }
    bool ReplaceFile(const std::string& r, const std::string& t) override { return real_->ReplaceFile(r, t); }
    bool ChangeDirectory(const std::string& p) override { return real_->ChangeDirectory(p); }
    bool MakeDirectory(const std::string& p) override { return real_->MakeDirectory(p); }
    bool CurrentDirectory(std::string& p) override { return real_->CurrentDirectory(p); }

  private:
    std::unique_ptr<platform::FileSystem> real_ = MakeMachineFileSystem();
    std::string content_;
    std::size_t failAfter_;
};

// A script that cannot be read to its end is refused as a whole: the first half of it would install part of
// the database and report success.
TEST(LoadSetupScriptReadError, HalfReadScriptIsRefused) {
    BreakingReadsFileSystem files("[FILE]\r\nA.DLL=1,0,0,\"\\A.DLL\"\r\nB.DLL=1,0,0,\"\\B.DLL\"\r\n", 20);
    RecordingView view;
    platform::VirtualClock clock;
    const platform::CodePage cp = platform::CodePage::ForNumber(platform::CodePage::kUtf8);
    CSetupDlg dlg(DialogServices{view, files, clock, cp, "Setup"});
    dlg.m_caption = "Database Installer";

    EXPECT_EQ(dlg.LoadSetupScript(), -1);
    EXPECT_TRUE(dlg.m_scriptLines.empty());
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, "當存取 " + dlg.m_workDir + "\\Setup.ini 時產生硬體輸出入錯誤.");
    EXPECT_EQ(view.boxes[0].style, platform::BoxStyle::kOk);
}

}  // namespace
