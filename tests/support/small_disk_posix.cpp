#include "support/small_disk_posix.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr char kFiller[] = "filler";
constexpr std::size_t kPage = 4096;

std::string Failure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool WriteProcFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

// Once per process: a mount namespace of its own whose mounts do not propagate to the machine's. Empty when
// done, else why not.
const std::string& EnterPrivateMounts() {
    static const std::string why = []() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0) {
            // Not allowed to: a user namespace in which this user is root may be.
            const uid_t uid = ::geteuid();
            const gid_t gid = ::getegid();
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return Failure("no mount namespace of its own");
            WriteProcFile("/proc/self/setgroups", "deny");
            if (!WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
                !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
                return Failure("no user mapping in the user namespace");
            }
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return Failure("mounts cannot be made private");
        return "";
    }();
    return why;
}

}  // namespace

SmallDisk::SmallDisk(std::size_t bytes) {
    why_ = EnterPrivateMounts();
    if (!why_.empty()) return;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("installer-test", folder_.str().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) !=
        0) {
        why_ = Failure("no tmpfs can be mounted");
        return;
    }
    mounted_ = true;
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(folder_.str().c_str(), MNT_DETACH);
}

void SmallDisk::FillLeaving(std::size_t freeBytes) const {
    const std::string filler = (path() / kFiller).string();
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error(Failure("cannot make the filler"));
    const std::vector<char> page(kPage, 'f');
    off_t size = 0;
    while (::write(fd, page.data(), page.size()) == static_cast<ssize_t>(page.size())) size += kPage;
    const off_t keep = size - static_cast<off_t>((freeBytes + kPage - 1) / kPage * kPage);
    const bool truncated = ::ftruncate(fd, keep < 0 ? 0 : keep) == 0;
    ::close(fd);
    if (!truncated) throw std::runtime_error(Failure("cannot shorten the filler"));
}

void SmallDisk::Free() const {
    std::filesystem::remove(path() / kFiller);
}
