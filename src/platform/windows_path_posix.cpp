#include "platform/windows_path_posix.h"

#include <string_view>

#include "platform/folder_listing_cache_posix.h"

namespace platform {
namespace {

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Each component in turn, looked up ignoring case when it does not exist under its exact name.
std::string ResolveComponents(const std::string& path, FolderListingCache* cache) {
    FolderListingCache oneLookup;  // without a cache of the caller's, each folder is listed afresh
    FolderListingCache& listings = cache != nullptr ? *cache : oneLookup;
    std::string resolved = path.front() == '/' ? "/" : "";
    std::size_t start = path.front() == '/' ? 1 : 0;
    bool lookingUp = true;
    while (start < path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        const std::string_view name(path.data() + start, slash - start);
        std::string candidate = resolved + std::string(name);
        if (lookingUp && !PathExists(candidate)) {
            const auto actual = listings.FindIgnoringCase(resolved, name);
            if (!actual || actual->empty()) {
                lookingUp = false;  // nothing below a missing folder can be found
            } else {
                candidate = resolved + *actual;
            }
        }
        resolved = std::move(candidate);
        if (slash < path.size()) resolved.push_back('/');
        start = slash + 1;
    }
    return resolved;
}

}  // namespace

std::string NormalizeSeparators(const std::string& windowsPath) {
    std::string result;
    result.reserve(windowsPath.size());
    for (char c : windowsPath) {
        if (c == '\\') c = '/';
        if (c == '/' && !result.empty() && result.back() == '/') continue;
        result.push_back(c);
    }
    return result;
}

std::optional<std::string> ResolveWindowsPath(const std::string& windowsPath, FolderListingCache* cache) {
    auto resolved = ResolveWindowsPathStatus(windowsPath, cache);
    if (!resolved) return std::nullopt;
    return std::move(resolved->path);
}

std::optional<ResolvedPath> ResolveWindowsPathStatus(const std::string& windowsPath,
                                                     FolderListingCache* cache) {
    if (windowsPath.find('\0') != std::string::npos) return std::nullopt;
    ResolvedPath result;
    const std::string path = NormalizeSeparators(windowsPath);
    if (path.empty()) return result;

    // Most paths are spelt as on disk, or only their last component is new: one or two calls settle them.
    if (::lstat(path.c_str(), &result.status) == 0) {
        result.path = path;
        result.exists = true;
        return result;
    }
    const auto lastSlash = path.find_last_of('/');
    if (cache != nullptr && lastSlash != std::string::npos && lastSlash + 1 < path.size()) {
        const std::string folder = path.substr(0, lastSlash + 1);
        const std::string_view name = std::string_view(path).substr(lastSlash + 1);
        if (const auto actual = cache->FindIgnoringCase(folder, name)) {
            result.missing = actual->empty();
            result.path = folder + (result.missing ? std::string(name) : *actual);
            return result;
        }
    }
    result.path = ResolveComponents(path, cache);
    return result;
}

}  // namespace platform
