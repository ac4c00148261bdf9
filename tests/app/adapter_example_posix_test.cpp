// The built program on the sample distribution with a simulated adapter: the sample Trelvor.dat and the
// simulated adapter's default firmware agree, and another version is upgraded to the sample's.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "adapter/firmware_image.h"
#include "adapter/simulated_adapter_settings.h"
#include "support/temp_dir.h"

namespace {

const std::string kExample = std::string(INSTALLER_SOURCE_DIR) + "/examples/distribution";

struct ProgramRun {
    int status;
    std::string out;
};

ProgramRun RunSetup(const std::string& args) {
    TempDir scratch;
    const std::string outFile = (scratch / "stdout.txt").string();
    const std::string command = std::string("'") + INSTALLER_SETUP_PROGRAM + "' -C '" + kExample + "' " +
                                args + " >'" + outFile + "' 2>/dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, scratch.Read("stdout.txt")};
}

TEST(AdapterExample, SampleImageCarriesTheSimulatedAdaptersVersion) {
    std::ifstream file(kExample + "/" + kFirmwareImageName, std::ios::binary);
    const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(image.size(), 8202u);
    EXPECT_EQ(VersionOfImage(image), (FirmwareVersion{0x02, 0x15}));
    EXPECT_EQ(VersionOfImage(image), SimulatedAdapterSettings{}.version);
}

TEST(AdapterExample, SimulatedAdapterIsCurrent) {
    const ProgramRun run = RunSetup("adapter --simulate-adapter");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
}

TEST(AdapterExample, SimulatedAdapterOfAnotherVersionIsUpgraded) {
    const ProgramRun run = RunSetup("adapter --simulate-adapter=version=2.20,detach-ms=0,reset-ms=0");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "[Database Installer] ICE adapter is upgraded !\n");
}

}  // namespace
