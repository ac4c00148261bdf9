// The listing cache behind case-insensitive lookups must never hide a change: neither one made by another
// program (caught by the folder's status) nor one the file system made itself (entered into the listing).
#include "platform/folder_listing_cache_posix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/file_system_posix.h"
#include "platform/windows_path_posix.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using platform::OpenMode;

std::string Win(const TempDir& dir, const std::string& relative) {
    return dir.str() + "\\" + relative;
}

TEST(FolderListingCache, SeesChangesMadeBehindItsBack) {
    TempDir dir;
    dir.Write("Alpha.DLL", "");
    platform::FolderListingCache cache;
    EXPECT_EQ(cache.FindIgnoringCase(dir.str(), "ALPHA.dll").value_or("?"), "Alpha.DLL");
    EXPECT_EQ(cache.FindIgnoringCase(dir.str() + "/", "beta.dll").value_or("?"), "");

    dir.Write("BETA.DLL", "");  // another program adds a file right after the listing was read
    EXPECT_EQ(cache.FindIgnoringCase(dir.str(), "beta.dll").value_or("?"), "BETA.DLL");
    fs::remove(dir / "Alpha.DLL");
    EXPECT_EQ(cache.FindIgnoringCase(dir.str(), "alpha.dll").value_or("?"), "");
    fs::rename(dir / "BETA.DLL", dir / "Gamma.dll");
    EXPECT_EQ(cache.FindIgnoringCase(dir.str(), "beta.dll").value_or("?"), "");
    EXPECT_EQ(cache.FindIgnoringCase(dir.str(), "GAMMA.DLL").value_or("?"), "Gamma.dll");
}

TEST(FolderListingCache, ARemovedSpellingLeavesTheOtherOneFindable) {
    TempDir dir;
    dir.Write("x.ini", "");
    dir.Write("X.INI", "");
    platform::FolderListingCache cache;
    const std::string first = cache.FindIgnoringCase(dir.str(), "X.Ini").value_or("");
    ASSERT_NE(first, "");
    cache.BeforeChange(dir.str() + "/" + first);
    fs::remove(dir / first);
    cache.AfterRemoving(dir.str() + "/" + first);
    EXPECT_EQ(cache.FindIgnoringCase(dir.str(), "X.Ini").value_or("?"), first == "x.ini" ? "X.INI" : "x.ini");
}

// Every call that adds or removes a folder entry keeps the listing right for the next lookup.
TEST(FolderListingCache, FileSystemChangesAreSeenAtOnce) {
    TempDir dir;
    dir.Write("source.bin", "data");
    platform::PosixFileSystem files;
    platform::FileError error;
    EXPECT_FALSE(files.Exists(Win(dir, "NEW.TXT")));  // the folder is listed now

    ASSERT_NE(files.Open(Win(dir, "new.txt"), OpenMode::kCreateReadWriteExclusive, error), nullptr);
    EXPECT_TRUE(files.Exists(Win(dir, "NEW.TXT")));
    ASSERT_TRUE(files.CopyFileTo(Win(dir, "SOURCE.BIN"), Win(dir, "Copy.bin"), false));
    EXPECT_TRUE(files.Exists(Win(dir, "COPY.BIN")));
    ASSERT_TRUE(files.MakeDirectory(Win(dir, "Sub")));
    EXPECT_TRUE(files.Exists(Win(dir, "SUB")));
    ASSERT_TRUE(files.ReplaceFile(Win(dir, "copy.bin"), Win(dir, "Moved.bin")));
    EXPECT_FALSE(files.Exists(Win(dir, "COPY.BIN")));
    EXPECT_TRUE(files.Exists(Win(dir, "MOVED.BIN")));
    ASSERT_TRUE(files.RemoveFile(Win(dir, "NEW.TXT")));
    EXPECT_FALSE(files.Exists(Win(dir, "new.TXT")));
    EXPECT_EQ(dir.Read("Moved.bin"), "data");

    // A second file system (another installer) changes the folder: the first one's listing notices.
    platform::PosixFileSystem other;
    ASSERT_TRUE(other.RemoveFile(Win(dir, "moved.bin")));
    ASSERT_NE(other.Open(Win(dir, "Late.txt"), OpenMode::kCreateReadWriteExclusive, error), nullptr);
    EXPECT_FALSE(files.Exists(Win(dir, "MOVED.BIN")));
    EXPECT_TRUE(files.Exists(Win(dir, "LATE.TXT")));
}

// What the resolution learnt on the way spares the file system a second look; it must never be wrong.
TEST(FolderListingCache, ResolutionTellsWhatItFound) {
    TempDir dir;
    dir.Write("Keil/Tools.ini", "");
    platform::FolderListingCache cache;
    const auto exact = platform::ResolveWindowsPathStatus(Win(dir, "Keil\\Tools.ini"), &cache);
    ASSERT_TRUE(exact);
    EXPECT_TRUE(exact->exists);
    EXPECT_TRUE(S_ISREG(exact->status.st_mode));
    const auto otherCase = platform::ResolveWindowsPathStatus(Win(dir, "KEIL\\TOOLS.INI"), &cache);
    EXPECT_EQ(otherCase->path, dir.str() + "/Keil/Tools.ini");
    EXPECT_FALSE(otherCase->missing);
    const auto newName = platform::ResolveWindowsPathStatus(Win(dir, "Keil\\New.ini"), &cache);
    EXPECT_EQ(newName->path, dir.str() + "/Keil/New.ini");
    EXPECT_TRUE(newName->missing);
    EXPECT_FALSE(newName->exists);
    const auto underMissingFolder = platform::ResolveWindowsPathStatus(Win(dir, "None\\New.ini"), &cache);
    EXPECT_FALSE(underMissingFolder->missing);  // nothing known about a folder that is not there
    EXPECT_FALSE(underMissingFolder->exists);
}

// A new destination is written in place; what it gets is the source's content, mode and time.
TEST(FolderListingCache, CopiesToNewAndExistingDestinationsAlike) {
    TempDir dir;
    dir.Write("src.bin", "payload");
    std::filesystem::last_write_time(dir / "src.bin",
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
    platform::PosixFileSystem files;
    ASSERT_TRUE(files.CopyFileTo(Win(dir, "SRC.BIN"), Win(dir, "New.bin"), false));
    dir.Write("Old.bin", "previous");
    ASSERT_TRUE(files.CopyFileTo(Win(dir, "src.bin"), Win(dir, "OLD.BIN"), false));
    for (const char* name : {"New.bin", "Old.bin"}) {
        EXPECT_EQ(dir.Read(name), "payload");
        EXPECT_EQ(std::filesystem::last_write_time(dir / name),
                  std::filesystem::last_write_time(dir / "src.bin"));
        EXPECT_EQ(std::filesystem::status(dir / name).permissions(),
                  std::filesystem::status(dir / "src.bin").permissions());
    }
    EXPECT_FALSE(files.CopyFileTo(Win(dir, "src.bin"), Win(dir, "new.bin"), true));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);  // nothing left aside
}

}  // namespace
