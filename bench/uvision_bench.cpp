// The install pass against cp of the same files, and a TOOLS.INI registration against one plain read and
// write of that file (also flushed, and as a safe replace). bench/compare-uvision prints the ratios.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/setup_dlg.h"
#include "platform/clock.h"
#include "platform/file_system_posix.h"

namespace {

namespace fs = std::filesystem;

class QuietView : public platform::DialogView {
  public:
    std::vector<std::string> boxes;
    std::string root;

    void SetStatusText(const std::string&) override {}
    int ShowMessage(const std::string& text, const std::string&, platform::BoxStyle) override {
        boxes.push_back(text);
        return platform::kIdOk;
    }
    std::string GetControlText(int id) override { return id == platform::kIdKeilRoot ? root : std::string(); }
    void SetControlText(int id, const std::string& text) override {
        if (id == platform::kIdKeilRoot) root = text;
    }
    void EnableControl(int, bool) override {}
    bool IsControlEnabled(int) override { return true; }
    void SetProgressRange(std::uint16_t, std::uint16_t) override {}
    void SetProgressStep(int) override {}
    void SetProgressPos(int) override {}
    void StepProgress() override {}
    void ShowProgress(bool) override {}
    void SetTimer(int, std::uint32_t) override {}
    void KillTimer(int) override {}
    platform::BrowseResult BrowseForFolder(const std::string&) override { return {}; }
    void EndDialog(int) override {}
};

// A dialog with its root chosen, as after Browse.
struct Installer {
    explicit Installer(const std::string& keilRoot) {
        view.root = keilRoot;
        dlg.m_caption = "Database Installer";
        dlg.m_uvVersion = 2;
    }
    QuietView view;
    platform::VirtualClock clock;
    platform::CodePage codePage = platform::CodePage::ForNumber(platform::CodePage::kUtf8);
    platform::PosixFileSystem files;
    CSetupDlg dlg{DialogServices{view, files, clock, codePage, "setup"}};
};

fs::path BenchFolder(const std::string& name) {
    return fs::temp_directory_path() / ("installer-bench-" + name);
}

// count files of size bytes in <folder>/dist, and a Keil root <folder>/keil with an empty DB folder.
void MakeDistribution(const fs::path& folder, long count, long size) {
    fs::remove_all(folder);
    fs::create_directories(folder / "dist");
    fs::create_directories(folder / "keil/UV3");
    std::ofstream(folder / "keil/UV3/Uv3.exe") << "marker";
    const std::string data(static_cast<std::size_t>(size), 'd');
    for (long i = 0; i < count; ++i) {
        std::ofstream(folder / "dist" / ("F" + std::to_string(i) + ".BIN"), std::ios::binary) << data;
    }
}

void EmptyTarget(const fs::path& folder) {
    fs::remove_all(folder / "keil/DB");
    fs::create_directories(folder / "keil/DB");
}

void BM_InstallPass(benchmark::State& state) {
    const long count = state.range(0);
    const long size = state.range(1);
    const fs::path folder = BenchFolder("pass");
    MakeDistribution(folder, count, size);
    std::vector<std::string> script{"[FILE]"};
    for (long i = 0; i < count; ++i) {
        const std::string name = "F" + std::to_string(i) + ".BIN";
        script.push_back(name + "=0,0,0,\"\\DB\\" + name + "\"");
    }
    for (auto _ : state) {
        state.PauseTiming();
        EmptyTarget(folder);
        Installer installer((folder / "keil").string());
        installer.dlg.m_workDir = (folder / "dist").string();
        installer.dlg.m_scriptLines = script;
        state.ResumeTiming();
        installer.dlg.OnInstall();
        state.PauseTiming();
        if (installer.view.boxes.empty() ||
            installer.view.boxes.front() != "Database is installed successfully !")
            state.SkipWithError("the install pass failed");
        fs::current_path(
            fs::temp_directory_path());  // the pass ends in the distribution folder, removed below
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * count * size);
    fs::remove_all(folder);
}

void BM_CpSameFiles(benchmark::State& state) {
    const long count = state.range(0);
    const long size = state.range(1);
    const fs::path folder = BenchFolder("cp");
    MakeDistribution(folder, count, size);
    const std::string command = "cp " + (folder / "dist").string() + "/* " + (folder / "keil/DB/").string();
    for (auto _ : state) {
        state.PauseTiming();
        EmptyTarget(folder);
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    }
    state.SetBytesProcessed(state.iterations() * count * size);
    fs::remove_all(folder);
}

BENCHMARK(BM_InstallPass)
    ->Args({2000, 4096})
    ->Args({200, 1 << 20})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CpSameFiles)
    ->Args({2000, 4096})
    ->Args({200, 1 << 20})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// TOOLS.INI of about 20,000 lines: 200 tool-chain sections of 100 keys, the driver's section in the middle.
std::string LargeToolsIni() {
    std::string text = "[UV2]\r\nORGANIZATION=\"Bench\"\r\nTOOL51=C51\r\n\r\n";
    for (int s = 0; s < 200; ++s) {
        text += s == 100 ? "[C51]\r\n" : "[TOOL" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 12; ++k)
            text += "TDRV" + std::to_string(k) + "=BIN\\DRIVER" + std::to_string(k) + ".DLL (\"Driver " +
                    std::to_string(k) + "\")\r\n";
        for (int k = 12; k < 99; ++k)
            text += "BOOK" + std::to_string(k) + "=HLP\\BOOK" + std::to_string(k) + ".PDF(\"Guide\",GEN)\r\n";
        text += "\r\n";
    }
    return text;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void BM_RegisterDriver(benchmark::State& state) {
    const fs::path folder = BenchFolder("register");
    fs::remove_all(folder);
    fs::create_directories(folder / "UV3");
    WriteBytes(folder / "UV3/Uv3.exe", "marker");
    const std::string original = LargeToolsIni();
    const std::string entry = "C51=\"TDRV\",0,0,\"BIN\\TRELVOROCD.DLL (\"Trelvor 8051 ICE Driver\")\"";
    Installer installer(folder.string());
    for (auto _ : state) {
        state.PauseTiming();
        WriteBytes(folder / "TOOLS.INI", original);
        state.ResumeTiming();
        if (installer.dlg.UpdateToolsIni(entry, 1) != 0) state.SkipWithError("the registration failed");
    }
    state.SetLabel(std::to_string(std::count(original.begin(), original.end(), '\n')) + " lines");
    fs::remove_all(folder);
}

// One plain read of the whole file and one write of it, optionally flushed to the disk as the rewrite is.
void BM_PlainReadWrite(benchmark::State& state) {
    const bool flushed = state.range(0) != 0;
    const fs::path folder = BenchFolder("plain");
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string original = LargeToolsIni();
    const fs::path path = folder / "TOOLS.INI";
    for (auto _ : state) {
        state.PauseTiming();
        WriteBytes(path, original);
        state.ResumeTiming();
        std::string bytes(fs::file_size(path), '\0');
        const int in = ::open(path.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(::read(in, bytes.data(), bytes.size()));
        ::close(in);
        const int out = ::open(path.c_str(), O_WRONLY | O_TRUNC);
        benchmark::DoNotOptimize(::write(out, bytes.data(), bytes.size()));
        if (flushed) ::fsync(out);
        ::close(out);
    }
    fs::remove_all(folder);
}

// The least a safe rewrite does: read, write a new file beside the old one, flush it, rename it over the old.
void BM_PlainSafeReplace(benchmark::State& state) {
    const fs::path folder = BenchFolder("safe");
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string original = LargeToolsIni();
    const fs::path path = folder / "TOOLS.INI";
    const fs::path fresh = folder / "TOOLS.INI.new";
    for (auto _ : state) {
        state.PauseTiming();
        WriteBytes(path, original);
        state.ResumeTiming();
        std::string bytes(fs::file_size(path), '\0');
        const int in = ::open(path.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(::read(in, bytes.data(), bytes.size()));
        const int out = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        benchmark::DoNotOptimize(::write(out, bytes.data(), bytes.size()));
        ::fsync(out);
        ::close(out);
        ::rename(fresh.c_str(), path.c_str());
        ::close(in);
    }
    fs::remove_all(folder);
}

BENCHMARK(BM_RegisterDriver)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainReadWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainSafeReplace)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
