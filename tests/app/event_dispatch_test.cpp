#include "app/event_dispatch.h"

#include <gtest/gtest.h>

#include <new>

#include "platform/file_error.h"
#include "support/recording_view.h"

namespace {

using platform::FileError;
using platform::FileErrorCause;

// A failed delete of TOOLS.INI raised out of a button handler: the rest of the handler does not run, and the
// report names no file.
TEST(DispatchEvent, FileErrorIsReportedWithTheProgramNameAndEndsTheHandler) {
    RecordingView view;
    bool ranOn = false;
    const bool completed = DispatchEvent(view, "Setup", [&] {
        throw platform::FileException(FileError{FileErrorCause::kSharingViolation, 32, ""});
        ranOn = true;
    });
    EXPECT_FALSE(completed);
    EXPECT_FALSE(ranOn);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0], (RecordedBox{"當存取 未命名檔案 時發生分享違反(Sharing Violation).", "Setup",
                                          platform::BoxStyle::kOkError}));
}

TEST(DispatchEvent, OtherExceptionsAreReportedAlike) {
    RecordingView view;
    EXPECT_FALSE(DispatchEvent(view, "Setup", [] { throw std::bad_alloc(); }));
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].caption, "Setup");
    EXPECT_EQ(view.boxes[0].style, platform::BoxStyle::kOkError);
    EXPECT_EQ(view.boxes[0].text, std::bad_alloc().what());
}

TEST(DispatchEvent, HandlerThatCompletesShowsNothing) {
    RecordingView view;
    int calls = 0;
    EXPECT_TRUE(DispatchEvent(view, "Setup", [&] { ++calls; }));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(view.boxes.empty());
}

}  // namespace
