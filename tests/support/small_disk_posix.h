// A small file system of a test's own, to fill up for real: a tmpfs of the given size, mounted on a fresh
// folder in a private mount namespace of this process (as root, or through a user namespace where the
// machine allows one), so that nobody else sees it and it goes with the process. Where neither is allowed,
// mounted() is false and why() says why; the test then falls back to an injected full disk.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

class SmallDisk {
  public:
    explicit SmallDisk(std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    const std::filesystem::path& path() const { return folder_.path(); }

    // Fills the disk with a file of its own until about freeBytes (whole pages) are left.
    void FillLeaving(std::size_t freeBytes) const;
    // Removes that file again.
    void Free() const;

  private:
    TempDir folder_;
    bool mounted_ = false;
    std::string why_;
};
