#include "support/drive_root_file_win32.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

DriveRootFile::DriveRootFile(const std::string& extension, const std::string& bytes) : extension_(extension) {
    root_ = fs::temp_directory_path().root_path().string();
    std::random_device seed;
    stem_ = "installer-test-" + std::to_string(std::mt19937_64(seed())() % 1000000000);
    std::ofstream out(root_ + Name(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    written_ = static_cast<bool>(out);
}

DriveRootFile::~DriveRootFile() {
    std::error_code ignored;
    fs::permissions(root_ + Name(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove(root_ + Name(), ignored);
}
