// The Win32 file system backend on the real Windows API (under Wine in the cross build): the system's own
// share modes, read-only attribute and error codes.
#include "platform/file_system_win32.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/system_error.h"
#include "platform/windows_headers_win32.h"
#include "support/drive_root_file_win32.h"
#include "support/temp_dir.h"

namespace {

using platform::FileError;
using platform::FileErrorCause;
using platform::OpenMode;

std::string Win(const TempDir& dir, const std::string& relative) {
    return dir.str() + "\\" + relative;
}

class Win32FileSystemTest : public ::testing::Test {
  protected:
    TempDir dir;
    platform::Win32FileSystem files;
    FileError error;
};

TEST_F(Win32FileSystemTest, OpenFailuresAreClassed) {
    dir.Write("present.ini", "x");
    EXPECT_EQ(files.Open(Win(dir, "missing.ini"), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kFileNotFound);
    EXPECT_EQ(error.osError, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(error.fileName, Win(dir, "missing.ini"));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_FILE_NOT_FOUND));

    EXPECT_EQ(files.Open(Win(dir, "nofolder\\x.ini"), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kBadPath);
    EXPECT_EQ(files.Open(dir.str(), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kAccessDenied);
    // A device is no file, even where the system would open it.
    EXPECT_EQ(files.Open("NUL", OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kAccessDenied);

    EXPECT_NE(files.Open(Win(dir, "PRESENT.INI"), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_FALSE(error.failed());
}

TEST_F(Win32FileSystemTest, CreateEmptiesAnExistingFileAndTheFileReadsBack) {
    dir.Write("tools.ini", "old content that is longer");
    auto file = files.Open(Win(dir, "tools.ini"), OpenMode::kCreateReadWriteExclusive, error);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->Write("new\r\n", 5));
    std::uint64_t length = 0;
    ASSERT_TRUE(file->Length(length));
    EXPECT_EQ(length, 5u);
    ASSERT_TRUE(file->Seek(3));
    char buffer[8] = {};
    std::size_t got = 0;
    ASSERT_TRUE(file->Read(buffer, sizeof buffer, got));
    EXPECT_EQ(std::string(buffer, got), "\r\n");
    ASSERT_TRUE(file->Close());
    EXPECT_EQ(dir.Read("tools.ini"), "new\r\n");
}

struct ShareCase {
    const char* name;
    OpenMode held;
    OpenMode second;
    bool allowed;
};

void PrintTo(const ShareCase& c, std::ostream* os) {
    *os << c.name;
}

// The script and TOOLS.INI readers let others read but not write; the rewrite and the firmware image share
// with nobody.
const ShareCase kShareCases[] = {
    {"ReadersCoexist", OpenMode::kReadDenyWrite, OpenMode::kReadDenyWrite, true},
    {"WriterRefusedWhileRead", OpenMode::kReadDenyWrite, OpenMode::kReadWriteDenyWrite, false},
    {"RewriteRefusedWhileRead", OpenMode::kReadDenyWrite, OpenMode::kCreateReadWriteExclusive, false},
    {"ExclusiveReaderRefusedWhileRead", OpenMode::kReadDenyWrite, OpenMode::kReadExclusive, false},
    {"ReaderRefusedWhileWritten", OpenMode::kReadWriteDenyWrite, OpenMode::kReadDenyWrite, false},
    {"ReaderRefusedWhileRewritten", OpenMode::kCreateReadWriteExclusive, OpenMode::kReadDenyWrite, false},
    {"ReaderRefusedWhileReadExclusively", OpenMode::kReadExclusive, OpenMode::kReadDenyWrite, false},
};

class Win32ShareModes : public ::testing::TestWithParam<ShareCase> {};

TEST_P(Win32ShareModes, SecondOpenFollowsTheShareModeOfTheFirst) {
    const ShareCase& c = GetParam();
    TempDir dir;
    dir.Write("tools.ini", "x");
    platform::Win32FileSystem files;
    FileError error;
    auto held = files.Open(Win(dir, "tools.ini"), c.held, error);
    ASSERT_NE(held, nullptr);
    auto second = files.Open(Win(dir, "tools.ini"), c.second, error);
    EXPECT_EQ(second != nullptr, c.allowed);
    if (!c.allowed) {
        EXPECT_EQ(error.cause, FileErrorCause::kSharingViolation);
        EXPECT_EQ(platform::FileErrorText(error),
                  "當存取 " + Win(dir, "tools.ini") + " 時發生分享違反(Sharing Violation).");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Win32ShareModes, ::testing::ValuesIn(kShareCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Win32FileSystemTest, OpenFileCannotBeDeletedOrReplaced) {
    dir.Write("tools.ini", "x");
    dir.Write("new.ini", "y");
    auto reader = files.Open(Win(dir, "tools.ini"), OpenMode::kReadDenyWrite, error);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(files.RemoveFile(Win(dir, "tools.ini")));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "new.ini"), Win(dir, "tools.ini"), false));
    reader.reset();
    EXPECT_EQ(dir.Read("tools.ini"), "x");
    EXPECT_TRUE(files.RemoveFile(Win(dir, "tools.ini")));
}

// Windows refuses to write, replace or delete a read-only file whoever asks.
TEST_F(Win32FileSystemTest, ReadOnlyFileIsRefusedUntilTheAttributeIsCleared) {
    dir.Write("ro.ini", "keep");
    dir.MakeReadOnly("ro.ini");
    dir.Write("src.dll", "new");
    const std::string ro = Win(dir, "ro.ini");

    EXPECT_EQ(files.Open(ro, OpenMode::kReadWriteDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kAccessDenied);
    EXPECT_EQ(files.Open(ro, OpenMode::kCreateReadWriteExclusive, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kAccessDenied);
    EXPECT_FALSE(files.RemoveFile(ro));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "src.dll"), ro, false));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(dir.Read("ro.ini"), "keep");

    const std::uint32_t attributes = files.GetAttributes(ro);
    ASSERT_NE(attributes, platform::kInvalidAttributes);
    EXPECT_NE(attributes & platform::kAttrReadOnly, 0u);
    EXPECT_TRUE(files.SetAttributes(ro, attributes & ~platform::kAttrReadOnly));
    EXPECT_EQ(files.GetAttributes(ro) & platform::kAttrReadOnly, 0u);
    EXPECT_TRUE(files.RemoveFile(ro));
    EXPECT_FALSE(dir.Exists("ro.ini"));
}

// A copy takes the source's attributes, read-only included, and replaces the destination unless asked not to.
TEST_F(Win32FileSystemTest, CopyCarriesTheAttributesAndReplaces) {
    dir.Write("src.dll", "payload");
    dir.MakeReadOnly("src.dll");
    ASSERT_TRUE(files.CopyFileTo(Win(dir, "src.dll"), Win(dir, "new.dll"), false));
    EXPECT_EQ(dir.Read("new.dll"), "payload");
    EXPECT_NE(files.GetAttributes(Win(dir, "new.dll")) & platform::kAttrReadOnly, 0u);
    // Over an existing file Windows also hands on the attributes, Wine keeps the old file's.
    dir.Write("dest/X.DLL", "old");
    ASSERT_TRUE(files.CopyFileTo(Win(dir, "src.dll"), Win(dir, "DEST\\x.dll"), false));
    EXPECT_EQ(dir.Read("dest/X.DLL"), "payload");

    dir.Write("other.dll", "other");
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "other.dll"), Win(dir, "src.dll"), true));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_FILE_EXISTS));
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "missing.dll"), Win(dir, "y.dll"), false));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "other.dll"), Win(dir, "nofolder\\y.dll"), false));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Win32FileSystemTest, ReplacePutsTheNewFileInPlace) {
    dir.Write("tools.ini", "old");
    dir.Write("tools.new", "new");
    ASSERT_TRUE(files.ReplaceFile(Win(dir, "tools.new"), Win(dir, "tools.ini")));
    EXPECT_EQ(dir.Read("tools.ini"), "new");
    EXPECT_FALSE(dir.Exists("tools.new"));
    dir.Write("fresh.new", "fresh");
    ASSERT_TRUE(files.ReplaceFile(Win(dir, "fresh.new"), Win(dir, "absent.ini")));
    EXPECT_EQ(dir.Read("absent.ini"), "fresh");
}

TEST_F(Win32FileSystemTest, ExistsIsASearchForTheExactName) {
    dir.Write("Uv3/Uv3.exe", "");
    EXPECT_TRUE(files.Exists(Win(dir, "UV3\\UV3.EXE")));
    EXPECT_TRUE(files.Exists(Win(dir, "Uv3")));
    EXPECT_FALSE(files.Exists(Win(dir, "Uv2\\Uv2.exe")));
    // A wildcard would find Uv3.exe; no file can be called that.
    EXPECT_FALSE(files.Exists(Win(dir, "Uv3\\*.exe")));
    EXPECT_FALSE(files.Exists(Win(dir, "Uv3\\Uv?.exe")));
}

TEST_F(Win32FileSystemTest, FoldersAndCurrentDirectory) {
    WorkingDirectoryGuard guard;
    EXPECT_TRUE(files.MakeDirectory(Win(dir, "New")));
    EXPECT_FALSE(files.MakeDirectory(Win(dir, "New")));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(files.MakeDirectory(Win(dir, "a\\b")));  // one level only
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(files.ChangeDirectory(Win(dir, "none")));

    EXPECT_TRUE(files.ChangeDirectory(Win(dir, "new")));
    std::string cwd;
    ASSERT_TRUE(files.CurrentDirectory(cwd));
    EXPECT_EQ(cwd, Win(dir, "new"));  // as given, as Windows keeps it
}

// Joined as text, a path at the root of a drive holds two separators in a row ("C:\" + "\name"); the system
// takes it as the single one.
TEST(Win32FileSystemDriveRoot, DoubleSeparatorAtTheRootNamesTheFile) {
    DriveRootFile file(".dll", "payload");
    if (!file.Written()) GTEST_SKIP() << "the drive root cannot be written here";
    WorkingDirectoryGuard guard;
    TempDir dir;
    platform::Win32FileSystem files;
    const std::string doubled = file.Root() + "\\" + file.Name();
    FileError error;

    EXPECT_TRUE(files.Exists(doubled));
    EXPECT_NE(files.GetAttributes(doubled), platform::kInvalidAttributes);
    EXPECT_NE(files.Open(doubled, OpenMode::kReadDenyWrite, error), nullptr) << error.osError;
    ASSERT_TRUE(files.CopyFileTo(doubled, Win(dir, "copy.dll"), false));
    EXPECT_EQ(dir.Read("copy.dll"), "payload");
    ASSERT_TRUE(files.CopyFileTo(Win(dir, "copy.dll"), doubled, false));

    ASSERT_TRUE(files.ChangeDirectory(file.Root()));
    std::string cwd;
    ASSERT_TRUE(files.CurrentDirectory(cwd));
    EXPECT_EQ(cwd, file.Root());  // the root keeps its separator

    EXPECT_TRUE(files.RemoveFile(doubled));
    EXPECT_FALSE(files.Exists(doubled));
}

}  // namespace
