// Resource IDs of Setup.exe, shared by setup.rc and the Win32 dialog code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_SETUP_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_INSTALL 1000
#define IDC_UNINSTALL 1001
#define IDC_EXIT 1002
#define IDC_BROWSE 1003
#define IDC_KEIL_ROOT 1004
#define IDC_PROGRESS 1005

#define IDW_STATUS_BAR 0xE801
#define IDM_ABOUTBOX 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
