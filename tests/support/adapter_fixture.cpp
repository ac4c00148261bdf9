#include "support/adapter_fixture.h"

#include <filesystem>

#include "adapter/adapter_state.h"
#include "support/firmware_images.h"
#include "support/machine.h"

AdapterTest::AdapterTest() : files(MakeMachineFileSystem()) {
    ResetAdapterState();
    std::filesystem::current_path(dir.path());
    dir.Write("Setup.ini", "[FILE]\r\n");
}

AdapterTest::~AdapterTest() {
    ResetAdapterState();
}

void AdapterTest::Attach(const std::string& spec) {
    dlg.reset();
    adapter = MakeSimulatedAdapter(spec, kDefaultAdapterVendorId, clock);
    ASSERT_NE(adapter, nullptr) << spec;
    bus = std::make_unique<RecordingHidBus>(*adapter);
    dlg = std::make_unique<CSetupDlg>(
        DialogServices{view, *files, clock, codePage, "Setup", bus.get(), kDefaultAdapterVendorId});
    dlg->m_caption = kCaption;
}

void AdapterTest::WriteImage(std::optional<FirmwareVersion> version, std::size_t length) {
    dir.Write(kFirmwareImageName, StoredImage(SentImage(version, length)));
}

void AdapterTest::LetAdapterArrive(std::uint32_t milliseconds) {
    clock.Advance(milliseconds);
    for (int n = bus->TakeArrivals(); n > 0; --n) dlg->OnDeviceChange(kDeviceArrival);
}

bool AdapterTest::TickArrivalTimer() {
    if (view.timers.count(kArrivalTimer) == 0) return false;
    EXPECT_EQ(view.timers[kArrivalTimer], kArrivalTimerMs);
    clock.Advance(kArrivalTimerMs);
    dlg->OnTimer(kArrivalTimer);
    return true;
}
