// Runs the dialog's event handlers as the window framework's message dispatch runs them.
#pragma once

#include <functional>
#include <string>

#include "platform/dialog_view.h"

// Runs handler. A file error raised out of it (a failed delete, write or close) ends the handler there and is
// reported in a box with the stop icon, captioned with the program name; the event then counts as handled.
// Any other exception is reported the same way with its own text, so that none unwinds through the window
// system. Returns false when the handler was abandoned.
bool DispatchEvent(platform::DialogView& view, const std::string& programName,
                   const std::function<void()>& handler);
