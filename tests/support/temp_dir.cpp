#include "support/temp_dir.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("installer-test-" + std::to_string(random() % 1000000000));
        if (fs::create_directory(candidate)) {
            path_ = fs::canonical(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

void TempDir::Write(const std::string& relative, const std::string& bytes) const {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string TempDir::Read(const std::string& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + (path_ / relative).string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TempDir::Exists(const std::string& relative) const {
    return fs::exists(path_ / relative);
}

void TempDir::MakeReadOnly(const std::string& relative, bool readOnly) const {
    fs::permissions(path_ / relative,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

bool TempDir::IsReadOnly(const std::string& relative) const {
    return (fs::status(path_ / relative).permissions() & fs::perms::owner_write) == fs::perms::none;
}
