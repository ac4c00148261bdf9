#include "platform/file_system_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/system_error.h"
#include "platform/text_reader.h"
#include "platform/windows_path_posix.h"
#include "support/temp_dir.h"

namespace {

using platform::FileError;
using platform::FileErrorCause;
using platform::OpenMode;

std::string Win(const TempDir& dir, const std::string& relative) {
    return dir.str() + "\\" + relative;
}

TEST(WindowsPathOnPosix, SeparatorsMappedAndCollapsed) {
    EXPECT_EQ(platform::NormalizeSeparators("C:\\\\Keil\\UV3\\\\C51//BIN\\"), "C:/Keil/UV3/C51/BIN/");
    EXPECT_EQ(platform::NormalizeSeparators("\\\\x"), "/x");
}

TEST(WindowsPathOnPosix, ComponentsFoundIgnoringCase) {
    TempDir dir;
    dir.Write("Keil/UV3/Uv3.exe", "");
    dir.Write("Keil/C51/BIN/a.dll", "");
    EXPECT_EQ(platform::ResolveWindowsPath(dir.str() + "\\keil\\uV3\\UV3.EXE"),
              dir.str() + "/Keil/UV3/Uv3.exe");
    // Below a missing folder nothing is looked up; the missing part stays as written.
    EXPECT_EQ(platform::ResolveWindowsPath(dir.str() + "\\KEIL\\c51\\bin\\New\\A.DLL"),
              dir.str() + "/Keil/C51/BIN/New/A.DLL");
    // An exact name wins over another spelling of it.
    dir.Write("Keil/c51/x", "");
    EXPECT_EQ(platform::ResolveWindowsPath(dir.str() + "\\Keil\\c51\\x"), dir.str() + "/Keil/c51/x");
}

TEST(WindowsPathOnPosix, NulByteNamesNothing) {
    EXPECT_FALSE(platform::ResolveWindowsPath(std::string("/tmp/a\0b", 8)).has_value());
}

TEST(PosixFileSystem, OpenFailuresAreClassed) {
    TempDir dir;
    dir.Write("present.ini", "x");
    platform::PosixFileSystem files;
    FileError error;
    EXPECT_EQ(files.Open(Win(dir, "missing.ini"), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kFileNotFound);
    EXPECT_EQ(error.fileName, Win(dir, "missing.ini"));
    EXPECT_EQ(files.Open(Win(dir, "nofolder\\x.ini"), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kBadPath);
    EXPECT_EQ(files.Open(dir.str(), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kAccessDenied);
    EXPECT_NE(files.Open(Win(dir, "PRESENT.INI"), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_FALSE(error.failed());
}

// Windows refuses to write or delete a read-only file whoever asks; root must see the same.
TEST(PosixFileSystem, ReadOnlyIsHonouredEvenForRoot) {
    TempDir dir;
    dir.Write("ro.ini", "keep");
    dir.MakeReadOnly("ro.ini");
    platform::PosixFileSystem files;
    FileError error;
    EXPECT_EQ(files.Open(Win(dir, "ro.ini"), OpenMode::kReadWriteDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kAccessDenied);
    EXPECT_EQ(files.Open(Win(dir, "ro.ini"), OpenMode::kCreateReadWriteExclusive, error), nullptr);
    EXPECT_FALSE(files.RemoveFile(Win(dir, "ro.ini")));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(EACCES));
    dir.Write("src.dll", "new");
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "src.dll"), Win(dir, "ro.ini"), false));
    EXPECT_EQ(dir.Read("ro.ini"), "keep");
    EXPECT_NE(files.GetAttributes(Win(dir, "ro.ini")) & platform::kAttrReadOnly, 0u);
    EXPECT_TRUE(files.SetAttributes(Win(dir, "ro.ini"), platform::kAttrArchive));
    EXPECT_TRUE(files.RemoveFile(Win(dir, "ro.ini")));
}

TEST(PosixFileSystem, CopyCarriesReadOnlyAndReplacesCaseInsensitively) {
    TempDir dir;
    dir.Write("src.dll", "payload");
    dir.MakeReadOnly("src.dll");
    dir.Write("dest/X.DLL", "old");
    platform::PosixFileSystem files;
    ASSERT_TRUE(files.CopyFileTo(Win(dir, "src.dll"), Win(dir, "DEST\\x.dll"), false));
    EXPECT_EQ(dir.Read("dest/X.DLL"), "payload");
    EXPECT_FALSE(dir.Exists("dest/x.dll"));
    EXPECT_NE(files.GetAttributes(Win(dir, "dest\\X.DLL")) & platform::kAttrReadOnly, 0u);
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "src.dll"), Win(dir, "dest\\X.DLL"), true));
    // A missing source or destination folder fails and leaves no stray file behind.
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "none.dll"), Win(dir, "dest\\Y.DLL"), false));
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ENOENT));
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "src.dll"), Win(dir, "nofolder\\Y.DLL"), false));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "dest"), {}), 1);
}

// Sharing modes: readers that deny writing coexist; a writer is refused while a reader holds the file.
TEST(PosixFileSystem, SharingViolations) {
    TempDir dir;
    dir.Write("tools.ini", "x");
    platform::PosixFileSystem files;
    FileError error;
    auto reader1 = files.Open(Win(dir, "tools.ini"), OpenMode::kReadDenyWrite, error);
    auto reader2 = files.Open(Win(dir, "tools.ini"), OpenMode::kReadDenyWrite, error);
    ASSERT_NE(reader1, nullptr);
    ASSERT_NE(reader2, nullptr);
    EXPECT_EQ(files.Open(Win(dir, "tools.ini"), OpenMode::kReadWriteDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kSharingViolation);
    EXPECT_FALSE(files.RemoveFile(Win(dir, "tools.ini")));
    reader1.reset();
    reader2.reset();
    auto writer = files.Open(Win(dir, "tools.ini"), OpenMode::kReadWriteDenyWrite, error);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(files.Open(Win(dir, "tools.ini"), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kSharingViolation);
}

// An editor holds its lock over the whole read-modify-write, replacing the file while it is still open; a
// second editor is refused meanwhile and afterwards opens the new file.
TEST(PosixFileSystem, EditorLockSpansTheReplace) {
    TempDir dir;
    dir.Write("TOOLS.INI", "old");
    dir.Write("Tools.ini.new", "new");
    platform::PosixFileSystem files;
    platform::PosixFileSystem otherInstaller;
    FileError error;
    auto editor = files.Open(Win(dir, "Tools.ini"), OpenMode::kEditDenyWrite, error);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(otherInstaller.Open(Win(dir, "tools.ini"), OpenMode::kEditDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kSharingViolation);
    EXPECT_EQ(otherInstaller.Open(Win(dir, "tools.ini"), OpenMode::kReadWriteDenyWrite, error), nullptr);
    ASSERT_TRUE(files.ReplaceFile(Win(dir, "Tools.ini.new"), Win(dir, "Tools.ini")));
    editor.reset();
    EXPECT_EQ(dir.Read("TOOLS.INI"), "new");
    EXPECT_FALSE(dir.Exists("Tools.ini.new"));
    EXPECT_NE(otherInstaller.Open(Win(dir, "tools.ini"), OpenMode::kEditDenyWrite, error), nullptr);
}

TEST(PosixFileSystem, FoldersAndCurrentDirectory) {
    TempDir dir;
    WorkingDirectoryGuard guard;
    platform::PosixFileSystem files;
    EXPECT_TRUE(files.MakeDirectory(Win(dir, "New")));
    EXPECT_FALSE(files.MakeDirectory(Win(dir, "a\\b")));  // one level only
    EXPECT_TRUE(files.ChangeDirectory(Win(dir, "new")));
    std::string cwd;
    ASSERT_TRUE(files.CurrentDirectory(cwd));
    EXPECT_EQ(cwd, (dir / "New").string());
    EXPECT_TRUE(files.Exists(Win(dir, "NEW")));
    EXPECT_FALSE(files.Exists(Win(dir, "old")));
}

TEST(PosixFileSystem, FifoIsNotReadAsAFile) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "setup.ini").c_str(), 0600), 0);
    platform::PosixFileSystem files;
    FileError error;
    EXPECT_EQ(files.Open(Win(dir, "setup.ini"), OpenMode::kReadDenyWrite, error), nullptr);
    EXPECT_EQ(error.cause, FileErrorCause::kAccessDenied);
}

}  // namespace
