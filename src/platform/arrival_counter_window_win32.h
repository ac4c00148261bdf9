// A message-only window that counts the device-arrival messages the system sends it, for a program that has
// no window of its own to be told of HID arrivals (Setup.exe given a command).
#pragma once

#include "platform/windows_headers_win32.h"

namespace platform {

class ArrivalCounterWindow {
  public:
    // The window belongs to the calling thread, which must be the one that calls Take.
    ArrivalCounterWindow();
    ~ArrivalCounterWindow();
    ArrivalCounterWindow(const ArrivalCounterWindow&) = delete;
    ArrivalCounterWindow& operator=(const ArrivalCounterWindow&) = delete;

    // Null when the window could not be made (the system's error recorded).
    HWND Handle() const { return window_; }

    // Takes the messages that wait for the window and returns the arrivals counted since the last call.
    int Take();

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    int arrivals_ = 0;
};

}  // namespace platform
