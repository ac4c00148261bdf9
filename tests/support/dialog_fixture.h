// A real CSetupDlg over a recording view, the machine's file system and a virtual clock.
#pragma once

#include <memory>
#include <string>

#include "app/setup_dlg.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "support/machine.h"
#include "support/recording_view.h"

struct DialogFixture {
    explicit DialogFixture(int codePage = platform::CodePage::kUtf8, std::string programName = "Setup")
        : codePage(platform::CodePage::ForNumber(codePage)),
          files(MakeMachineFileSystem()),
          dlg(DialogServices{view, *files, clock, this->codePage, std::move(programName)}) {
        dlg.m_caption = "Database Installer";
    }

    RecordingView view;
    platform::VirtualClock clock;
    platform::CodePage codePage;
    std::unique_ptr<platform::FileSystem> files;
    CSetupDlg dlg;
};
