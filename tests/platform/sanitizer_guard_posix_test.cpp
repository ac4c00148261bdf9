// In the build with the sanitizers (the asan preset, which CI runs), a report of AddressSanitizer,
// LeakSanitizer or UndefinedBehaviorSanitizer ends the program with a failure, so that no report can pass
// unnoticed, whatever the options a run is given. Skipped in builds without the sanitizers.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <climits>
#include <cstddef>
#include <cstdlib>

namespace {

bool Failed(int status) {
    return !WIFEXITED(status) || WEXITSTATUS(status) != 0;
}

// Kept where the compiler cannot see its value.
volatile int largest = INT_MAX;
volatile std::size_t pastTheEnd = 4;
int* volatile leaked = nullptr;

class SanitizerGuard : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef INSTALLER_SANITIZED
        GTEST_SKIP() << "a build without the sanitizers";
#endif
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

TEST_F(SanitizerGuard, OutOfBoundsWriteFails) {
    EXPECT_EXIT(
        {
            volatile char* bytes = new char[4];
            bytes[pastTheEnd] = 1;
            delete[] bytes;
            std::exit(0);
        },
        Failed, "heap-buffer-overflow");
}

TEST_F(SanitizerGuard, UndefinedBehaviourFails) {
    EXPECT_EXIT(
        {
            const int value = largest;
            largest = value + 1;
            std::exit(0);
        },
        Failed, "signed integer overflow");
}

TEST_F(SanitizerGuard, LeakFails) {
    EXPECT_EXIT(
        {
            leaked = new int[16];
            leaked = nullptr;
            std::exit(0);
        },
        Failed, "detected memory leaks");
}

}  // namespace
