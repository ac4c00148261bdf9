// A real CSetupDlg for a fuzz target: a recording view, a virtual clock (no input ever sleeps), the file
// system and HID bus the target chooses, and one of the code pages whose character boundaries differ.
#pragma once

#include <cstdint>
#include <string>

#include "app/setup_dlg.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "support/recording_view.h"

// UTF-8 (no double-byte characters), Big5, Shift-JIS (two lead-byte ranges) and 1252, by selector modulo 4.
inline int CodePageNumber(std::uint8_t selector) {
    constexpr int kNumbers[] = {platform::CodePage::kUtf8, 950, 932, 1252};
    return kNumbers[selector % 4];
}

struct FuzzDialog {
    FuzzDialog(platform::FileSystem& files, int codePage, platform::HidBus* bus = nullptr)
        : codePage(platform::CodePage::ForNumber(codePage)),
          dlg(DialogServices{view, files, clock, this->codePage, "Setup", bus}) {
        dlg.m_caption = "Database Installer";
    }

    // The Keil root as Browse leaves it, with the generation detected.
    void ChooseRoot(const std::string& root) {
        view.texts[platform::kIdKeilRoot] = root;
        dlg.DetectUvVersion();
    }

    RecordingView view;
    platform::VirtualClock clock;
    platform::CodePage codePage;
    CSetupDlg dlg;
};
