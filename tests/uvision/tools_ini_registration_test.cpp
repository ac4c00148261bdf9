// UpdateToolsIni on real files: the worked example to the byte, the results and boxes of each failure, and
// a TOOLS.INI that stays byte-identical whenever the rewrite cannot be completed.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_error.h"
#include "support/uvision_fixture.h"

namespace {

using platform::BoxStyle;

const std::string kEntry = "DEMO=\"drv\",0,0,\"BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\"";

const std::string kWorkedExample =
    Crlf({"[DEMO]", "DRV0=BIN\\ALPHA.DLL (Alpha Monitor Driver)",
          "DRV1=BIN\\BETA.DLL (Beta Simulator Driver)", "", "[OTHER]", "ITEM=1"});

class ToolsIni : public ::testing::Test {
  protected:
    explicit ToolsIni(Faults faults = {}) : f(2, faults) {}

    void SetUp() override { f.ChooseRoot(); }
    int Update(const std::string& entry, int install) { return f.dlg.UpdateToolsIni(entry, install); }
    std::string Ini() const { return f.keil.Read("TOOLS.INI"); }
    std::string IniPath() const { return f.keil.str() + "\\Tools.ini"; }
    bool OnlyToolsIniInRoot() const {
        for (const auto& entry : std::filesystem::directory_iterator(f.keil.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "TOOLS.INI" && name != "UV3" && name != "C51") return false;
        }
        return true;
    }

    UvisionFixture f;
};

TEST_F(ToolsIni, WorkedExampleToTheByte) {
    f.keil.Write("TOOLS.INI", kWorkedExample);
    EXPECT_EQ(Update(kEntry, 1), 0);
    const std::string installed = Crlf(
        {"[DEMO]", "DRV0=BIN\\ALPHA.DLL (Alpha Monitor Driver)", "DRV1=BIN\\BETA.DLL (Beta Simulator Driver)",
         "DRV2=BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)", "[OTHER]", "ITEM=1"});
    EXPECT_EQ(Ini(), installed);

    const auto written = std::filesystem::last_write_time(f.keil / "TOOLS.INI");
    EXPECT_EQ(Update(kEntry, 1), 3);  // already registered: not written
    EXPECT_EQ(Ini(), installed);
    EXPECT_EQ(std::filesystem::last_write_time(f.keil / "TOOLS.INI"), written);

    EXPECT_EQ(Update(kEntry, 0), 0);
    EXPECT_EQ(Ini(), Crlf({"[DEMO]", "DRV0=BIN\\ALPHA.DLL (Alpha Monitor Driver)",
                           "DRV1=BIN\\BETA.DLL (Beta Simulator Driver)", "[OTHER]", "ITEM=1"}));
    EXPECT_EQ(Update(kEntry, 0), 0);  // nothing left to remove
    EXPECT_TRUE(f.view.boxes.empty());
    EXPECT_TRUE(OnlyToolsIniInRoot());
}

TEST_F(ToolsIni, TaggedValueUnderTheDetectedGeneration) {
    f.keil.Write("TOOLS.INI", kWorkedExample);
    EXPECT_EQ(Update("DEMO=\"DRV\",1,0,\"BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\"", 1), 0);
    EXPECT_NE(Ini().find("\r\nDRV2=UV3BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\r\n[OTHER]"),
              std::string::npos);
}

// The last section without a final line break; the rewrite ends every line with CR LF, keeps lines of blanks
// and the text after a 0x1A, and drops only the empty lines.
TEST_F(ToolsIni, RewriteKeepsEverythingButEmptyLines) {
    f.keil.Write("TOOLS.INI", "[UV2]\nA=1\r\n\r\n   \r\n[DEMO]\r\nDRV0=BIN\\A.DLL (a)");
    EXPECT_EQ(Update(kEntry, 1), 0);
    EXPECT_EQ(Ini(),
              "[UV2]\r\nA=1\r\n   \r\n[DEMO]\r\nDRV0=BIN\\A.DLL (a)\r\n"
              "DRV1=BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\r\n");

    f.keil.Write("TOOLS.INI", "[DEMO]\r\nDRV0=BIN\\A.DLL (a)\r\n\x1A\r\n[NOT READ]\r\n");
    EXPECT_EQ(Update(kEntry, 1), 0);
    EXPECT_EQ(Ini(),
              "[DEMO]\r\nDRV0=BIN\\A.DLL (a)\r\nDRV1=BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\r\n"
              "\x1A\r\n[NOT READ]\r\n");
}

// Only the first registration is found and removed; the next uninstall removes the other.
TEST_F(ToolsIni, TwoRegistrationsGoOneAtATime) {
    const std::string first = "DRV0=BIN\\TRELVOROCD.DLL (one)";
    const std::string second = "DRV1=bin\\trelvorocd.dll (two)";
    f.keil.Write("TOOLS.INI", Crlf({"[DEMO]", first, second}));
    EXPECT_EQ(Update(kEntry, 1), 3);
    EXPECT_EQ(Update(kEntry, 0), 0);
    EXPECT_EQ(Ini(), Crlf({"[DEMO]", second}));
    EXPECT_EQ(Update(kEntry, 0), 0);
    EXPECT_EQ(Ini(), Crlf({"[DEMO]"}));
    EXPECT_EQ(Update(kEntry, 1), 0);  // DRV0 is free again
    EXPECT_EQ(Ini(), Crlf({"[DEMO]", "DRV0=BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)"}));
}

TEST_F(ToolsIni, FullTableIsOneOnBothPasses) {
    std::vector<std::string> lines{"[DEMO]"};
    for (int n = 0; n < 40; ++n)
        lines.push_back("DRV" + std::to_string(n) + "=BIN\\D" + std::to_string(n) + ".DLL (d)");
    f.keil.Write("TOOLS.INI", Crlf(lines));
    EXPECT_EQ(Update(kEntry, 1), 1);
    EXPECT_EQ(Update(kEntry, 0), 1);
    EXPECT_EQ(Ini(), Crlf(lines));
}

// Failures before the rewrite: the result, the box and a file left as it was.
struct FailureCase {
    const char* name;
    std::string entry;
    bool exists;  // whether there is a TOOLS.INI
    std::string toolsIni;
    bool readOnly;
    std::string box;  // the warning box's text, %1 = TOOLS.INI's path; empty: no box
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

const FailureCase kFailures[] = {
    {"MissingSection", "DEMO2=\"DRV\",0,0,\"BIN\\X.DLL (x)\"", true, kWorkedExample, false, ""},
    {"MissingFile", kEntry, false, "", false, "沒有找到 %1 ."},
    {"ZeroBytes", kEntry, true, "", false, ""},
    {"NothingBeforeEndOfText", kEntry, true, "\x1A[DEMO]\r\n", false, ""},
    {"MissingValueField", "DEMO=\"DRV\",0,0", true, kWorkedExample, false, ""},
    {"QuotedPrefixTooShort", "DEMO=DR,0,0,\"BIN\\X.DLL (x)\"", true, kWorkedExample, false, ""},
    {"ReadOnly", kEntry, true, kWorkedExample, true, "存取 %1 遭受拒絕."},
};

class ToolsIniFailure : public ToolsIni, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ToolsIniFailure, MinusOneAndTheFileUntouched) {
    const FailureCase& c = GetParam();
    if (c.exists) f.keil.Write("TOOLS.INI", c.toolsIni);
    if (c.readOnly) f.keil.MakeReadOnly("TOOLS.INI");
    EXPECT_EQ(Update(c.entry, 1), -1);
    EXPECT_EQ(Update(c.entry, 0), -1);
    if (c.box.empty()) {
        EXPECT_TRUE(f.view.boxes.empty());
    } else {
        std::string text = c.box;
        text.replace(text.find("%1"), 2, IniPath());
        const RecordedBox box{text, "Database Installer", BoxStyle::kOkWarning};
        EXPECT_EQ(f.view.boxes, (std::vector<RecordedBox>{box, box}));
    }
    if (c.exists) {
        EXPECT_EQ(Ini(), c.toolsIni);
    }
    EXPECT_TRUE(OnlyToolsIniInRoot());
}

INSTANTIATE_TEST_SUITE_P(Cases, ToolsIniFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ToolsIni, EmptyRootTouchesNothing) {
    f.keil.Write("TOOLS.INI", kWorkedExample);
    f.ChooseRoot("");
    EXPECT_EQ(Update(kEntry, 1), -1);
    EXPECT_TRUE(f.view.boxes.empty());
    EXPECT_TRUE(f.files.opened.empty());
}

// Another installer in the middle of its own rewrite holds the lock: a sharing violation.
TEST_F(ToolsIni, LockHeldElsewhereIsASharingViolation) {
    f.keil.Write("TOOLS.INI", kWorkedExample);
    auto otherInstaller = MakeMachineFileSystem();
    platform::FileError error;
    auto held = otherInstaller->Open(IniPath(), platform::OpenMode::kEditDenyWrite, error);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(Update(kEntry, 1), -1);
    ASSERT_EQ(f.view.boxes.size(), 1u);
    EXPECT_EQ(f.view.boxes[0].text, "當存取 " + IniPath() + " 時發生分享違反(Sharing Violation).");
    EXPECT_EQ(f.view.boxes[0].style, BoxStyle::kOkWarning);
    held.reset();
    EXPECT_EQ(Update(kEntry, 1), 0);
}

// Faults in the rewrite: the new file cannot be made, or is not completed, or cannot be put in place.
struct RewriteFault {
    const char* name;
    Faults faults;
    bool raised;  // a file error is raised (otherwise -1 after a warning box)
    platform::FileErrorCause cause;
    bool named;  // the raised error names TOOLS.INI
};

void PrintTo(const RewriteFault& c, std::ostream* os) {
    *os << c.name;
}

const RewriteFault kRewriteFaults[] = {
    {"CreateFails",
     {.failCreate = true, .code = MachineErrors().accessDenied},
     false,
     platform::FileErrorCause::kAccessDenied,
     true},
    {"FirstWriteFails", {.failWriteNumber = 1}, true, platform::FileErrorCause::kDiskFull, true},
    {"WriteMidwayFails", {.failWriteNumber = 3}, true, platform::FileErrorCause::kDiskFull, true},
    {"WriteFailsWithAnyCode",
     {.failWriteNumber = 2, .code = MachineErrors().ioError},
     true,
     platform::FileErrorCause::kDiskFull,
     true},
    {"FlushFails", {.failFlush = true}, true, platform::FileErrorCause::kDiskFull, true},
    {"CloseFails", {.failClose = true}, true, platform::FileErrorCause::kDiskFull, true},
    {"ReplaceFails",
     {.failReplace = true, .code = MachineErrors().accessDenied},
     true,
     platform::FileErrorCause::kAccessDenied,
     false},
};

class ToolsIniRewriteFault : public ::testing::TestWithParam<RewriteFault> {};

TEST_P(ToolsIniRewriteFault, OldFileStaysByteIdentical) {
    const RewriteFault& c = GetParam();
    UvisionFixture f(2, c.faults);
    f.ChooseRoot();
    // Large enough to take several writes.
    std::string original = "[DEMO]\r\nDRV0=BIN\\A.DLL (a)\r\n\r\n[BULK]\r\n";
    for (int i = 0; original.size() < 300 * 1024; ++i)
        original += "KEY" + std::to_string(i) + "=some value\r\n";
    f.keil.Write("TOOLS.INI", original);
    const std::string iniPath = f.keil.str() + "\\Tools.ini";

    if (c.raised) {
        try {
            f.dlg.UpdateToolsIni(kEntry, 1);
            ADD_FAILURE() << "no file error raised";
        } catch (const platform::FileException& e) {
            EXPECT_EQ(e.error().cause, c.cause);
            EXPECT_EQ(e.error().fileName, c.named ? iniPath : "");
        }
        EXPECT_TRUE(f.view.boxes.empty());
    } else {
        EXPECT_EQ(f.dlg.UpdateToolsIni(kEntry, 1), -1);
        ASSERT_EQ(f.view.boxes.size(), 1u);
        EXPECT_EQ(f.view.boxes[0].text, "存取 " + iniPath + " 遭受拒絕.");
    }
    EXPECT_EQ(f.keil.Read("TOOLS.INI"), original);
    for (const auto& entry : std::filesystem::directory_iterator(f.keil.path()))
        EXPECT_NE(entry.path().filename().string(), "Tools.ini.new") << "the unfinished file is left behind";

    // The lock is gone with the failed call: the next registration goes through.
    FaultyFileSystem healthy(*f.machine, {});
    CSetupDlg again(DialogServices{f.view, healthy, f.clock, f.codePage, "Setup"});
    again.m_uvVersion = 2;
    f.view.texts[platform::kIdKeilRoot] = f.keil.str();
    EXPECT_EQ(again.UpdateToolsIni(kEntry, 1), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ToolsIniRewriteFault, ::testing::ValuesIn(kRewriteFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
