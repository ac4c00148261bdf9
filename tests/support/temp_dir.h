// A fresh folder for one test, removed with everything in it (read-only files included) afterwards.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& relative) const { return path_ / relative; }

    // Writes bytes exactly (binary), creating the folders on the way.
    void Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    void MakeReadOnly(const std::string& relative, bool readOnly = true) const;
    bool IsReadOnly(const std::string& relative) const;

  private:
    std::filesystem::path path_;
};

// Restores the process's working directory when the test ends.
class WorkingDirectoryGuard {
  public:
    WorkingDirectoryGuard() : saved_(std::filesystem::current_path()) {}
    ~WorkingDirectoryGuard() {
        std::error_code ignored;
        std::filesystem::current_path(saved_, ignored);
    }
    WorkingDirectoryGuard(const WorkingDirectoryGuard&) = delete;
    WorkingDirectoryGuard& operator=(const WorkingDirectoryGuard&) = delete;

  private:
    std::filesystem::path saved_;
};
