// What each folder holds, by name ignoring letter case, so that looking up names that are not spelt as on
// disk costs one folder scan per folder change instead of one per name. A listing is trusted only while the
// folder's status (modification and change times, size, link count, identity) is the one recorded with it;
// changes the file system makes itself are entered into the listing, so a pass that creates many files in one
// folder does not scan it again after each.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class FolderListingCache {
  public:
    // The name of the entry of folder that equals name ignoring ASCII letter case, or empty; none when the
    // folder cannot be listed. folder is a POSIX path, with or without a trailing slash; empty means the
    // current folder.
    std::optional<std::string> FindIgnoringCase(const std::string& folder, std::string_view name);

    // Around a change the file system makes itself to the folder that holds path: BeforeChange drops a
    // listing that no longer matches the folder, the After calls enter the change and record the folder's new
    // status.
    void BeforeChange(const std::string& path);
    void AfterAdding(const std::string& path);
    void AfterRemoving(const std::string& path);

  private:
    struct FolderStatus {
        dev_t device = 0;
        ino_t inode = 0;
        struct timespec modified {};
        struct timespec changed {};
        off_t size = 0;
        nlink_t links = 0;
        bool operator==(const FolderStatus& other) const;
    };
    struct Listing {
        FolderStatus status;
        std::unordered_map<std::string, std::vector<std::string>> namesByUpper;  // in the folder's order
    };

    static bool StatusOf(const std::string& folder, FolderStatus& status);
    bool Read(const std::string& folder, Listing& listing);
    Listing* Current(const std::string& folder);
    void AfterChange(const std::string& changedPath, bool added);

    static constexpr std::size_t kMaxFolders = 256;
    std::mutex mutex_;
    std::unordered_map<std::string, Listing> listings_;
    // The folder whose status the last lookup has just compared: a change that follows at once needs no
    // second look before it.
    std::string justValidated_;
};

// A folder path as the cache keys it: no trailing slash (but "/"), "." for the current folder.
std::string FolderKey(std::string_view folder);
// The folder part of a POSIX path without a trailing slash, and its last component.
std::string FolderOfPath(const std::string& path);
std::string_view LastComponent(const std::string& path);

}  // namespace platform
