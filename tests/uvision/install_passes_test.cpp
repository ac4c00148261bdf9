// One install or uninstall pass over the script: section routing, what counts as success, the message of the
// first failure, the installed-state check after a success, and the working directory afterwards.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/file_error.h"
#include "support/uvision_fixture.h"

namespace {

namespace fs = std::filesystem;
using platform::BoxStyle;
using Lines = std::vector<std::string>;

const std::string kCaption = "Database Installer";
const RecordedBox kInstalled{"Database is installed successfully !", kCaption, BoxStyle::kOk};
const RecordedBox kUninstalled{"Database is un-installed successfully !", kCaption, BoxStyle::kOk};
const RecordedBox kParsingError{"Parsing ini file error !", kCaption, BoxStyle::kOkError};

RecordedBox Failure(const std::string& text) {
    return {text, kCaption, BoxStyle::kOkInformation};
}

const std::string kDriverFile = "TrelvorOCD.dll=0,0,0,\"\\C51\\BIN\\TRELVOROCD.DLL\"";
const std::string kTool = "C51=\"TDRV\",0,0,\"BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\"";

std::string ToolsIni(int drivers) {
    Lines lines{"[UV2]", "TOOL51=C51", "[C51]"};
    for (int n = 0; n < drivers; ++n)
        lines.push_back("TDRV" + std::to_string(n) + "=BIN\\D" + std::to_string(n) + ".DLL (d)");
    return Crlf(lines);
}

struct PassCase {
    const char* name;
    Lines script;
    bool install;
    std::vector<RecordedBox> boxes;
    int drivers = 2;  // numbered keys already in [C51]
};

void PrintTo(const PassCase& c, std::ostream* os) {
    *os << c.name;
}

const PassCase kCases[] = {
    {"NoEntriesAtAll",
     {"; only a comment", "", "[FILE]", "[CDB]", "[TOOL]"},
     true,
     {kInstalled, kParsingError}},
    {"ScriptNotLoaded", {}, false, {kUninstalled, kParsingError}},
    {"Install", {"[FILE]", kDriverFile, "[tool]", kTool}, true, {kInstalled}},
    {"IndentedLines",
     {" \t[FILE] ", "\t" + kDriverFile + "  ", "  [TOOL]", " " + kTool + "\t"},
     true,
     {kInstalled}},
    {"UnknownHeader", {"[FILE]", kDriverFile, "[Extra]", "[TOOL]", kTool}, true, {Failure("[EXTRA]")}},
    {"HeaderWithBlanksInside", {"[ FILE ]", kDriverFile}, false, {Failure("[ FILE ]")}},
    {"EntryAboveTheFirstHeader",
     {"; c", "  Stray=1, 2  ", "[FILE]", kDriverFile},
     true,
     {Failure("Stray=1, 2")}},
    {"FileLineWithoutEqualsIsSkipped", {"[FILE]", "README.TXT", "=X", kDriverFile}, true, {kInstalled}},
    {"CdbLineWithoutEqualsFails",
     {"[FILE]", kDriverFile, "[CDB]", "README.TXT"},
     true,
     {Failure("Database is not installed !\n")}},
    {"ToolLineWithoutEqualsFails",
     {"[TOOL]", "README.TXT"},
     false,
     {Failure("Fail to modify \"TOOLS.INI\" !\n")}},
    {"MissingSourceStopsThePass",
     {"[FILE]", "MISSING.DLL=0,0,0,\"\\M.DLL\"", kDriverFile},
     true,
     {{platform::SystemErrorText(MachineErrors().fileNotFound), kCaption, BoxStyle::kOkWarning},
      Failure("Database is not installed !\n")}},
    {"FullTableOnInstall", {"[TOOL]", kTool}, true, {Failure("Keil C only accepts up to 40 drivers !")}, 40},
    {"FullTableOnUninstallIsSuccess", {"[TOOL]", kTool}, false, {kUninstalled, kParsingError}, 40},
    {"MissingSection",
     {"[TOOL]", "C99=\"TDRV\",0,0,\"BIN\\X.DLL (x)\""},
     true,
     {Failure("Fail to modify \"TOOLS.INI\" !\n")}},
    {"UninstallOfNothingInstalled", {"[FILE]", kDriverFile, "[TOOL]", kTool}, false, {kUninstalled}},
    {"RemoveFailureMessage",
     {"[CDB]", "UV3=\"X.CDB\",0,0,0"},
     false,
     {Failure("Database is not removed !\n")}},
};

class Pass : public ::testing::TestWithParam<PassCase> {};

TEST_P(Pass, EndsWithItsMessages) {
    const PassCase& c = GetParam();
    UvisionFixture f(2);
    f.ChooseRoot();
    f.work.Write("TrelvorOCD.dll", "driver");
    f.keil.Write("TOOLS.INI", ToolsIni(c.drivers));
    f.dlg.m_scriptLines = c.script;
    f.view.status = "before";
    if (c.install) {
        f.dlg.OnInstall();
    } else {
        f.dlg.OnUninstall();
    }
    EXPECT_EQ(f.view.statusHistory.front(), "");
    ASSERT_EQ(f.view.boxes.size(), c.boxes.size()) << testing::PrintToString(f.view.boxes.front().text);
    for (std::size_t i = 0; i < c.boxes.size(); ++i) EXPECT_EQ(f.view.boxes[i], c.boxes[i]) << i;
    EXPECT_EQ(fs::current_path(), f.work.path());
}

INSTANTIATE_TEST_SUITE_P(Cases, Pass, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Install, reinstall and uninstall of one script: files, TOOLS.INI and the buttons after each.
TEST(Passes, InstallReinstallUninstall) {
    UvisionFixture f(2);
    f.ChooseRoot();
    f.work.Write("TrelvorOCD.dll", "driver");
    f.work.Write("T.CDB", "database");
    f.keil.Write("TOOLS.INI", ToolsIni(2));
    f.dlg.m_scriptLines = {"[FILE]",
                           kDriverFile,
                           "Inc.h=0,1,0,\"\\C51\\INC\\T.H\"",
                           "[CDB]",
                           "UV2=\"T.CDB\",1,0,0,\"T.CDB\"",
                           "UV3=\"T.CDB\",1,0,0,\"T.CDB\"",
                           "[TOOL]",
                           kTool};
    f.work.Write("Inc.h", "header");
    f.keil.Write("C51/INC/REG51.H", "");

    f.dlg.OnInstall();
    EXPECT_EQ(f.view.boxes, std::vector<RecordedBox>{kInstalled});
    EXPECT_EQ(f.keil.Read("C51/BIN/TRELVOROCD.DLL"), "driver");
    EXPECT_EQ(f.keil.Read("C51/INC/T.H"), "header");
    EXPECT_EQ(f.keil.Read("UV3/T.CDB"), "database");
    EXPECT_FALSE(f.keil.Exists("UV2"));
    const std::string registered = ToolsIni(2) + "TDRV2=BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\r\n";
    EXPECT_EQ(f.keil.Read("TOOLS.INI"), registered);
    EXPECT_EQ(f.view.texts[platform::kIdInstall], "&Reinstall");
    EXPECT_TRUE(f.view.enabled[platform::kIdUninstall]);
    EXPECT_EQ(fs::current_path(), f.work.path());  // the folder step had moved it to C51\INC

    f.dlg.OnInstall();  // the driver is registered already: still a success, nothing added
    EXPECT_EQ(f.view.boxes.back(), kInstalled);
    EXPECT_EQ(f.keil.Read("TOOLS.INI"), registered);

    f.dlg.OnUninstall();
    EXPECT_EQ(f.view.boxes.back(), kUninstalled);
    EXPECT_FALSE(f.keil.Exists("C51/BIN/TRELVOROCD.DLL"));
    EXPECT_FALSE(f.keil.Exists("UV3/T.CDB"));
    EXPECT_TRUE(f.keil.Exists("C51/INC"));
    EXPECT_EQ(f.keil.Read("TOOLS.INI"), ToolsIni(2));
    EXPECT_EQ(f.view.texts[platform::kIdInstall], "&Install");
    EXPECT_FALSE(f.view.enabled[platform::kIdUninstall]);
    EXPECT_EQ(f.view.boxes.size(), 3u);
}

// A firmware upgrade reloads the script and resets the generation while the chosen root stays: the pass still
// installs for the generation that is there.
TEST(Passes, InstallAfterAScriptReloadKeepsTheGeneration) {
    UvisionFixture f(1);
    f.ChooseRoot();
    f.work.Write("TrelvorOCD.dll", "driver");
    f.work.Write("T.CDB", "database");
    f.keil.Write("TOOLS.INI", ToolsIni(1));
    f.dlg.m_scriptLines = {"[FILE]", "TrelvorOCD.dll=1,0,0,\"\\TRELVOROCD.DLL\"",
                           "[CDB]",  "UV2=\"T.CDB\",1,0,0,\"T.CDB\"",
                           "[TOOL]", "C51=\"TDRV\",1,0,\"BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\""};
    f.dlg.m_uvVersion = 0;  // as the reload after the upgrade leaves it
    f.dlg.OnInstall();
    EXPECT_EQ(f.view.boxes.front(), kInstalled);
    EXPECT_TRUE(f.keil.Exists("UV2/TRELVOROCD.DLL"));
    EXPECT_TRUE(f.keil.Exists("UV2/T.CDB"));
    EXPECT_FALSE(f.keil.Exists("UV3"));
    EXPECT_NE(f.keil.Read("TOOLS.INI").find("TDRV1=UV2BIN\\TRELVOROCD.DLL"), std::string::npos);
}

// A copy that fails in the middle of a pass: what was copied stays, nothing after it is handled, and the
// buttons keep their state.
TEST(Passes, CopyFailingMidwayStopsThePass) {
    Faults faults;
    faults.failCopyNumber = 2;
    UvisionFixture f(2, faults);
    f.ChooseRoot();
    for (const char* name : {"A.DLL", "B.DLL", "C.DLL"}) f.work.Write(name, name);
    f.dlg.m_scriptLines = {"[FILE]", "A.DLL=0,0,0,\"\\A.DLL\"", "B.DLL=0,0,0,\"\\B.DLL\"",
                           "C.DLL=0,0,0,\"\\C.DLL\""};
    f.dlg.OnInstall();
    EXPECT_EQ(f.view.boxes, (std::vector<RecordedBox>{{platform::SystemErrorText(MachineErrors().diskFull),
                                                       kCaption, BoxStyle::kOkWarning},
                                                      Failure("Database is not installed !\n")}));
    EXPECT_TRUE(f.keil.Exists("A.DLL"));
    EXPECT_FALSE(f.keil.Exists("B.DLL"));
    EXPECT_FALSE(f.keil.Exists("C.DLL"));
    EXPECT_FALSE(f.view.enabled[platform::kIdInstall]);
}

// A TOOLS.INI that cannot be rewritten leaves the pass at once: no message of its own, the error is raised
// to the command dispatch, and TOOLS.INI is as it was.
TEST(Passes, FileErrorLeavesThePass) {
    Faults faults;
    faults.failFlush = true;
    UvisionFixture f(2, faults);
    f.ChooseRoot();
    f.keil.Write("TOOLS.INI", ToolsIni(2));
    f.work.Write("TrelvorOCD.dll", "driver");
    f.dlg.m_scriptLines = {"[TOOL]", kTool, "[FILE]", kDriverFile};
    EXPECT_THROW(f.dlg.OnInstall(), platform::FileException);
    EXPECT_TRUE(f.view.boxes.empty());
    EXPECT_EQ(f.keil.Read("TOOLS.INI"), ToolsIni(2));
    EXPECT_FALSE(f.keil.Exists("C51/BIN/TRELVOROCD.DLL"));
}

}  // namespace
