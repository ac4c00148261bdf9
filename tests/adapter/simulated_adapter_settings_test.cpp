#include "adapter/simulated_adapter_settings.h"

#include <gtest/gtest.h>

namespace {

using Spec = SimulatedAdapterSettings;

TEST(SimulatedAdapterSettings, EmptyIsAHealthyAdapterWithTheSampleImagesVersion) {
    Spec spec;
    std::string error;
    ASSERT_TRUE(ParseSimulatedAdapterSettings("", spec, error));
    EXPECT_EQ(spec.version, (FirmwareVersion{0x02, 0x15}));
    EXPECT_FALSE(spec.vendorId);
    EXPECT_EQ(spec.lengths.feature, 65);
    EXPECT_EQ(spec.refusal, Spec::Refusal::kNone);
}

TEST(SimulatedAdapterSettings, SettingsInOneList) {
    Spec spec;
    std::string error;
    ASSERT_TRUE(ParseSimulatedAdapterSettings(
        "version=0x02.21,vid=0x1d50,feature=9,input=8,output=300,detach-ms=0,reset-ms=20,after=3,noise=5,"
        "answer-length=3,refuse=17,checksum=low,pending=2,others=1,locked=2,twin,silent,status-fail,"
        "never-return,no-notify,loader,absent",
        spec, error))
        << error;
    EXPECT_EQ(spec.version, (FirmwareVersion{2, 21}));
    EXPECT_EQ(spec.vendorId, 0x1d50);
    EXPECT_EQ(spec.lengths.feature, 9);
    EXPECT_EQ(spec.lengths.input, 8);
    EXPECT_EQ(spec.lengths.output, 300);
    EXPECT_EQ(spec.detachMs, 0u);
    EXPECT_EQ(spec.resetMs, 20u);
    EXPECT_EQ(spec.hiddenSearches, 3);
    EXPECT_EQ(spec.noise, 5);
    EXPECT_EQ(spec.answerLength, 3);
    EXPECT_EQ(spec.refusal, Spec::Refusal::kNumbered);
    EXPECT_EQ(spec.refusedReport, 17);
    EXPECT_EQ(spec.checksumFault, Spec::ChecksumFault::kLow);
    EXPECT_EQ(spec.pendingWaits, 2);
    EXPECT_EQ(spec.otherInterfaces, 1);
    EXPECT_EQ(spec.lockedInterfaces, 2);
    EXPECT_TRUE(spec.twin && spec.silent && spec.statusReadFails && spec.neverReturns &&
                spec.registrationFails && spec.startsInLoader && spec.absent);
}

TEST(SimulatedAdapterSettings, NamedRefusals) {
    const std::pair<const char*, Spec::Refusal> cases[] = {{"refuse=start", Spec::Refusal::kStart},
                                                           {"refuse=data", Spec::Refusal::kData},
                                                           {"refuse=end", Spec::Refusal::kEnd},
                                                           {"refuse=reset", Spec::Refusal::kReset}};
    for (const auto& [text, refusal] : cases) {
        Spec spec;
        std::string error;
        ASSERT_TRUE(ParseSimulatedAdapterSettings(text, spec, error)) << text;
        EXPECT_EQ(spec.refusal, refusal) << text;
    }
}

TEST(SimulatedAdapterSettings, WrongSettingsAreNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"frobnicate", "unknown simulated-adapter setting 'frobnicate'"},
        {"version=2", "'version' needs two numbers A.B"},
        {"version=2.256", "'version' needs two numbers A.B"},
        {"version=2.x", "'version' needs two numbers A.B"},
        {"vid=0x10000", "'vid' needs a 16-bit number"},
        {"feature=-1", "'feature' needs 0 to 65535"},
        {"refuse=0", "'refuse' needs start, data, end, reset or a report number"},
        {"refuse=middle", "'refuse' needs"},
        {"checksum=both", "'checksum' needs high or low"},
        {"twin=1", "'twin' takes no value"},
        {"noise", "'noise' needs a value"},
        {"silent,", "unknown simulated-adapter setting ''"},
        {"a\nb", "unknown simulated-adapter setting 'a\\nb'"},  // one line, whatever the SPEC holds
    };
    for (const auto& [text, message] : cases) {
        Spec spec;
        std::string error;
        EXPECT_FALSE(ParseSimulatedAdapterSettings(text, spec, error)) << text;
        EXPECT_NE(error.find(message), std::string::npos) << text << ": " << error;
    }
}

}  // namespace
