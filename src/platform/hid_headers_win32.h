// The HID class driver's, SetupAPI's and the configuration manager's headers for the Win32 HID backend.
#pragma once

#include "platform/windows_headers_win32.h"

#include <cfgmgr32.h>
#include <dbt.h>
#include <setupapi.h>

// MinGW's hidsdi.h declares its functions without C linkage of their own.
extern "C" {
#include <hidsdi.h>
}
