#include "platform/windows_path_posix.h"

#include <sys/stat.h>

#include <string_view>

#include "platform/folder_listing_cache_posix.h"

namespace platform {
namespace {

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
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
    if (windowsPath.find('\0') != std::string::npos) return std::nullopt;
    const std::string path = NormalizeSeparators(windowsPath);
    if (path.empty()) return path;

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
            const std::string actual = listings.FindIgnoringCase(resolved, name);
            if (actual.empty()) {
                lookingUp = false;  // nothing below a missing folder can be found
            } else {
                candidate = resolved + actual;
            }
        }
        resolved = std::move(candidate);
        if (slash < path.size()) resolved.push_back('/');
        start = slash + 1;
    }
    return resolved;
}

}  // namespace platform
