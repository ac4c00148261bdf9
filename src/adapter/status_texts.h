// What the firmware check and upgrade show in the status bar and in their boxes.
#pragma once

constexpr const char* kTextDetecting = "Detect if Trelvor ICE adapter is exist...";
constexpr const char* kTextNotFound = "Trelvor 8051 ICE adapter is not found !";
constexpr const char* kTextChecking = "Check firmware version...";
constexpr const char* kTextUpdating = "Update firmware version, please wait for a while.";
constexpr const char* kTextNoVersionAnswer =
    "Trelvor 8051 ICE adapter does not report its firmware version !";
constexpr const char* kTextInstallationFailed = "Trelvor ICE Upgrade F/W faled !!";
constexpr const char* kBoxInstallationFailed = "Upgrade F/W faled !!";
constexpr const char* kBoxInstallationFailedCaption = "Error";
constexpr const char* kBoxResetRefused = "ICE_Reset_to_AP Fail";
constexpr const char* kBoxUpgraded = "ICE adapter is upgraded !";
