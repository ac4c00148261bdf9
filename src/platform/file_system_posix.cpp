#include "platform/file_system_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/system_error.h"
#include "platform/windows_path_posix.h"

namespace platform {
namespace {

bool Fail(int error) {
    SetLastSystemError(static_cast<SystemErrorCode>(error));
    return false;
}

bool IsReadOnly(const struct stat& st) {
    return !S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A missing file in an existing folder is "file not found"; a missing folder is "bad path".
FileErrorCause CauseOf(int error, const std::string& resolved) {
    if (error == ENOENT)
        return IsFolder(ParentOf(resolved)) ? FileErrorCause::kFileNotFound : FileErrorCause::kBadPath;
    return CauseOfSystemError(static_cast<std::uint32_t>(error));
}

int OpenNoFollowBlock(const std::string& path, int flags, mode_t mode = 0) {
    int fd = 0;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Another opener holds the file in a way that forbids removing or replacing it.
bool HeldElsewhere(const std::string& path) {
    const int fd = OpenNoFollowBlock(path, O_RDONLY);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

class PosixFile : public RawFile {
  public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        ssize_t n = 0;
        do {
            n = ::read(fd_, buffer, size);
        } while (n < 0 && errno == EINTR);
        if (n < 0) return Fail(errno);
        got = static_cast<std::size_t>(n);
        return true;
    }

    bool Write(const void* data, std::size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::write(fd_, bytes, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
            bytes += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    bool Seek(std::uint64_t offset) override {
        if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) return Fail(errno);
        return true;
    }

    bool Length(std::uint64_t& length) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return Fail(errno);
        length = static_cast<std::uint64_t>(st.st_size);
        return true;
    }

    bool Flush() override { return ::fsync(fd_) == 0 || Fail(errno); }

    bool Close() override {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 || Fail(errno);
    }

  private:
    int fd_;
};

bool CopyContents(int in, int out) {
    bool useCopyRange = true;
    std::vector<char> buffer;
    for (;;) {
        if (useCopyRange) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
            if (n > 0) continue;
            if (n == 0) return true;
            if (errno == EINTR) continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                return Fail(errno);
            useCopyRange = false;
            buffer.resize(std::size_t{1} << 20);
        }
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return Fail(w < 0 ? errno : ENOSPC);
            done += w;
        }
    }
}

// Whether path still names the file open as fd: a lock taken on a file that was replaced meanwhile guards
// nothing.
bool StillNamesOpenFile(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

}  // namespace

// Every call starts from the path as Windows would see it; a path that names nothing is an invalid name.
std::optional<std::string> PosixFileSystem::Resolve(const std::string& path) {
    auto resolved = ResolveWindowsPath(path, &listings_);
    if (!resolved) Fail(EINVAL);
    return resolved;
}

std::optional<ResolvedPath> PosixFileSystem::ResolveStatus(const std::string& path) {
    auto resolved = ResolveWindowsPathStatus(path, &listings_);
    if (!resolved) Fail(EINVAL);
    return resolved;
}

std::unique_ptr<RawFile> PosixFileSystem::Open(const std::string& path, OpenMode mode, FileError& error) {
    error = FileError{};
    const auto resolved = Resolve(path);
    const auto failWith = [&](int code, const std::string& where) -> std::unique_ptr<RawFile> {
        SetLastSystemError(static_cast<SystemErrorCode>(code));
        error = FileError{CauseOf(code, where), static_cast<std::uint32_t>(code), path};
        return nullptr;
    };
    if (!resolved) return failWith(EINVAL, path);

    const bool writes = mode == OpenMode::kReadWriteDenyWrite || mode == OpenMode::kEditDenyWrite ||
                        mode == OpenMode::kCreateReadWriteExclusive;
    struct stat st {};
    const bool exists = ::stat(resolved->c_str(), &st) == 0;
    if (writes && exists && IsReadOnly(st)) return failWith(EACCES, *resolved);

    int flags = writes ? O_RDWR : O_RDONLY;
    const bool creates = mode == OpenMode::kCreateReadWriteExclusive;
    if (creates) {
        flags |= O_CREAT;
        listings_.BeforeChange(*resolved);
    }
    const int fd = OpenNoFollowBlock(*resolved, flags, 0666);
    if (fd < 0) return failWith(errno, *resolved);
    if (creates && !exists) listings_.AfterAdding(*resolved);
    auto file = std::make_unique<PosixFile>(fd);

    // Windows opens neither folders nor devices as files; a FIFO must not block the reader either.
    if (::fstat(fd, &st) != 0) return failWith(errno, *resolved);
    if (!S_ISREG(st.st_mode)) return failWith(EACCES, *resolved);
    const int lock = mode == OpenMode::kReadDenyWrite ? LOCK_SH : LOCK_EX;
    if (::flock(fd, lock | LOCK_NB) != 0) return failWith(errno, *resolved);
    if (mode == OpenMode::kEditDenyWrite && !StillNamesOpenFile(fd, *resolved))
        return failWith(EWOULDBLOCK, *resolved);  // another editor replaced it while this one opened it
    if (mode == OpenMode::kCreateReadWriteExclusive && ::ftruncate(fd, 0) != 0)
        return failWith(errno, *resolved);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return file;
}

bool PosixFileSystem::Exists(const std::string& path) {
    const auto resolved = ResolveStatus(path);
    struct stat st {};
    if (!resolved) return false;
    if (resolved->exists) return true;
    if (resolved->missing) return Fail(ENOENT);
    return ::lstat(resolved->path.c_str(), &st) == 0 || Fail(errno);
}

std::uint32_t PosixFileSystem::GetAttributes(const std::string& path) {
    const auto resolved = ResolveStatus(path);
    if (!resolved) return kInvalidAttributes;
    struct stat st = resolved->status;
    if (resolved->missing) {
        Fail(ENOENT);
        return kInvalidAttributes;
    }
    const bool known = resolved->exists && !S_ISLNK(st.st_mode);  // a link's target still has to be looked at
    if (!known && ::stat(resolved->path.c_str(), &st) != 0) {
        Fail(errno);
        return kInvalidAttributes;
    }
    std::uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
    if (IsReadOnly(st)) attributes |= kAttrReadOnly;
    return attributes;
}

bool PosixFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    const auto resolved = Resolve(path);
    struct stat st {};
    if (!resolved) return false;
    if (::stat(resolved->c_str(), &st) != 0) return Fail(errno);
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & kAttrReadOnly) != 0 ? (mode & ~mode_t{0222}) : (mode | S_IWUSR);
    return ::chmod(resolved->c_str(), mode) == 0 || Fail(errno);
}

bool PosixFileSystem::CopyFileTo(const std::string& source, const std::string& destination,
                                 bool failIfExists) {
    const auto from = Resolve(source);
    if (!from) return false;
    const auto resolvedTo = ResolveStatus(destination);
    if (!resolvedTo) return false;
    const std::string* to = &resolvedTo->path;

    const int in = OpenNoFollowBlock(*from, O_RDONLY);
    if (in < 0) return Fail(errno);
    struct stat sourceStat {};
    const auto closeIn = [in](bool result) {
        const int saved = errno;
        ::close(in);
        errno = saved;
        return result;
    };
    if (::fstat(in, &sourceStat) != 0) return closeIn(Fail(errno));
    if (!S_ISREG(sourceStat.st_mode)) return closeIn(Fail(EACCES));
    // O_NONBLOCK, which kept a FIFO from blocking the open, means nothing to a regular file: it may stay.

    // An existing destination may be replaced unless asked not to, or it is a folder, read-only or held.
    const auto refusal = [&]() -> int {
        struct stat destStat {};
        if (::stat(to->c_str(), &destStat) != 0) return 0;
        if (failIfExists) return EEXIST;
        if (S_ISDIR(destStat.st_mode) || IsReadOnly(destStat)) return EACCES;
        return HeldElsewhere(*to) ? EWOULDBLOCK : 0;
    };
    if (!resolvedTo->missing) {
        if (const int refused = refusal()) return closeIn(Fail(refused));
    }

    // A file that was there is replaced by a complete copy made beside it, so a failure midway never loses
    // it; a new file is written in place and removed again if the copy fails. Either way no half-written
    // file is left behind.
    listings_.BeforeChange(*to);
    std::string temp = *to;
    int out = -1;
    if (resolvedTo->missing) {
        out = OpenNoFollowBlock(*to, O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (out < 0 && errno != EEXIST) return closeIn(Fail(errno));
        if (out < 0) {  // it appeared meanwhile
            if (const int refused = refusal()) return closeIn(Fail(refused));
        }
    }
    if (out < 0) {
        temp = ParentOf(*to) + "/.setup-copy-XXXXXX";
        out = ::mkstemp(temp.data());
    }
    if (out < 0) return closeIn(Fail(errno));
    bool ok = CopyContents(in, out) && (::fchmod(out, sourceStat.st_mode & 07777) == 0 || Fail(errno));
    if (ok) {
        const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
        ::futimens(out, times);
    }
    ok = (::close(out) == 0 || Fail(errno)) && ok;
    if (temp != *to) ok = ok && (::rename(temp.c_str(), to->c_str()) == 0 || Fail(errno));
    if (!ok) {
        const SystemErrorCode saved = LastSystemError();
        ::unlink(temp.c_str());
        SetLastSystemError(saved);
    } else {
        listings_.AfterAdding(*to);
    }
    return closeIn(ok);
}

bool PosixFileSystem::RemoveFile(const std::string& path) {
    const auto resolved = Resolve(path);
    if (!resolved) return false;
    struct stat st {};
    if (::lstat(resolved->c_str(), &st) != 0) return Fail(errno);
    if (S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && IsReadOnly(st))) return Fail(EACCES);
    if (S_ISREG(st.st_mode) && HeldElsewhere(*resolved)) return Fail(EWOULDBLOCK);
    listings_.BeforeChange(*resolved);
    if (::unlink(resolved->c_str()) != 0) return Fail(errno);
    listings_.AfterRemoving(*resolved);
    return true;
}

bool PosixFileSystem::ReplaceFile(const std::string& replacement, const std::string& target) {
    const auto from = Resolve(replacement);
    if (!from) return false;
    const auto to = Resolve(target);
    if (!to) return false;
    struct stat st {};
    if (::stat(to->c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || IsReadOnly(st))) return Fail(EACCES);
    listings_.BeforeChange(*from);
    listings_.BeforeChange(*to);
    if (::rename(from->c_str(), to->c_str()) != 0) return Fail(errno);
    listings_.AfterRemoving(*from);
    listings_.AfterAdding(*to);
    return true;
}

bool PosixFileSystem::ChangeDirectory(const std::string& path) {
    const auto resolved = Resolve(path);
    if (!resolved) return false;
    if (resolved->empty()) return Fail(ENOENT);
    return ::chdir(resolved->c_str()) == 0 || Fail(errno);
}

bool PosixFileSystem::MakeDirectory(const std::string& path) {
    const auto resolved = Resolve(path);
    if (!resolved) return false;
    if (resolved->empty()) return Fail(ENOENT);
    listings_.BeforeChange(*resolved);
    if (::mkdir(resolved->c_str(), 0777) != 0) return Fail(errno);
    listings_.AfterAdding(*resolved);
    return true;
}

bool PosixFileSystem::CurrentDirectory(std::string& path) {
    char* cwd = ::getcwd(nullptr, 0);  // any length: no fixed buffer to overflow or truncate
    if (cwd == nullptr) return Fail(errno);
    path = cwd;
    std::free(cwd);  // NOLINT(cppcoreguidelines-no-malloc): getcwd allocates with malloc
    return true;
}

}  // namespace platform
