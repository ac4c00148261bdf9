#include "app/event_dispatch.h"

#include <exception>

#include "platform/file_error.h"

bool DispatchEvent(platform::DialogView& view, const std::string& programName,
                   const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const platform::FileException& e) {
        view.ShowMessage(platform::FileErrorText(e.error()), programName, platform::BoxStyle::kOkError);
    } catch (const std::exception& e) {
        view.ShowMessage(e.what(), programName, platform::BoxStyle::kOkError);
    }
    return false;
}
