#include "support/change_log_file_system.h"

#include <algorithm>

#include "platform/system_error.h"
#include "support/machine.h"

namespace fs = std::filesystem;

std::unique_ptr<platform::RawFile> ChangeLogFileSystem::Open(const std::string& path, platform::OpenMode mode,
                                                             platform::FileError& error) {
    const bool changes =
        mode != platform::OpenMode::kReadDenyWrite && mode != platform::OpenMode::kReadExclusive;
    if (changes && !Note(path)) {
        error = platform::MakeFileError(MachineErrors().accessDenied, path);
        return nullptr;
    }
    return inner_.Open(path, mode, error);
}

bool ChangeLogFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    if (!Note(path)) return false;
    return inner_.SetAttributes(path, attributes);
}

bool ChangeLogFileSystem::CopyFileTo(const std::string& source, const std::string& destination,
                                     bool failIfExists) {
    if (!Note(destination)) return false;
    return inner_.CopyFileTo(source, destination, failIfExists);
}

bool ChangeLogFileSystem::RemoveFile(const std::string& path) {
    if (!Note(path)) return false;
    return inner_.RemoveFile(path);
}

bool ChangeLogFileSystem::ReplaceFile(const std::string& replacement, const std::string& target) {
    const bool allowed = Note(replacement);
    if (!Note(target) || !allowed) return false;
    return inner_.ReplaceFile(replacement, target);
}

bool ChangeLogFileSystem::MakeDirectory(const std::string& path) {
    if (!Note(path)) return false;
    return inner_.MakeDirectory(path);
}

bool ChangeLogFileSystem::Note(const std::string& path) {
    changed.push_back(LexicalTarget(path));
    if (!confinedTo_ || LexicallyWithin(changed.back(), *confinedTo_)) return true;
    platform::SetLastSystemError(MachineErrors().accessDenied);
    return false;
}

fs::path LexicalTarget(const std::string& windowsPath) {
    std::string text = windowsPath;
    std::replace(text.begin(), text.end(), '\\', '/');
    fs::path path(text);
    if (path.is_relative()) {
        std::error_code ignored;
        path = fs::current_path(ignored) / path;
    }
    return path.lexically_normal();
}

bool LexicallyWithin(const fs::path& path, const fs::path& folder) {
    const fs::path relative = path.lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != "..";
}
