// A real CSetupDlg over a temporary Keil root and a temporary working directory (the distribution folder),
// with a recording view, a virtual clock and the machine's file system behind a fault injector (no faults
// unless a test asks for some). The working directory is restored when the test ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/setup_dlg.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "support/faulty_file_system.h"
#include "support/machine.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"

inline std::string Crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

struct UvisionFixture {
    // generation: 1 = a µVision2 tree (Uv2\Uv2.exe), 2 = µVision3 (Uv3\Uv3.exe), 0 = no marker file.
    explicit UvisionFixture(int generation = 2, Faults faults = {})
        : files(*machine, faults), dlg(DialogServices{view, files, clock, codePage, "Setup"}) {
        dlg.m_caption = "Database Installer";
        if (generation == 1) keil.Write("UV2/Uv2.exe", "");
        if (generation == 2) keil.Write("UV3/Uv3.exe", "");
        keil.Write("C51/BIN/MON51.DLL", "monitor");
        dlg.m_workDir = work.str();
    }

    // The root as Browse leaves it: in control 1004, with the generation detected.
    void ChooseRoot() { ChooseRoot(keil.str()); }
    void ChooseRoot(const std::string& root) {
        view.texts[platform::kIdKeilRoot] = root;
        dlg.DetectUvVersion();
    }
    // A path below the Keil root, Windows style.
    std::string InKeil(const std::string& relative) const { return keil.str() + relative; }

    WorkingDirectoryGuard guard;
    TempDir keil;
    TempDir work;
    RecordingView view;
    platform::VirtualClock clock;
    platform::CodePage codePage = platform::CodePage::ForNumber(platform::CodePage::kUtf8);
    std::unique_ptr<platform::FileSystem> machine = MakeMachineFileSystem();
    FaultyFileSystem files;
    CSetupDlg dlg;
};
