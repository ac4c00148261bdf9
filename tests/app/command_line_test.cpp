#include "app/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/clock.h"
#include "support/captured_run.h"
#include "support/machine.h"
#include "support/temp_dir.h"

namespace {

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* hint;  // a part of the one-line hint
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    *os << c.name;
}

const UsageCase kUsageErrors[] = {
    {"UnknownOption", {"--frobnicate"}, "unknown option '--frobnicate'"},
    {"UnknownCommand", {"reinstall"}, "unknown command 'reinstall'"},
    {"TwoCommands", {"status", "install"}, "only one command"},
    {"DirectoryWithoutValue", {"-C"}, "-C needs a folder"},
    {"KeilRootWithoutValue", {"--keil-root"}, "--keil-root needs a folder"},
    {"CodePageNotANumber", {"--codepage", "big5"}, "--codepage needs"},
    {"CodePageZero", {"--codepage=0"}, "--codepage needs"},
    {"VendorTooLarge", {"--adapter-vid", "0x10000"}, "--adapter-vid needs"},
    {"VendorNegative", {"--adapter-vid=-1"}, "--adapter-vid needs"},
    // Text from the user is quoted with its control characters escaped, so the hint stays one line.
    {"OptionWithALineFeed", {"--a\nb"}, "unknown option '--a\\nb'"},
    {"CommandWithControlCharacters", {"x\ty\x01\r"}, "unknown command 'x\\ty\\x01\\r'"},
    {"SecondCommandWithALineFeed", {"status", "in\nstall"}, "and 'in\\nstall'"},
    {"SpecSettingWithALineFeed", {"--simulate-adapter=a\nb"}, "setting 'a\\nb'"},
};

class CommandLineUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CommandLineUsage, WrongUsageExitsTwoWithAOneLineHint) {
    const auto& c = GetParam();
    auto files = MakeMachineFileSystem();
    platform::VirtualClock clock;
    ProgramPlatform program{*files, clock, "setup"};
    const CapturedRun run = RunCaptured(c.args, program);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find(c.hint), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("try 'setup --help'"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(run.out.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLineUsage, ::testing::ValuesIn(kUsageErrors),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineParse, OptionsInBothForms) {
    const auto parsed =
        ParseCommandLine({"-C", "dir", "--keil-root=C:\\Keil", "--codepage", "950",
                          "--simulate-adapter=version=1.2", "--adapter-vid", "0x1d50", "status"});
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    EXPECT_EQ(parsed.options.directory, "dir");
    EXPECT_EQ(parsed.options.keilRoot, "C:\\Keil");
    EXPECT_EQ(parsed.options.codePage, 950);
    EXPECT_EQ(parsed.options.simulateAdapter, "version=1.2");
    EXPECT_EQ(parsed.options.adapterVendorId, 0x1d50);
    EXPECT_EQ(parsed.options.command, "status");
    EXPECT_EQ(ParseCommandLine({"--simulate-adapter"}).options.simulateAdapter, "");
}

class CommandLineRun : public ::testing::Test {
  protected:
    CapturedRun Run(const std::vector<std::string>& args) { return RunCaptured(args, program); }

    WorkingDirectoryGuard guard;
    TempDir dir;
    std::unique_ptr<platform::FileSystem> files = MakeMachineFileSystem();
    platform::VirtualClock clock;
    ProgramPlatform program{*files, clock, "setup"};
};

TEST_F(CommandLineRun, VersionAndHelp) {
    const CapturedRun version = Run({"--version"});
    EXPECT_EQ(version.status, kExitSuccess);
    EXPECT_EQ(version.out, "Version 2.21\n");
    const CapturedRun help = Run({"--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_EQ(help.out.rfind("Usage: setup ", 0), 0u);
}

TEST_F(CommandLineRun, StartUpLoadsTheScriptOfTheFolderGivenWithC) {
    dir.Write("Setup.ini", "[FILE]\r\n");
    const CapturedRun run = Run({"-C", dir.str()});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::filesystem::current_path(), dir.path());
}

TEST_F(CommandLineRun, StartUpWithoutScriptPrintsTheBoxAndFails) {
    const CapturedRun run = Run({"-C", dir.str()});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.out, "[Database Installer] 沒有找到 " + dir.str() + "\\setup.ini .\n");
}

TEST_F(CommandLineRun, MissingFolderForCIsWrongUsage) {
    const CapturedRun run = Run({"-C", (dir / "none").string()});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("cannot change to folder"), std::string::npos);

    const CapturedRun lineFeed = Run({"-C", (dir / "no\nne").string()});
    EXPECT_EQ(lineFeed.status, kExitUsage);
    EXPECT_NE(lineFeed.err.find("no\\nne'"), std::string::npos) << lineFeed.err;
    EXPECT_EQ(std::count(lineFeed.err.begin(), lineFeed.err.end(), '\n'), 1) << lineFeed.err;
}

}  // namespace
