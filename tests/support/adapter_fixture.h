// A real CSetupDlg wired to a simulated adapter through a recording bus, working in a fresh folder that is
// the working directory, on a virtual clock. The adapter globals start and end empty.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "adapter/simulated_adapter.h"
#include "app/setup_dlg.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/file_system.h"
#include "support/recording_hid_bus.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"

class AdapterTest : public ::testing::Test {
  protected:
    AdapterTest();
    ~AdapterTest() override;

    // Attaches an adapter as the SPEC of --simulate-adapter describes it, and builds the dialog.
    void Attach(const std::string& spec = "");
    // Writes Trelvor.dat into the working folder, as stored: with a trailer when a version is given.
    void WriteImage(std::optional<FirmwareVersion> version, std::size_t length = 8202);

    // The adapter's re-enumeration after a mode switch: time passes, and its arrivals reach the dialog.
    void LetAdapterArrive(std::uint32_t milliseconds = 1500);
    // Fires timer 2 when it runs; false when it does not.
    bool TickArrivalTimer();

    WorkingDirectoryGuard guard;
    TempDir dir;
    RecordingView view;
    platform::VirtualClock clock;
    platform::CodePage codePage = platform::CodePage::ForNumber(platform::CodePage::kUtf8);
    std::unique_ptr<platform::FileSystem> files;
    std::unique_ptr<SimulatedAdapter> adapter;
    std::unique_ptr<RecordingHidBus> bus;
    std::unique_ptr<CSetupDlg> dlg;
};

constexpr const char* kCaption = "Database Installer";
