// The folders one input of a file-system target works in. Every process gets a base folder in the system's
// temporary folder holding "in", emptied for each input, and "outside", a folder of sentinel files beside it
// that no input may change. A target keeps its Keil root and working directory in "in" and checks afterwards
// that every path the product changed lies there.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class Sandbox {
  public:
    // Empties "in" and makes it the current directory.
    Sandbox();
    // Checks the sentinels, empties "in" and goes back to the directory the input started in (libFuzzer
    // finds its corpus there).
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::filesystem::path& in() const { return in_; }
    // Writes bytes exactly below "in", creating folders on the way.
    void Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;
    void MakeReadOnly(const std::string& relative) const;

    // Aborts unless every path lies in "in".
    void CheckAllWithin(const std::vector<std::filesystem::path>& changed) const;
    // Every file and folder below "in", relative to it, in order; with each file's bytes.
    std::vector<std::pair<std::string, std::string>> Listing() const;

  private:
    std::filesystem::path started_;
    std::filesystem::path in_;
};
