// The [FILE] and [CDB] handlers on real temporary trees: where each file goes, the generation gate, the
// folder step with its effect on the current folder, read-only files, and the system's message on failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/change_log_file_system.h"
#include "support/uvision_fixture.h"
#include "uvision/entry_number.h"

namespace {

namespace fs = std::filesystem;
using platform::BoxStyle;

RecordedBox SystemBox(platform::SystemErrorCode code) {
    return {platform::SystemErrorText(code), "Database Installer", BoxStyle::kOkWarning};
}

TEST(EntryNumber, ReadsAsAtoi) {
    const std::pair<const char*, int> cases[] = {
        {"1", 1},
        {"01", 1},
        {"+1", 1},
        {"1x", 1},
        {" 1", 1},
        {"2", 2},
        {"0", 0},
        {"", 0},
        {"x1", 0},
        {"-1", -1},
        {"- 1", 0},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(EntryNumber(text), value) << text;
}

// Keil root under µVision2: the worked example of the destinations.
TEST(FileDeployment, WorkedExampleUnderUv2) {
    UvisionFixture f(1);
    f.ChooseRoot();
    f.keil.Write("UV2/C51/BIN/MON51.DLL", "");
    f.work.Write("X.DLL", "driver");
    f.work.Write("X.CDB", "database");
    EXPECT_EQ(f.dlg.InstallFileEntry("X.DLL=1,0,0,\"\\C51\\BIN\\X.DLL\""), 0);
    EXPECT_EQ(f.dlg.InstallCdbEntry("UV2=\"X.CDB\",1,0,0,\"X.CDB\""), 0);
    EXPECT_EQ(f.keil.Read("UV2/C51/BIN/X.DLL"), "driver");
    EXPECT_EQ(f.keil.Read("UV2/X.CDB"), "database");

    EXPECT_EQ(f.dlg.RemoveFileEntry("X.DLL=1,0,0,\"\\C51\\BIN\\X.DLL\""), 0);
    EXPECT_EQ(f.dlg.RemoveCdbEntry("UV2=\"X.CDB\",1,0,0,\"X.CDB\""), 0);
    EXPECT_FALSE(f.keil.Exists("UV2/C51/BIN/X.DLL"));
    EXPECT_FALSE(f.keil.Exists("UV2/X.CDB"));
    EXPECT_TRUE(f.keil.Exists("UV2/C51/BIN"));  // no folder is removed
    EXPECT_TRUE(f.view.boxes.empty());
}

TEST(FileDeployment, EmptyRootFailsEveryHandlerWithoutTouchingAnything) {
    UvisionFixture f(2);
    const fs::path start = fs::current_path();
    f.work.Write("X.DLL", "driver");
    const std::string file = "X.DLL=0,1,0,\"\\NEW\\X.DLL\"";
    const std::string cdb = "UV3=\"X.DLL\",0,1,0,\"\\X.DLL\"";
    EXPECT_EQ(f.dlg.InstallFileEntry(file), -1);
    EXPECT_EQ(f.dlg.InstallCdbEntry(cdb), -1);
    EXPECT_EQ(f.dlg.RemoveFileEntry(file), -1);
    EXPECT_EQ(f.dlg.RemoveCdbEntry(cdb), -1);
    EXPECT_TRUE(f.view.boxes.empty());
    EXPECT_TRUE(fs::equivalent(fs::current_path(), start)) << fs::current_path();
    EXPECT_FALSE(f.keil.Exists("NEW"));
}

struct GateCase {
    const char* key;
    int generation;
    bool applies;
};

void PrintTo(const GateCase& c, std::ostream* os) {
    *os << c.key << " under uVision" << c.generation + 1;
}

class CdbGate : public ::testing::TestWithParam<GateCase> {};

TEST_P(CdbGate, EntryActsOnlyUnderItsGeneration) {
    const GateCase& c = GetParam();
    UvisionFixture f(c.generation);
    f.ChooseRoot();
    f.work.Write("X.CDB", "database");
    const std::string entry = std::string(c.key) + "=\"X.CDB\",0,0,0,\"\\X.CDB\"";
    EXPECT_EQ(f.dlg.InstallCdbEntry(entry), 0);
    EXPECT_EQ(f.keil.Exists("X.CDB"), c.applies);
    f.keil.Write("X.CDB", "old");
    EXPECT_EQ(f.dlg.RemoveCdbEntry(entry), 0);
    EXPECT_EQ(f.keil.Exists("X.CDB"), !c.applies);
    EXPECT_TRUE(f.view.boxes.empty());
}

const GateCase kGates[] = {
    {"UV3", 2, true},  {"uv3", 2, true},      {"Uv3 ", 2, true},  {"UV3", 1, false},
    {"Uv3", 1, false}, {"UV2", 1, true},      {"UV2", 2, false},  {"UV4", 1, false},
    {"UV4", 2, false}, {"\"UV3\"", 2, false}, {"uV2\t", 1, true}, {" UV3", 2, true},
};
INSTANTIATE_TEST_SUITE_P(Keys, CdbGate, ::testing::ValuesIn(kGates));

// A target that climbs out of the Keil tree (here into the distribution folder beside it) is refused like a
// malformed entry: no change outside the tree is even tried, and no box is shown.
TEST(FileDeployment, TargetsThatClimbOutOfTheKeilTreeAreRefused) {
    UvisionFixture f(2);
    f.ChooseRoot();
    ChangeLogFileSystem files(f.files);
    CSetupDlg dlg(DialogServices{f.view, files, f.clock, f.codePage, "Setup"});
    dlg.m_uvVersion = 2;
    dlg.m_workDir = f.work.str();
    f.work.Write("X.DLL", "driver");
    f.work.Write("victim.txt", "victim");
    const std::string work = f.work.path().filename().string();
    const std::string entries[] = {
        "X.DLL=0,0,0,\"\\..\\" + work + "\\victim.txt\"",
        "X.DLL=1,0,0,\"\\..\\..\\" + work + "\\victim.txt\"",            // out of uV3, then out of the root
        "X.DLL=0,1,0,\"\\C51\\..\\..\\" + work + "\\new\\victim.txt\"",  // folder step included
        "X.DLL=0,0,0,\"BIN\\..\\..\\" + work + "\\victim.txt\"",  // from the name that extends the root's
        "X.DLL=0,0,0,\"\\... \\" + work + "\\victim.txt\"",       // Windows takes "... " for ".."
        "X.DLL=0,0,0,\"\\. .\\" + work + "\\victim.txt\"",
    };
    for (const std::string& entry : entries) {
        EXPECT_EQ(dlg.InstallFileEntry(entry), -1) << entry;
        EXPECT_EQ(dlg.RemoveFileEntry(entry), -1) << entry;
    }
    const std::string cdbEntries[] = {
        "UV3=\"X.DLL\",1,1,0,\"..\\..\\" + work +
            "\\victim.txt\"",  // the generation piece ends in a backslash
        "UV3=\"X.DLL\",0,0,0,\"\\..\\" + work + "\\victim.txt\"",
    };
    for (const std::string& entry : cdbEntries) {
        EXPECT_EQ(dlg.InstallCdbEntry(entry), -1) << entry;
        EXPECT_EQ(dlg.RemoveCdbEntry(entry), -1) << entry;
    }
    EXPECT_EQ(files.changed, std::vector<fs::path>{});
    EXPECT_EQ(f.work.Read("victim.txt"), "victim");
    EXPECT_TRUE(f.view.boxes.empty());

    // Climbing that stays below the root is taken; so is a name that only begins with dots.
    EXPECT_EQ(dlg.InstallFileEntry("X.DLL=0,0,0,\"\\C51\\BIN\\..\\X.DLL\""), 0);
    EXPECT_EQ(f.keil.Read("C51/X.DLL"), "driver");
    EXPECT_EQ(dlg.InstallCdbEntry("UV3=\"X.DLL\",1,1,0,\"..\\C51\\...X.DLL\""), 0);
    EXPECT_EQ(f.keil.Read("C51/...X.DLL"), "driver");
    EXPECT_EQ(dlg.RemoveFileEntry("X.DLL=0,0,0,\"\\C51\\.\\X.DLL\""), 0);
    EXPECT_FALSE(f.keil.Exists("C51/X.DLL"));
    for (const fs::path& changed : files.changed)
        EXPECT_TRUE(LexicallyWithin(changed, f.keil.path())) << changed;
}

// The gate comes after the fields are taken: an entry for the other generation still fails when one is bad.
TEST(FileDeployment, CdbEntryForOtherGenerationWithBadFieldFails) {
    UvisionFixture f(2);
    f.ChooseRoot();
    for (const char* entry : {"UV2=\"X.CDB\",1,0,0,\"\"", "UV2=\"X.CDB\",1,0,0", "UV2=X,1,0,0,\"X.CDB\""}) {
        EXPECT_EQ(f.dlg.InstallCdbEntry(entry), -1) << entry;
        EXPECT_EQ(f.dlg.RemoveCdbEntry(entry), -1) << entry;
    }
    for (const char* entry : {"X.DLL=1,0,0,\"\"", "X.DLL=1,0,0", "X.DLL=1,0"}) {
        EXPECT_EQ(f.dlg.InstallFileEntry(entry), -1) << entry;
        EXPECT_EQ(f.dlg.RemoveFileEntry(entry), -1) << entry;
    }
    EXPECT_TRUE(f.view.boxes.empty());
}

// A flag is on only when its field reads as the number 1.
TEST(FileDeployment, OnlyOneTurnsTheGenerationFolderOn) {
    const std::pair<const char*, bool> flags[] = {{"1", true},   {"01", true},   {"+1", true}, {"2", false},
                                                  {"0", false},  {"yes", false}, {"", false},  {"-1", false},
                                                  {"1.5", true}, {"11", false}};
    for (const auto& [flag, below] : flags) {
        UvisionFixture f(2);
        f.ChooseRoot();
        f.work.Write("X.DLL", "driver");
        EXPECT_EQ(f.dlg.InstallFileEntry(std::string("X.DLL=") + flag + ",0,0,\"\\X.DLL\""), 0) << flag;
        EXPECT_EQ(f.keil.Exists("UV3/X.DLL"), below) << flag;
        EXPECT_EQ(f.keil.Exists("X.DLL"), !below) << flag;
    }
}

TEST(FileDeployment, FolderStep) {
    UvisionFixture f(2);
    f.ChooseRoot();
    f.work.Write("X.DLL", "driver");
    const fs::path start = fs::current_path();

    // Missing folder, not asked to make it: the copy fails with the system's message.
    EXPECT_EQ(f.dlg.InstallFileEntry("X.DLL=0,0,0,\"\\C51\\NEW\\X.DLL\""), -1);
    EXPECT_EQ(f.view.boxes, std::vector<RecordedBox>{SystemBox(MachineErrors().pathNotFound)});
    EXPECT_FALSE(f.keil.Exists("C51/NEW"));

    // Missing folder and the one above it: nothing is made, no message.
    EXPECT_EQ(f.dlg.InstallFileEntry("X.DLL=0,1,0,\"\\C51\\A\\B\\X.DLL\""), -1);
    EXPECT_EQ(f.view.boxes.size(), 1u);
    EXPECT_FALSE(f.keil.Exists("C51/A"));

    // Missing folder below an existing one: made, the file copied, the current folder unchanged.
    EXPECT_EQ(f.dlg.InstallFileEntry("X.DLL=0,1,0,\"\\C51\\NEW\\X.DLL\""), 0);
    EXPECT_EQ(f.keil.Read("C51/NEW/X.DLL"), "driver");
    EXPECT_TRUE(fs::equivalent(fs::current_path(), start)) << fs::current_path();

    // An existing folder becomes the current folder.
    EXPECT_EQ(f.dlg.InstallFileEntry("X.DLL=0,1,0,\"\\C51\\BIN\\X.DLL\""), 0);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), f.keil / "C51/BIN")) << fs::current_path();

    // [CDB] below the generation folder ensures the generation folder, whatever the target names.
    f.work.Write("X.CDB", "database");
    EXPECT_EQ(f.dlg.InstallCdbEntry("UV3=\"X.CDB\",1,1,0,\"X.CDB\""), 0);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), f.keil / "UV3")) << fs::current_path();
    EXPECT_EQ(f.dlg.InstallCdbEntry("UV3=\"X.CDB\",1,1,0,\"SUB\\X.CDB\""), -1);
    EXPECT_FALSE(f.keil.Exists("UV3/SUB"));

    // [CDB] directly below the root ensures the folder above the root: nothing is made below it.
    EXPECT_EQ(f.dlg.InstallCdbEntry("UV3=\"X.CDB\",0,1,0,\"\\X.CDB\""), 0);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), f.keil.path().parent_path())) << fs::current_path();
    EXPECT_EQ(f.keil.Read("X.CDB"), "database");
}

TEST(FileDeployment, EnsureTargetDirNeedsAFolderPart) {
    UvisionFixture f(2);
    EXPECT_EQ(f.dlg.EnsureTargetDir("X.DLL", 1), -1);
    EXPECT_EQ(f.dlg.EnsureTargetDir("\\X.DLL", 1), -1);
    EXPECT_EQ(f.dlg.EnsureTargetDir("\\NOWHERE\\AT\\ALL\\X.DLL", 2), 0);  // not asked
    EXPECT_EQ(f.dlg.EnsureTargetDir(f.InKeil("\\C51\\BIN\\X.DLL"), 1), 0);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), f.keil / "C51/BIN")) << fs::current_path();
    // Big5: the trail byte of 功 (0xA5 0x5C) is no separator, so the folder is the root itself.
    UvisionFixture big5(2);
    const platform::CodePage cp950 = platform::CodePage::ForNumber(950);
    CSetupDlg dlg(DialogServices{big5.view, big5.files, big5.clock, cp950, "Setup"});
    EXPECT_EQ(dlg.EnsureTargetDir(big5.keil.str() + "\\NEW\xA5\x5CX.DLL", 1), 0);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), big5.keil.path())) << fs::current_path();
    EXPECT_FALSE(big5.keil.Exists("NEW\xA5"));
}

TEST(FileDeployment, ReadOnlyFiles) {
    UvisionFixture f(2);
    f.ChooseRoot();
    f.work.Write("X.DLL", "new");
    f.work.MakeReadOnly("X.DLL");
    f.keil.Write("C51/BIN/X.DLL", "old");
    f.keil.MakeReadOnly("C51/BIN/X.DLL");
    const std::string entry = "X.DLL=0,0,0,\"\\C51\\BIN\\X.DLL\"";

    // A read-only destination is replaced; a read-only source gives a destination that is not read-only.
    EXPECT_EQ(f.dlg.InstallFileEntry(entry), 0);
    EXPECT_EQ(f.keil.Read("C51/BIN/X.DLL"), "new");
    EXPECT_FALSE(f.keil.IsReadOnly("C51/BIN/X.DLL"));
    EXPECT_TRUE(f.view.boxes.empty());

    // Uninstall does not force a read-only file.
    f.keil.MakeReadOnly("C51/BIN/X.DLL");
    EXPECT_EQ(f.dlg.RemoveFileEntry(entry), -1);
    EXPECT_EQ(f.view.boxes, std::vector<RecordedBox>{SystemBox(MachineErrors().accessDenied)});
    EXPECT_TRUE(f.keil.Exists("C51/BIN/X.DLL"));

    // A missing source fails after the destination lost its read-only attribute.
    EXPECT_EQ(f.dlg.InstallFileEntry("MISSING.DLL=0,0,0,\"\\C51\\BIN\\X.DLL\""), -1);
    EXPECT_EQ(f.view.boxes.back(), SystemBox(MachineErrors().fileNotFound));
    EXPECT_FALSE(f.keil.IsReadOnly("C51/BIN/X.DLL"));
    EXPECT_EQ(f.keil.Read("C51/BIN/X.DLL"), "new");

    // An absent file is nothing to remove.
    EXPECT_EQ(f.dlg.RemoveFileEntry("Y.DLL=0,0,0,\"\\C51\\BIN\\Y.DLL\""), 0);
    EXPECT_EQ(f.view.boxes.size(), 2u);
}

TEST(FileDeployment, PathsAreJoinedAsWritten) {
    UvisionFixture f(0);
    f.keil.Write("Keil/UV3/Uv3.exe", "");
    f.keil.Write("KeilBIN/.keep", "");
    f.ChooseRoot(f.keil.str() + "/Keil");
    f.work.Write("X.DLL", "driver");
    // No separator is added between the root and a target that lacks one.
    EXPECT_EQ(f.dlg.InstallFileEntry("X.DLL=0,0,0,\"BIN\\X.DLL\""), 0);
    EXPECT_EQ(f.keil.Read("KeilBIN/X.DLL"), "driver");
    // A key in quotes keeps them in the source path: no such file (Windows names cannot even hold them).
    EXPECT_EQ(f.dlg.InstallFileEntry("\"X.DLL\"=0,0,0,\"\\X.DLL\""), -1);
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0].style, BoxStyle::kOkWarning);
    EXPECT_FALSE(f.keil.Exists("Keil/X.DLL"));
}

// After a script reload m_uvVersion is 0 while the chosen root stays: the generation is detected again, so
// nothing goes below the wrong generation folder and no [CDB] entry is skipped.
TEST(FileDeployment, GenerationIsDetectedAgainAfterAScriptReload) {
    UvisionFixture f(1);
    f.ChooseRoot();
    f.dlg.m_uvVersion = 0;
    f.work.Write("X.DLL", "driver");
    f.work.Write("X.CDB", "database");
    EXPECT_EQ(f.dlg.InstallFileEntry("X.DLL=1,0,0,\"\\X.DLL\""), 0);
    EXPECT_EQ(f.dlg.m_uvVersion, 1);
    f.dlg.m_uvVersion = 0;
    EXPECT_EQ(f.dlg.InstallCdbEntry("UV2=\"X.CDB\",1,0,0,\"X.CDB\""), 0);
    EXPECT_TRUE(f.keil.Exists("UV2/X.DLL"));
    EXPECT_TRUE(f.keil.Exists("UV2/X.CDB"));
    EXPECT_FALSE(f.keil.Exists("UV3"));

    // A root that holds no µVision any more takes no entry.
    fs::remove(f.keil / "UV2/Uv2.exe");
    f.dlg.m_uvVersion = 0;
    EXPECT_EQ(f.dlg.InstallFileEntry("X.DLL=0,0,0,\"\\Y.DLL\""), -1);
    EXPECT_EQ(f.dlg.RemoveCdbEntry("UV2=\"X.CDB\",1,0,0,\"X.CDB\""), -1);
    EXPECT_FALSE(f.keil.Exists("Y.DLL"));
    EXPECT_TRUE(f.keil.Exists("UV2/X.CDB"));
    EXPECT_TRUE(f.view.boxes.empty());
}

}  // namespace
