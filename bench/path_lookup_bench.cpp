// Case-insensitive path lookup on POSIX: a pass that creates N new files in one folder must cost a constant
// amount per file, whatever N is (a lookup that scanned the folder for every new name made it quadratic).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_system_posix.h"

namespace {

namespace fs = std::filesystem;

std::string NumberedName(const char* stem, long i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%06ld.DAT", stem, i);
    return name;
}

// A pass as the installer makes it: for each new file an existence test, then its creation.
void BM_CreateNewFilesInOneFolder(benchmark::State& state) {
    const long count = state.range(0);
    const fs::path folder = fs::temp_directory_path() / "installer-bench-lookup";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder);
        fs::create_directories(folder);
        platform::PosixFileSystem files;
        state.ResumeTiming();
        for (long i = 0; i < count; ++i) {
            const std::string path = folder.string() + "\\" + NumberedName("new", i);
            benchmark::DoNotOptimize(files.Exists(path));
            platform::FileError error;
            auto file = files.Open(path, platform::OpenMode::kCreateReadWriteExclusive, error);
            if (!file) state.SkipWithError("cannot create a file");
            file->Close();
        }
    }
    fs::remove_all(folder);
    state.SetComplexityN(count);
    state.counters["per_file"] = benchmark::Counter(  // seconds per name
        static_cast<double>(count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CreateNewFilesInOneFolder)
    ->RangeMultiplier(2)
    ->Range(1250, 10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Names spelt in another case than on disk, in a folder of N files: every lookup needs the folder's listing.
void BM_LookUpOtherCaseInFolder(benchmark::State& state) {
    const long count = state.range(0);
    const fs::path folder = fs::temp_directory_path() / "installer-bench-case";
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (long i = 0; i < count; ++i) std::fclose(std::fopen((folder / NumberedName("file", i)).c_str(), "w"));
    platform::PosixFileSystem files;
    for (auto _ : state) {
        for (long i = 0; i < count; ++i) {
            benchmark::DoNotOptimize(files.Exists(folder.string() + "\\" + NumberedName("FILE", i)));
        }
    }
    fs::remove_all(folder);
    state.SetComplexityN(count);
    state.counters["per_lookup"] = benchmark::Counter(  // seconds per name
        static_cast<double>(count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LookUpOtherCaseInFolder)
    ->RangeMultiplier(2)
    ->Range(1250, 10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
