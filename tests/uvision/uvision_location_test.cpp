// Browse, generation detection and the installed-state check, with the buttons they set.
#include <gtest/gtest.h>

#include "support/uvision_fixture.h"

namespace {

using platform::BoxStyle;
using platform::BrowseResult;
using platform::kIdInstall;
using platform::kIdKeilRoot;
using platform::kIdUninstall;

const RecordedBox kParsingError{"Parsing ini file error !", "Database Installer", BoxStyle::kOkError};
const RecordedBox kNotFound{"Keil C is not found !", "Database Installer", BoxStyle::kOkError};
const RecordedBox kNoDirectory{"Fail to get directory !", "Database Installer", BoxStyle::kOkError};

const std::vector<std::string> kScript = {
    "; example",
    "[FILE]",
    "TrelvorOCD.dll=1,0,0,\"\\C51\\BIN\\TRELVOROCD.DLL\"",
};

struct Browse : public ::testing::Test {
    void Choose(const std::string& path) {
        f.view.browseAnswers.push_back({BrowseResult::Kind::kPath, path});
        f.dlg.OnBrowse();
    }
    bool Enabled(int id) { return f.view.enabled[id]; }

    UvisionFixture f{2};
};

TEST_F(Browse, ChoosingAUv3RootThenInstallingTheDriver) {
    f.dlg.m_scriptLines = kScript;
    f.view.status = "old text";
    Choose(f.keil.str());
    EXPECT_EQ(f.view.browseTitles, std::vector<std::string>{"Choose a folder where keil C is installed"});
    EXPECT_EQ(f.view.status, "");
    EXPECT_EQ(f.view.texts[kIdKeilRoot], f.keil.str());
    EXPECT_EQ(f.dlg.m_uvVersion, 2);
    EXPECT_EQ(f.view.texts[kIdInstall], "&Install");
    EXPECT_TRUE(Enabled(kIdInstall));
    EXPECT_FALSE(Enabled(kIdUninstall));

    // The driver is looked for at the root joined with field 4, whatever field 1 says.
    f.keil.Write("C51/BIN/TRELVOROCD.DLL", "");
    EXPECT_EQ(f.dlg.CheckInstalledState(), 1);
    EXPECT_EQ(f.view.texts[kIdInstall], "&Reinstall");
    EXPECT_TRUE(Enabled(kIdUninstall));
    EXPECT_TRUE(f.view.boxes.empty());
}

TEST_F(Browse, CancelChangesOnlyTheStatusText) {
    f.dlg.m_scriptLines = kScript;
    Choose(f.keil.str());
    f.view.status = "something";
    f.dlg.OnBrowse();  // no answer queued: the user cancels
    EXPECT_EQ(f.view.status, "");
    EXPECT_EQ(f.view.texts[kIdKeilRoot], f.keil.str());
    EXPECT_TRUE(Enabled(kIdInstall));
    EXPECT_EQ(f.dlg.m_uvVersion, 2);
}

// A path the browser cannot hand over, and one longer than its 255-character buffer, are refused alike.
TEST_F(Browse, PathThatCannotBeHadIsRefused) {
    f.view.texts[kIdKeilRoot] = "old";
    f.view.browseAnswers.push_back({BrowseResult::Kind::kNoPath, ""});
    f.dlg.OnBrowse();
    EXPECT_EQ(f.view.texts[kIdKeilRoot], "");
    EXPECT_EQ(f.view.boxes, std::vector<RecordedBox>{kNoDirectory});

    std::string longRoot = f.keil.str() + "/";
    longRoot += std::string(256 - longRoot.size(), 'k');
    f.keil.Write(longRoot.substr(f.keil.str().size() + 1) + "/UV3/Uv3.exe", "");
    f.view.texts[kIdKeilRoot] = "old";
    Choose(longRoot);
    EXPECT_EQ(f.view.texts[kIdKeilRoot], "");
    EXPECT_EQ(f.view.boxes, (std::vector<RecordedBox>{kNoDirectory, kNoDirectory}));
    EXPECT_FALSE(Enabled(kIdInstall));
    EXPECT_EQ(f.dlg.m_uvVersion, 0);

    Choose(longRoot.substr(0, 255));  // 255 characters fit; no µVision there
    EXPECT_EQ(f.view.boxes.back(), kNotFound);
}

TEST_F(Browse, EmptyPathEmptiesTheRootSilently) {
    f.view.texts[kIdKeilRoot] = "old";
    Choose("");
    EXPECT_EQ(f.view.texts[kIdKeilRoot], "");
    EXPECT_TRUE(f.view.boxes.empty());
}

TEST_F(Browse, FolderWithoutUvisionAfterAGoodChoice) {
    f.dlg.m_scriptLines = kScript;
    f.keil.Write("C51/BIN/TRELVOROCD.DLL", "");
    Choose(f.keil.str());
    ASSERT_TRUE(Enabled(kIdUninstall));
    Choose(f.work.str());
    EXPECT_EQ(f.view.boxes, std::vector<RecordedBox>{kNotFound});
    EXPECT_EQ(f.view.texts[kIdKeilRoot], "");
    EXPECT_FALSE(Enabled(kIdInstall));
    EXPECT_TRUE(Enabled(kIdUninstall));  // keeps its state
    EXPECT_EQ(f.view.texts[kIdInstall], "&Reinstall");
    EXPECT_EQ(f.dlg.m_uvVersion, 2);
}

TEST(DetectUvVersion, MarkerFilesDecide) {
    struct Case {
        std::vector<std::string> markers;
        int result;
        int uvVersion;  // from 7: unchanged when nothing is detected
    };
    const Case cases[] = {
        {{"Uv2/Uv2.exe"}, 1, 1},
        {{"UV3/UV3.EXE"}, 1, 2},
        {{"UV2/Uv2.exe", "Uv3/Uv3.exe"}, 1, 1},
        {{}, 0, 7},
        {{"Uv3.exe", "Uv2/Uv3.exe"}, 0, 7},
    };
    for (const Case& c : cases) {
        UvisionFixture f(0);
        for (const auto& marker : c.markers) f.keil.Write(marker, "");
        f.view.texts[kIdKeilRoot] = f.keil.str();
        f.dlg.m_uvVersion = 7;
        EXPECT_EQ(f.dlg.DetectUvVersion(), c.result);
        EXPECT_EQ(f.dlg.m_uvVersion, c.uvVersion);
    }
    UvisionFixture empty(2);
    EXPECT_EQ(empty.dlg.DetectUvVersion(), 0);  // no root chosen
}

// The parsing error leaves the buttons as they were.
TEST(CheckInstalledState, ParsingErrors) {
    const std::vector<std::vector<std::string>> scripts = {
        {},
        {"[file]", "TRELVOROCD.DLL=0,0,0,\"\\X.DLL\""},
        {"[FILE]", "TRELVOROCD.DLL =0,0,0,\"\\X.DLL\""},
        {"[FILE]", "OTHER.DLL=0,0,0,\"\\X.DLL\""},
        {"[FILE]", "TRELVOROCD.DLL=0,0,0,\\X"},
        {"[FILE]", "TRELVOROCD.DLL=0,0,0"},
        {"[TOOL]", "TRELVOROCD.DLL=0,0,0,\"\\X.DLL\"", "[FILE]"},
    };
    for (const auto& script : scripts) {
        UvisionFixture f(2);
        f.ChooseRoot();
        f.dlg.m_scriptLines = script;
        f.view.texts[kIdInstall] = "&Reinstall";
        f.view.enabled[kIdUninstall] = true;
        EXPECT_EQ(f.dlg.CheckInstalledState(), -1) << testing::PrintToString(script);
        EXPECT_EQ(f.view.boxes, std::vector<RecordedBox>{kParsingError});
        EXPECT_EQ(f.view.texts[kIdInstall], "&Reinstall");
        EXPECT_TRUE(f.view.enabled[kIdUninstall]);
    }
    UvisionFixture noRoot(2);
    noRoot.dlg.m_scriptLines = kScript;
    EXPECT_EQ(noRoot.dlg.CheckInstalledState(), -1);
}

TEST(CheckInstalledState, DriverEntryIsFoundBeyondItsSection) {
    UvisionFixture f(2);
    f.ChooseRoot();
    f.keil.Write("BIN/T.DLL", "");
    f.dlg.m_scriptLines = {"  [FILE]  ",
                           "nothing here",
                           "=x",
                           "[TOOL]",
                           "; TRELVOROCD.DLL=0,0,0,\"\\NO.DLL\"",
                           "\tTrelvorOCD.Dll=0,0,0,\"\\BIN\\T.DLL\"",
                           "TRELVOROCD.DLL=0,0,0,\"\\NO.DLL\""};
    EXPECT_EQ(f.dlg.CheckInstalledState(), 1);
    EXPECT_TRUE(f.view.boxes.empty());
}

}  // namespace
