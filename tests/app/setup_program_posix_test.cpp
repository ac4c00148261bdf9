// The built program itself: its name, taken from the executable, names the setup script.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace {

struct ProgramRun {
    int status;
    std::string out;
    std::string err;
};

ProgramRun RunSetup(const std::string& args, const TempDir& scratch) {
    const std::string outFile = (scratch / "stdout.txt").string();
    const std::string errFile = (scratch / "stderr.txt").string();
    const std::string command =
        std::string("'") + INSTALLER_SETUP_PROGRAM + "' " + args + " >'" + outFile + "' 2>'" + errFile + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, scratch.Read("stdout.txt"), scratch.Read("stderr.txt")};
}

TEST(SetupProgram, FindsItsScriptByItsOwnNameIgnoringCase) {
    TempDir work;
    TempDir scratch;
    work.Write("Setup.ini", "[FILE]\n");
    const ProgramRun run = RunSetup("-C '" + work.str() + "'", scratch);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");
}

TEST(SetupProgram, ReportsAMissingScriptUnderItsOwnName) {
    TempDir work;
    TempDir scratch;
    const ProgramRun run = RunSetup("-C '" + work.str() + "'", scratch);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "[Database Installer] 沒有找到 " + work.str() + "\\setup.ini .\n");
}

}  // namespace
