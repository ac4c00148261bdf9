#include "platform/windows_path_posix.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string_view>

namespace platform {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of folder whose name equals name ignoring case, or empty.
std::string FindIgnoringCase(const std::string& folder, std::string_view name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return {};
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        if (SameIgnoringCase(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
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

std::optional<std::string> ResolveWindowsPath(const std::string& windowsPath) {
    if (windowsPath.find('\0') != std::string::npos) return std::nullopt;
    const std::string path = NormalizeSeparators(windowsPath);
    if (path.empty()) return path;

    std::string resolved = path.front() == '/' ? "/" : "";
    std::size_t start = path.front() == '/' ? 1 : 0;
    bool lookingUp = true;
    while (start < path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        const std::string_view name(path.data() + start, slash - start);
        std::string candidate = resolved + std::string(name);
        if (lookingUp && !PathExists(candidate)) {
            const std::string actual = FindIgnoringCase(resolved, name);
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
