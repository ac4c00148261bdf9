// The main dialog: all state that outlives one user action, and every operation of the installer. Its
// operations are defined in the folder of their subsystem (script/, uvision/, adapter/); the user-interface
// operations and the event handlers here in app/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "adapter/adapter_ids.h"
#include "adapter/adapter_stage.h"
#include "adapter/firmware_image.h"
#include "platform/codepage.h"
#include "platform/dialog_view.h"
#include "platform/hid_bus.h"

namespace platform {
class FileSystem;
class Clock;
class RawFile;
}  // namespace platform

// The platform services a dialog works with, handed in at construction.
struct DialogServices {
    platform::DialogView& view;
    platform::FileSystem& files;
    platform::Clock& clock;
    const platform::CodePage& codePage;
    std::string programName;             // the program's file name without folder and extension
    platform::HidBus* hidBus = nullptr;  // null: no HID devices can be reached
    std::uint16_t adapterVendorId = kDefaultAdapterVendorId;
};

// The one-pane status bar along the bottom edge.
class CStatusBar {
  public:
    explicit CStatusBar(platform::DialogView& view) : view_(view) {}
    void SetPaneText(int pane, const std::string& text) {
        if (pane == 0) view_.SetStatusText(text);
    }

  private:
    platform::DialogView& view_;
};

// The progress bar bound to control 1005.
class CProgressCtrl {
  public:
    explicit CProgressCtrl(platform::DialogView& view) : view_(view) {}
    void SetRange(std::uint16_t lower, std::uint16_t upper) { view_.SetProgressRange(lower, upper); }
    void SetStep(int step) { view_.SetProgressStep(step); }
    void SetPos(int pos) { view_.SetProgressPos(pos); }
    void StepIt() { view_.StepProgress(); }
    void ShowWindow(bool show) { view_.ShowProgress(show); }

  private:
    platform::DialogView& view_;
};

class CSetupDlg {
  public:
    explicit CSetupDlg(const DialogServices& services);

    // --- Setup script ---
    int LoadSetupScript();
    int GetEntryField(const std::string& line, std::string& out, int wantKey, int fieldIndex,
                      char quoteChar) const;
    bool ScriptLoaded() const { return !m_scriptLines.empty(); }  // a load always leaves at least one line

    // --- µVision integration ---
    void OnInstall();
    void OnUninstall();
    int InstallFileEntry(const std::string& line);
    int InstallCdbEntry(const std::string& line);
    int RemoveFileEntry(const std::string& line);
    int RemoveCdbEntry(const std::string& line);
    int EnsureTargetDir(const std::string& path, int makeDir);
    int UpdateToolsIni(const std::string& line, int install);
    void OnBrowse();
    int DetectUvVersion();
    int CheckInstalledState();
    // The Keil root as every handler reads it: the text of control 1004.
    std::string KeilRoot() { return GetControlText(platform::kIdKeilRoot); }
    // m_uvVersion, detected again when a script reload reset it while a root stayed chosen; 0 = none.
    int UvVersionForRoot();
    void RunScriptPass(bool install);
    int CopyIntoKeilTree(const std::string& source, const std::string& destination);
    int DeleteFromKeilTree(const std::string& destination);
    int ReplaceToolsIni(const std::string& iniName, const std::vector<std::string_view>& lines,
                        std::string_view tail);

    // --- ICE adapter maintenance ---
    int FindAdapter(std::uint16_t vendorId, std::uint16_t productId);
    int RegisterArrivalNotification();
    int SendAdapterCommand();
    int ReadAdapterResponse();
    int ResetToLoader();
    int ICE_Reset_to_AP();
    int ICE_Close_Device();
    ImageTrailer ReadImageTrailer();
    FirmwareImage LoadFirmwareImage();
    int DetectAdapter();
    int CheckFirmwareVersion();
    int UpgradeAdapter();
    int DownloadFirmware();
    int OnDeviceChange(std::uint32_t event);  // the window procedure's device-change message; answers 1
    void OnArrivalTimer();                    // the tick of timer 2
    platform::HidBus* AdapterBus() const { return m_hidBus; }
    AdapterStage m_adapterStage = AdapterStage::kUnchecked;

    // --- User interface ---
    void SetStatusText(const std::string& text);
    int ReportSystemError();
    int ShowMessage(const std::string& text, const std::string& caption, platform::BoxStyle style);
    std::string GetControlText(int id) { return m_view.GetControlText(id); }
    void SetControlText(int id, const std::string& text) { m_view.SetControlText(id, text); }
    void EnableControl(int id, bool enable) { m_view.EnableControl(id, enable); }

    // --- Events ---
    void OnInitDialog();
    void OnTimer(int id);
    void OnExit();

    // Dialog state, in the order the original dialog declared it.
    std::string m_workDir;
    std::vector<std::string> m_scriptLines;
    std::string m_caption;
    std::unique_ptr<platform::HidArrivalRegistration> m_hDevNotify;
    int m_uvVersion = 0;
    CStatusBar m_statusBar;
    CProgressCtrl m_progress;
    void* m_hIcon = nullptr;  // set by the window that shows the dialog

  private:
    platform::DialogView& m_view;
    platform::FileSystem& m_files;
    platform::Clock& m_clock;
    const platform::CodePage& m_codePage;
    std::string m_programName;
    platform::HidBus* m_hidBus;
    std::uint16_t m_adapterVendorId;

    // ICE adapter maintenance.
    std::unique_ptr<platform::RawFile> OpenFirmwareImage(std::string& path);
    void ReportImageReadError(const std::string& path);
};

// Timers of the main dialog.
constexpr int kStartupTimer = 1;
constexpr int kArrivalTimer = 2;

// The device-change message's event for an arrival (DBT_DEVICEARRIVAL), and timer 2's period.
constexpr std::uint32_t kDeviceArrival = 0x8000;
constexpr std::uint32_t kArrivalTimerMs = 200;

// CheckFirmwareVersion's and DetectAdapter's result when the adapter did not answer the version query.
constexpr int kVersionQueryFailed = -2;
