// Where the file system allows double quotes in names, a quoted [FILE] key names the file with its quotes.
#include <gtest/gtest.h>

#include "support/uvision_fixture.h"

namespace {

TEST(FileDeploymentPosix, QuotedKeyKeepsItsQuotesInTheSourcePath) {
    UvisionFixture f(0);
    f.keil.Write("Keil/UV3/Uv3.exe", "");
    f.ChooseRoot(f.keil.str() + "/Keil");
    f.work.Write("\"Q.DLL\"", "quoted name on disk");
    EXPECT_EQ(f.dlg.InstallFileEntry("\"Q.DLL\"=0,0,0,\"\\Q.DLL\""), 0);
    EXPECT_EQ(f.keil.Read("Keil/Q.DLL"), "quoted name on disk");
    EXPECT_TRUE(f.view.boxes.empty());
}

}  // namespace
