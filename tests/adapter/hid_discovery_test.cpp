// Finding the adapter among the HID interfaces, and the registration for arrivals.
#include <gtest/gtest.h>

#include "adapter/adapter_state.h"
#include "platform/system_error.h"
#include "support/adapter_fixture.h"

namespace {

using Lengths = std::array<std::uint16_t, 3>;

class HidDiscovery : public AdapterTest {};

TEST_F(HidDiscovery, FindsTheApplicationAndLearnsItsReportLengths) {
    Attach("feature=9,input=8,output=300");
    EXPECT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kApplicationProductId), 1);
    ASSERT_NE(g_hAdapter, nullptr);
    EXPECT_EQ(g_hAdapter->Identity().productId, kApplicationProductId);
    // Kept whole: a 300-byte length is not taken for 44.
    EXPECT_EQ(g_reportLen, (Lengths{9, 8, 300}));
}

TEST_F(HidDiscovery, NothingFoundLeavesNoDeviceAndZeroLengths) {
    struct Case {
        const char* spec;
        std::uint16_t productId;
    };
    const Case cases[] = {
        {"absent", kApplicationProductId},
        {"loader", kApplicationProductId},  // in the other mode
        {"", kBootLoaderProductId},
        {"vid=0x1234", kApplicationProductId},  // another maker's IDs
        {"vid=0x1234,others=3", kApplicationProductId},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        Attach();
        ASSERT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kApplicationProductId), 1);  // something was open
        Attach(c.spec);
        EXPECT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, c.productId), 0);
        EXPECT_EQ(g_hAdapter, nullptr);
        EXPECT_EQ(g_reportLen, (Lengths{0, 0, 0}));
    }
}

TEST_F(HidDiscovery, PassesOverInterfacesThatCannotBeOpenedOrAreOthers) {
    Attach("locked=2,others=2");
    EXPECT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kApplicationProductId), 1);
    EXPECT_EQ(bus->opened.size(), 5u);
    EXPECT_EQ(bus->searches, 1);
}

TEST_F(HidDiscovery, FirstOfTwoAdaptersWins) {
    Attach("twin");
    ASSERT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kApplicationProductId), 1);
    ASSERT_EQ(bus->opened.size(), 1u) << "the second adapter is left alone";
    ASSERT_EQ(bus->PresentInterfaces().front(), bus->opened.front());
}

TEST_F(HidDiscovery, FindsTheVendorIdItIsGiven) {
    Attach("vid=0x1d50");
    EXPECT_EQ(dlg->FindAdapter(0x1d50, kApplicationProductId), 1);
}

TEST_F(HidDiscovery, RegisteredDialogHearsOfTheBootLoadersArrival) {
    Attach();
    EXPECT_EQ(dlg->RegisterArrivalNotification(), 1);
    EXPECT_NE(dlg->m_hDevNotify, nullptr);
    ASSERT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kApplicationProductId), 1);
    dlg->ResetToLoader();
    clock.Advance(1499);
    EXPECT_EQ(bus->TakeArrivals(), 0);
    clock.Advance(1);
    EXPECT_EQ(bus->TakeArrivals(), 1);
    EXPECT_EQ(bus->TakeArrivals(), 0);
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(HidDiscovery, UnregisteredDialogHearsNothing) {
    Attach();
    ASSERT_EQ(dlg->RegisterArrivalNotification(), 1);
    dlg->m_hDevNotify.reset();
    ASSERT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kApplicationProductId), 1);
    dlg->ResetToLoader();
    clock.Advance(1500);
    EXPECT_EQ(bus->TakeArrivals(), 0);
    EXPECT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kBootLoaderProductId), 1);
}

TEST_F(HidDiscovery, FailedRegistrationShowsTheSystemError) {
    Attach("no-notify");
    EXPECT_EQ(dlg->RegisterArrivalNotification(), 0);
    EXPECT_EQ(dlg->m_hDevNotify, nullptr);
    const RecordedBox expected{platform::SystemErrorText(platform::GenericDeviceError()), kCaption,
                               platform::BoxStyle::kOkWarning};
    EXPECT_EQ(view.boxes, std::vector<RecordedBox>{expected});
}

}  // namespace
