#include "platform/file_system_win32.h"

#include "platform/windows_headers_win32.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/system_error.h"

namespace platform {
namespace {

bool Fail(DWORD error) {
    ::SetLastError(error);
    return false;
}

struct OpenArguments {
    DWORD access;
    DWORD share;
    DWORD disposition;
};

OpenArguments ArgumentsFor(OpenMode mode) {
    switch (mode) {
        case OpenMode::kReadDenyWrite:
            return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING};
        case OpenMode::kReadWriteDenyWrite:
            return {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING};
        case OpenMode::kCreateReadWriteExclusive:
            return {GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS};
        case OpenMode::kReadExclusive:
            return {GENERIC_READ, 0, OPEN_EXISTING};
        case OpenMode::kEditDenyWrite:
            // Sharing delete lets ReplaceFile put the new content in place while the lock is held.
            return {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING};
    }
    return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING};
}

class Win32File : public RawFile {
  public:
    explicit Win32File(std::shared_ptr<Win32FileSystem::OpenHandle> handle) : open_(std::move(handle)) {}
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
        if (!::ReadFile(open_->handle, buffer, ask, &n, nullptr)) return false;
        got = n;
        return true;
    }

    bool Write(const void* data, std::size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD ask =
                static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
            DWORD n = 0;
            if (!::WriteFile(open_->handle, bytes, ask, &n, nullptr)) return false;
            if (n == 0) return Fail(ERROR_HANDLE_DISK_FULL);
            bytes += n;
            size -= n;
        }
        return true;
    }

    bool Seek(std::uint64_t offset) override {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        return ::SetFilePointerEx(open_->handle, position, nullptr, FILE_BEGIN) != FALSE;
    }

    bool Length(std::uint64_t& length) override {
        LARGE_INTEGER size;
        if (!::GetFileSizeEx(open_->handle, &size)) return false;
        length = static_cast<std::uint64_t>(size.QuadPart);
        return true;
    }

    bool Flush() override { return ::FlushFileBuffers(open_->handle) != FALSE; }

    // A handle that ReplaceFile already released closes without complaint.
    bool Close() override { return open_->Release(); }

  private:
    std::shared_ptr<Win32FileSystem::OpenHandle> open_;  // read afresh: ReplaceFile may have released it
};

std::string FullPath(const std::string& path) {
    const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::string full(needed, '\0');
    const DWORD got = ::GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return path;
    full.resize(got);
    return full;
}

// "*" and "?" cannot stand in a file name; a find-first search would take them as wildcards and report
// some other file.
bool NameHoldsWildcard(const std::string& path) {
    const auto lastSeparator = path.find_last_of("\\/");
    const auto name = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
    return path.find_first_of("*?", name) != std::string::npos;
}

}  // namespace

std::unique_ptr<RawFile> Win32FileSystem::Open(const std::string& path, OpenMode mode, FileError& error) {
    error = FileError{};
    const OpenArguments args = ArgumentsFor(mode);
    const HANDLE handle = ::CreateFileA(path.c_str(), args.access, args.share, nullptr, args.disposition,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = MakeFileError(::GetLastError(), path);
        return nullptr;
    }
    auto open = std::make_shared<OpenHandle>(handle);
    auto file = std::make_unique<Win32File>(open);
    // Devices, pipes and consoles are not files: reading one as text could wait for ever.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        file.reset();
        Fail(ERROR_ACCESS_DENIED);
        error = MakeFileError(ERROR_ACCESS_DENIED, path);
        return nullptr;
    }
    if (mode == OpenMode::kEditDenyWrite) {
        std::erase_if(editLocks_, [](const auto& lock) { return lock.second.expired(); });
        editLocks_.emplace_back(FullPath(path), open);
    }
    return file;
}

bool Win32FileSystem::OpenHandle::Release() {
    if (handle == INVALID_HANDLE_VALUE) return true;
    const HANDLE closing = handle;
    handle = INVALID_HANDLE_VALUE;
    return ::CloseHandle(closing) != FALSE;
}

Win32FileSystem::OpenHandle::~OpenHandle() {
    Release();
}

bool Win32FileSystem::Exists(const std::string& path) {
    if (NameHoldsWildcard(path)) return Fail(ERROR_INVALID_NAME);
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
    return true;
}

std::uint32_t Win32FileSystem::GetAttributes(const std::string& path) {
    return ::GetFileAttributesA(path.c_str());
}

bool Win32FileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    return ::SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32FileSystem::CopyFileTo(const std::string& source, const std::string& destination,
                                 bool failIfExists) {
    return ::CopyFileA(source.c_str(), destination.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32FileSystem::RemoveFile(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != FALSE;
}

// Windows cannot replace a file that is open, so the edit lock this file system holds on the target is let
// go right before the move; the window is the few instructions between the two calls.
bool Win32FileSystem::ReplaceFile(const std::string& replacement, const std::string& target) {
    const std::string fullTarget = FullPath(target);
    for (auto& [lockedPath, weak] : editLocks_) {
        if (::lstrcmpiA(lockedPath.c_str(), fullTarget.c_str()) != 0) continue;
        if (const auto open = weak.lock()) open->Release();
    }
    return ::MoveFileExA(replacement.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32FileSystem::ChangeDirectory(const std::string& path) {
    return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}

bool Win32FileSystem::MakeDirectory(const std::string& path) {
    return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

// Asks for the size first and gives the system a buffer of that size, so no length is cut short.
bool Win32FileSystem::CurrentDirectory(std::string& path) {
    std::vector<char> buffer;
    DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
    while (needed != 0) {
        buffer.resize(needed);
        const DWORD got = ::GetCurrentDirectoryA(needed, buffer.data());
        if (got == 0) break;
        if (got < needed) {
            path.assign(buffer.data(), got);
            return true;
        }
        needed = got;  // it grew meanwhile
    }
    return false;
}

}  // namespace platform
