// The HID bus over hid.dll, SetupAPI and the device notifications, against Wine's own HID stack (which has
// HID devices of its own but no adapter), and a HID handle's overlapped transfers against a named pipe.
#include "platform/hid_bus_win32.h"

#include <gtest/gtest.h>

#include "platform/hid_headers_win32.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "adapter/adapter_ids.h"
#include "adapter/adapter_state.h"
#include "adapter/status_texts.h"
#include "app/setup_dlg.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/hid_device_win32.h"
#include "platform/system_error.h"
#include "support/machine.h"
#include "support/recording_view.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Wine's HID stack lists virtual devices of its own (a mouse and a keyboard): each is found, opened, and
// tells the IDs its device path names and its report lengths; none is the adapter.
TEST(Win32HidBus, FindsOpensAndIdentifiesTheSystemsHidInterfaces) {
    platform::VirtualClock clock;
    platform::Win32HidBus bus(clock);
    const std::vector<std::string> paths = bus.PresentInterfaces();
    ASSERT_FALSE(paths.empty()) << "Wine's HID stack lists devices of its own";
    int identified = 0;
    for (const std::string& path : paths) {
        EXPECT_EQ(path.rfind("\\\\?\\", 0), 0u) << path;
        const auto device = bus.Open(path);
        if (!device) continue;
        const platform::HidIdentity identity = device->Identity();
        char ids[24];
        std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", identity.vendorId, identity.productId);
        EXPECT_NE(Lower(path).find(ids), std::string::npos) << path;
        const platform::HidReportLengths lengths = device->ReportLengths();
        EXPECT_GT(lengths.feature + lengths.input + lengths.output, 0) << path;
        EXPECT_FALSE(
            identity.vendorId == kDefaultAdapterVendorId &&
            (identity.productId == kApplicationProductId || identity.productId == kBootLoaderProductId))
            << path;
        ++identified;
    }
    EXPECT_GT(identified, 0);
}

// A real HID handle: a read from a device that sends nothing ends at its time-out.
TEST(Win32HidBus, AReadFromADeviceThatSendsNothingEndsAtItsTimeOut) {
    platform::VirtualClock clock;
    platform::Win32HidBus bus(clock);
    for (const std::string& path : bus.PresentInterfaces()) {
        const auto device = bus.Open(path);
        if (!device || device->ReportLengths().input == 0) continue;
        std::vector<std::uint8_t> report(device->ReportLengths().input, 0);
        EXPECT_FALSE(device->ReadInputReport(report, 200));
        EXPECT_EQ(platform::LastSystemError(), platform::TimeoutError());
        return;
    }
    GTEST_SKIP() << "no HID device with input reports to read from";
}

TEST(Win32HidBus, OpeningAMissingDeviceFailsWithTheSystemsReason) {
    platform::VirtualClock clock;
    platform::Win32HidBus bus(clock);
    platform::SetLastSystemError(0);
    EXPECT_EQ(bus.Open("\\\\?\\hid#vid_2e1a&pid_030a#0&0000&0#{4d1e55b2-f16f-11cf-88cb-001111000030}"),
              nullptr);
    EXPECT_NE(platform::LastSystemError(), 0u);
}

// The start-up check through the system's HID devices: no adapter, and the status bar says so.
TEST(Win32HidBus, StartupCheckFindsNoAdapterAndSaysSo) {
    platform::VirtualClock clock;
    platform::Win32HidBus bus(clock);
    RecordingView view;
    const std::unique_ptr<platform::FileSystem> files = MakeMachineFileSystem();
    const platform::CodePage codePage = platform::CodePage::ForNumber(platform::CodePage::kUtf8);
    ResetAdapterState();
    CSetupDlg dlg(DialogServices{view, *files, clock, codePage, "Setup", &bus});
    EXPECT_EQ(dlg.DetectAdapter(), 0);
    EXPECT_EQ(view.statusHistory, (std::vector<std::string>{kTextDetecting, kTextNotFound}));
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(g_hAdapter, nullptr);
    EXPECT_EQ(g_reportLen, (std::array<std::uint16_t, 3>{0, 0, 0}));
    ResetAdapterState();
}

// Without a window of the caller's, arrivals go to a message-only window of the bus's own; the system sends
// them from a thread of its own and waits for the answer, and TakeArrivals takes and counts them.
TEST(Win32HidBus, ArrivalsWithoutAWindowAreCountedForTakeArrivals) {
    platform::VirtualClock clock;
    platform::Win32HidBus bus(clock);
    EXPECT_EQ(bus.TakeArrivals(), 0);
    const auto registration = bus.RegisterArrivals();
    ASSERT_NE(registration, nullptr) << platform::SystemErrorText(platform::LastSystemError());
    const HWND counter = ::FindWindowExW(HWND_MESSAGE, nullptr, L"TrelvorInstallerArrivalCounter", nullptr);
    ASSERT_NE(counter, nullptr);

    std::atomic<int> answered = 0;
    std::thread system([&] {
        for (const WPARAM event : {WPARAM{DBT_DEVNODES_CHANGED}, WPARAM{DBT_DEVICEARRIVAL},
                                   WPARAM{DBT_DEVICEREMOVECOMPLETE}, WPARAM{DBT_DEVICEARRIVAL}}) {
            DWORD_PTR answer = 0;
            if (::SendMessageTimeoutW(counter, WM_DEVICECHANGE, event, 0, SMTO_NORMAL, 5000, &answer) &&
                answer == TRUE)
                ++answered;
        }
    });
    int arrivals = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (answered < 4 && std::chrono::steady_clock::now() < deadline) {
        arrivals += bus.TakeArrivals();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    system.join();
    arrivals += bus.TakeArrivals();
    EXPECT_EQ(answered, 4);
    EXPECT_EQ(arrivals, 2);
    EXPECT_EQ(bus.TakeArrivals(), 0);
}

// Given the dialog's window, the bus registers it and counts nothing itself: the system's messages go there.
TEST(Win32HidBus, ArrivalsForAWindowAreRegisteredForIt) {
    platform::VirtualClock clock;
    platform::Win32HidBus bus(clock);
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    bus.SetNotificationWindow(window);
    const auto registration = bus.RegisterArrivals();
    EXPECT_NE(registration, nullptr) << platform::SystemErrorText(platform::LastSystemError());
    EXPECT_EQ(::FindWindowExW(HWND_MESSAGE, nullptr, L"TrelvorInstallerArrivalCounter", nullptr), nullptr);
    EXPECT_EQ(bus.TakeArrivals(), 0);
    ::DestroyWindow(window);
}

// Wine installs nothing while the tests run: the wait ends at once, without sleeping.
TEST(Win32HidBus, NoInstallationPending) {
    platform::VirtualClock clock;
    platform::Win32HidBus bus(clock);
    EXPECT_TRUE(bus.WaitForPendingInstallation(30000));
    EXPECT_EQ(clock.NowMs(), 0u);
}

// A handle opened for overlapped I/O at one end of a message pipe stands in for the device's: what it
// writes arrives whole, a read that gets nothing ends at its time-out (and is cancelled, so that the next
// read gets the next report), and a handle that is no HID device tells no identity.
class Win32HidDeviceOverPipe : public ::testing::Test {
  protected:
    void SetUp() override {
        static int count = 0;
        const std::string name = "\\\\.\\pipe\\trelvor-hid-test-" + std::to_string(::GetCurrentProcessId()) +
                                 "-" + std::to_string(++count);
        deviceEnd_ = ::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX,
                                        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 4096, 4096, 0, nullptr);
        ASSERT_NE(deviceEnd_, INVALID_HANDLE_VALUE);
        const HANDLE hostEnd = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        ASSERT_NE(hostEnd, INVALID_HANDLE_VALUE);
        device_ = std::make_unique<platform::Win32HidDevice>(hostEnd);
    }
    void TearDown() override {
        device_.reset();
        if (deviceEnd_ != INVALID_HANDLE_VALUE) ::CloseHandle(deviceEnd_);
    }

    void SendFromDevice(const std::vector<std::uint8_t>& report) {
        DWORD written = 0;
        ASSERT_TRUE(
            ::WriteFile(deviceEnd_, report.data(), static_cast<DWORD>(report.size()), &written, nullptr));
    }

    HANDLE deviceEnd_ = INVALID_HANDLE_VALUE;
    std::unique_ptr<platform::Win32HidDevice> device_;
};

TEST_F(Win32HidDeviceOverPipe, ReadEndsAtItsTimeOutAndTheNextReadGetsTheNextReport) {
    std::vector<std::uint8_t> answer(4, 0xEE);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(device_->ReadInputReport(answer, 200));
    EXPECT_EQ(platform::LastSystemError(), platform::TimeoutError());
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(150));

    SendFromDevice({0x02, 0x02, 0x15, 0x00});
    EXPECT_TRUE(device_->ReadInputReport(answer, 1000));
    EXPECT_EQ(answer, (std::vector<std::uint8_t>{0x02, 0x02, 0x15, 0x00}));
}

// While a read waits, the thread's windows go on repainting.
TEST_F(Win32HidDeviceOverPipe, ReadKeepsWindowsPainted) {
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr,
                                          nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) GTEST_SKIP() << "no display to show windows on";
    ::ValidateRect(window, nullptr);
    ::InvalidateRect(window, nullptr, TRUE);
    std::vector<std::uint8_t> answer(4, 0);
    EXPECT_FALSE(device_->ReadInputReport(answer, 300));
    EXPECT_EQ(::GetUpdateRect(window, nullptr, FALSE), FALSE);
    ::DestroyWindow(window);
}

TEST_F(Win32HidDeviceOverPipe, WriteGoesOutWhole) {
    const std::vector<std::uint8_t> report = {0x0C, 0xA8, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0};
    EXPECT_TRUE(device_->WriteOutputReport(report));
    std::vector<std::uint8_t> received(64, 0);
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(deviceEnd_, received.data(), static_cast<DWORD>(received.size()), &read, nullptr));
    received.resize(read);
    EXPECT_EQ(received, report);
}

TEST_F(Win32HidDeviceOverPipe, NoHidDeviceTellsNoIdentityAndNoLengths) {
    const platform::HidIdentity identity = device_->Identity();
    EXPECT_EQ(identity.vendorId, 0);
    EXPECT_EQ(identity.productId, 0);
    const platform::HidReportLengths lengths = device_->ReportLengths();
    EXPECT_EQ(lengths.feature + lengths.input + lengths.output, 0);
    std::vector<std::uint8_t> feature(9, 0);
    EXPECT_FALSE(device_->GetFeatureReport(feature));
}

}  // namespace
