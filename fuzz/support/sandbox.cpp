#include "sandbox.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "fuzz_check.h"
#include "support/change_log_file_system.h"

namespace fs = std::filesystem;

namespace {

// Names a script could aim at once it climbs out of its Keil root.
const char* const kSentinels[] = {"TOOLS.INI", "Tools.ini.new", "UV3/Uv3.exe", "C51/BIN/MON51.DLL", "x"};

void WriteFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FuzzCheck(static_cast<bool>(out), "cannot write " + file.string());
}

std::vector<std::pair<std::string, std::string>> ListTree(const fs::path& root) {
    std::vector<std::pair<std::string, std::string>> listing;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string bytes;
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        listing.emplace_back(entry.path().lexically_relative(root).string(), std::move(bytes));
    }
    std::sort(listing.begin(), listing.end());
    return listing;
}

// Read-only files (as the targets make them) must not keep their folder from being emptied.
void RemoveAll(const fs::path& root) {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(root, ignored);
}

constexpr char kBasePrefix[] = "installer-fuzz-";

// The base folders of fuzzers that crashed (an abort skips the clean-up) are removed by the next one.
void RemoveStaleBases(const fs::path& temp) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(temp, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kBasePrefix, 0) != 0) continue;
        const std::string pid = name.substr(sizeof kBasePrefix - 1);
        if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (::kill(static_cast<pid_t>(std::stol(pid)), 0) != 0 && errno == ESRCH) RemoveAll(entry.path());
    }
}

class Base {
  public:
    // The real path, as the working directory reports it: the targets compare paths by their text.
    Base() : path_(fs::canonical(fs::temp_directory_path()) / (kBasePrefix + std::to_string(::getpid()))) {
        RemoveStaleBases(path_.parent_path());
        RemoveAll(path_);
        for (const char* name : kSentinels)
            WriteFile(path_ / "outside" / name, std::string("sentinel ") + name);
        sentinels_ = ListTree(path_ / "outside");
    }
    ~Base() { RemoveAll(path_); }
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;

    const fs::path& path() const { return path_; }
    void CheckSentinels() const {
        FuzzCheck(ListTree(path_ / "outside") == sentinels_, "a file beside the sandbox was changed");
        for (const auto& entry : fs::directory_iterator(path_)) {
            const std::string name = entry.path().filename().string();
            FuzzCheck(name == "in" || name == "outside", "a file appeared beside the sandbox: " + name);
        }
    }

  private:
    fs::path path_;
    std::vector<std::pair<std::string, std::string>> sentinels_;
};

Base& TheBase() {
    static Base base;  // removed when the fuzzer exits normally
    return base;
}

}  // namespace

Sandbox::Sandbox() : started_(fs::current_path()), in_(TheBase().path() / "in") {
    RemoveAll(in_);
    fs::create_directories(in_);
    fs::current_path(in_);
}

Sandbox::~Sandbox() {
    std::error_code ignored;
    fs::current_path(started_, ignored);
    TheBase().CheckSentinels();
    RemoveAll(in_);
}

void Sandbox::Write(const std::string& relative, const std::string& bytes) const {
    WriteFile(in_ / relative, bytes);
}

std::string Sandbox::Read(const std::string& relative) const {
    std::ifstream in(in_ / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Sandbox::MakeReadOnly(const std::string& relative) const {
    fs::permissions(in_ / relative, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

void Sandbox::CheckAllWithin(const std::vector<fs::path>& changed) const {
    for (const fs::path& path : changed)
        FuzzCheck(LexicallyWithin(path, in_), "a change outside the sandbox: " + path.string());
}

std::vector<std::pair<std::string, std::string>> Sandbox::Listing() const {
    return ListTree(in_);
}
