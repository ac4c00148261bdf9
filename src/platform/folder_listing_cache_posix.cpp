#include "platform/folder_listing_cache_posix.h"

#include <dirent.h>

#include <algorithm>

namespace platform {
namespace {

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

std::string FolderKey(std::string_view folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
    return folder.empty() ? std::string(".") : std::string(folder);
}

std::string FolderOfPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string_view LastComponent(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
}

bool FolderListingCache::FolderStatus::operator==(const FolderStatus& other) const {
    return device == other.device && inode == other.inode && SameTime(modified, other.modified) &&
           SameTime(changed, other.changed) && size == other.size && links == other.links;
}

bool FolderListingCache::StatusOf(const std::string& folder, FolderStatus& status) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    status = {st.st_dev, st.st_ino, st.st_mtim, st.st_ctim, st.st_size, st.st_nlink};
    return true;
}

// The status is taken before the scan, so a change during the scan makes the next look scan again.
bool FolderListingCache::Read(const std::string& folder, Listing& listing) {
    if (!StatusOf(folder, listing.status)) return false;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return false;
    listing.namesByUpper.clear();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        listing.namesByUpper[UpperAscii(name)].emplace_back(name);
    }
    ::closedir(dir);
    return true;
}

// The listing of folder if it still describes the folder; a stale one is dropped.
FolderListingCache::Listing* FolderListingCache::Current(const std::string& folder) {
    const auto found = listings_.find(folder);
    if (found == listings_.end()) return nullptr;
    FolderStatus now;
    if (StatusOf(folder, now) && now == found->second.status) return &found->second;
    listings_.erase(found);
    return nullptr;
}

std::optional<std::string> FolderListingCache::FindIgnoringCase(const std::string& folder,
                                                                std::string_view name) {
    const std::string key = FolderKey(folder);
    const std::lock_guard lock(mutex_);
    Listing* listing = Current(key);
    if (listing == nullptr) {
        if (listings_.size() >= kMaxFolders) listings_.clear();
        Listing fresh;
        if (!Read(key, fresh)) return std::nullopt;
        listing = &listings_.insert_or_assign(key, std::move(fresh)).first->second;
    }
    justValidated_ = key;
    const auto names = listing->namesByUpper.find(UpperAscii(name));
    return names == listing->namesByUpper.end() ? std::string() : names->second.front();
}

void FolderListingCache::BeforeChange(const std::string& path) {
    const std::string folder = FolderOfPath(FolderKey(path));
    const std::lock_guard lock(mutex_);
    if (folder != justValidated_) Current(folder);
    justValidated_.clear();
}

void FolderListingCache::AfterAdding(const std::string& path) {
    AfterChange(path, true);
}

void FolderListingCache::AfterRemoving(const std::string& path) {
    AfterChange(path, false);
}

void FolderListingCache::AfterChange(const std::string& changedPath, bool added) {
    const std::string path = FolderKey(changedPath);  // without a trailing slash
    const std::string folder = FolderOfPath(path);
    const std::lock_guard lock(mutex_);
    justValidated_.clear();
    const auto found = listings_.find(folder);
    if (found == listings_.end()) return;
    Listing& listing = found->second;
    if (!StatusOf(folder, listing.status)) {
        listings_.erase(found);
        return;
    }
    const std::string name(LastComponent(path));
    std::vector<std::string>& names = listing.namesByUpper[UpperAscii(name)];
    const auto same = std::find(names.begin(), names.end(), name);
    if (added && same == names.end()) names.push_back(name);
    if (!added && same != names.end()) names.erase(same);
    if (names.empty()) listing.namesByUpper.erase(UpperAscii(name));
}

}  // namespace platform
