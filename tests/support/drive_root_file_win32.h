// A file of its own in the root of the drive that holds the temporary folder ("C:\installer-test-….ini"),
// removed again afterwards: paths at a drive root hold two separators in a row once a "\" is added.
#pragma once

#include <string>

class DriveRootFile {
  public:
    // Tries to write bytes there; Written() tells whether the drive root could be written to.
    DriveRootFile(const std::string& extension, const std::string& bytes);
    ~DriveRootFile();
    DriveRootFile(const DriveRootFile&) = delete;
    DriveRootFile& operator=(const DriveRootFile&) = delete;

    bool Written() const { return written_; }
    const std::string& Root() const { return root_; }  // "C:\"
    const std::string& Stem() const { return stem_; }  // the name without extension
    std::string Name() const { return stem_ + extension_; }

  private:
    std::string root_;
    std::string stem_;
    std::string extension_;
    bool written_ = false;
};
