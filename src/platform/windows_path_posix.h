// Windows-style paths on a POSIX file system: backslashes become slashes, repeated separators collapse, and
// each component that does not exist under its exact name is looked up ignoring letter case, as a Windows
// file system would find it.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>

namespace platform {

class FolderListingCache;

// The separators mapped and collapsed, nothing looked up.
std::string NormalizeSeparators(const std::string& windowsPath);

// The POSIX path that names the same file. Components below the first one that cannot be found are kept as
// written. Empty when the path cannot name a file at all (it holds a NUL byte). With a cache, folders are
// listed once per change rather than once per lookup.
std::optional<std::string> ResolveWindowsPath(const std::string& windowsPath,
                                              FolderListingCache* cache = nullptr);

// The resolved path with what the lookup learnt on the way, so that the caller need not ask again.
struct ResolvedPath {
    std::string path;
    bool exists = false;   // it exists under this name, and status holds its lstat
    bool missing = false;  // its folder exists and holds it in no letter case
    struct stat status {};
};
std::optional<ResolvedPath> ResolveWindowsPathStatus(const std::string& windowsPath,
                                                     FolderListingCache* cache = nullptr);

}  // namespace platform
