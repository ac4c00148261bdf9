// Host time of the firmware download against the simulated adapter: one feature report, and a whole
// 8,202-byte image (start, 129 data reports, end, status read). Real full-speed USB hardware needs at least
// one 1 ms frame per control transfer, so the floor there is 1 ms a report and 132 ms a download.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "adapter/adapter_state.h"
#include "adapter/simulated_adapter.h"
#include "app/console_view.h"
#include "app/setup_dlg.h"
#include "platform/file_system_posix.h"

namespace {

constexpr double kUsbFrameMs = 1.0;

SimulatedAdapterSettings BootLoader() {
    SimulatedAdapterSettings spec;
    spec.startsInLoader = true;
    return spec;
}

void BM_FeatureReport(benchmark::State& state) {
    platform::VirtualClock clock;
    SimulatedAdapter adapter(BootLoader(), kDefaultAdapterVendorId, clock);
    auto device = adapter.Open(adapter.PresentInterfaces().front());
    std::vector<std::uint8_t> start(65, 0);
    start[1] = 0x33;
    start[5] = start[6] = start[7] = 0xFF;  // the longest image, so data reports go on and on
    std::vector<std::uint8_t> data(65, 0x5A);
    data[0] = 0;

    constexpr std::int64_t kReportsPerImage = 0xFFFFFF / 64;
    std::int64_t sent = kReportsPerImage;
    for (auto _ : state) {
        if (sent == kReportsPerImage) {
            device->SetFeatureReport(start);
            sent = 0;
        }
        benchmark::DoNotOptimize(device->SetFeatureReport(data));
        ++sent;
    }
    state.counters["usb_floor_ms"] = kUsbFrameMs;
}
BENCHMARK(BM_FeatureReport);

// Writes a sample image into a fresh folder and makes it the working directory.
class ImageFolder {
  public:
    ImageFolder() : saved_(std::filesystem::current_path()) {
        path_ = std::filesystem::temp_directory_path() /
                ("adapter-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path_);
        std::vector<char> image(8202);
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
        std::ofstream(path_ / "Trelvor.dat", std::ios::binary)
            .write(image.data(), static_cast<std::streamsize>(image.size()));
        std::filesystem::current_path(path_);
    }
    ~ImageFolder() {
        std::filesystem::current_path(saved_);
        std::filesystem::remove_all(path_);
    }
    ImageFolder(const ImageFolder&) = delete;
    ImageFolder& operator=(const ImageFolder&) = delete;

  private:
    std::filesystem::path saved_;
    std::filesystem::path path_;
};

void BM_Download8202(benchmark::State& state) {
    ImageFolder folder;
    platform::VirtualClock clock;
    platform::PosixFileSystem files;
    std::FILE* null = std::fopen("/dev/null", "w");
    ConsoleView view(clock, null, null);
    SimulatedAdapter adapter(BootLoader(), kDefaultAdapterVendorId, clock);
    CSetupDlg dlg(DialogServices{view, files, clock, platform::SystemCodePage(), "setup", &adapter,
                                 kDefaultAdapterVendorId});
    ResetAdapterState();
    dlg.FindAdapter(kDefaultAdapterVendorId, kBootLoaderProductId);

    for (auto _ : state) {
        if (dlg.DownloadFirmware() != 1) state.SkipWithError("download failed");
    }
    constexpr int kTransfers = 1 + 129 + 1 + 1;
    state.counters["transfers"] = kTransfers;
    state.counters["usb_floor_ms"] = kTransfers * kUsbFrameMs;
    ResetAdapterState();
    std::fclose(null);
}
BENCHMARK(BM_Download8202)->Unit(benchmark::kMicrosecond);

}  // namespace
