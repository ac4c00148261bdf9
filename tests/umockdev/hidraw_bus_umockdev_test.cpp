// The hidraw backend against devices emulated in a umockdev test bed: enumeration, identity and report
// lengths, the report-ID slot for numbered and unnumbered devices, time-outs, unplugging, udev's arrival
// events and its queue.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/hid_bus_posix.h"
#include "platform/system_error.h"
#include "umockdev/emulated_hidraw.h"

namespace {

constexpr std::uint16_t kVendor = 0x2E1A;
constexpr std::uint16_t kProduct = 0x030B;

// Vendor-defined reports of 64 bytes each way and a feature report of 64; numbered ones carry ID 3.
Bytes VendorDescriptor(bool numbered) {
    Bytes d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15,
               0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40};
    if (numbered) d.insert(d.end(), {0x85, 0x03});
    d.insert(d.end(), {0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0x09, 0x01, 0xB1, 0x02, 0xC0});
    return d;
}

// A boot keyboard: 8-byte input reports, 1-byte output reports.
const Bytes kKeyboardDescriptor = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

// Keeps what came over the wire; answers feature requests with a fixed report.
class RecordingFunction : public HidFunction {
  public:
    bool TakeOutputReport(std::span<const std::uint8_t> report) override {
        std::lock_guard lock(mutex_);
        outputs_.emplace_back(report.begin(), report.end());
        return true;
    }
    bool TakeFeatureReport(std::uint8_t reportId, std::span<const std::uint8_t> report) override {
        std::lock_guard lock(mutex_);
        features_.emplace_back(reportId, Bytes(report.begin(), report.end()));
        return true;
    }
    std::optional<Bytes> GiveFeatureReport(std::uint8_t reportId, std::size_t maxLength) override {
        std::lock_guard lock(mutex_);
        requested_.push_back(reportId);
        Bytes report = featureAnswer_;
        if (report.size() > maxLength) report.resize(maxLength);
        return report;
    }

    void AnswerFeaturesWith(Bytes report) {
        std::lock_guard lock(mutex_);
        featureAnswer_ = std::move(report);
    }
    std::vector<Bytes> Outputs() {
        std::lock_guard lock(mutex_);
        return outputs_;
    }
    std::vector<std::pair<std::uint8_t, Bytes>> Features() {
        std::lock_guard lock(mutex_);
        return features_;
    }
    std::vector<std::uint8_t> Requested() {
        std::lock_guard lock(mutex_);
        return requested_;
    }

  private:
    std::mutex mutex_;
    std::vector<Bytes> outputs_;
    std::vector<std::pair<std::uint8_t, Bytes>> features_;
    std::vector<std::uint8_t> requested_;
    Bytes featureAnswer_;
};

Bytes Pattern(std::size_t length, std::uint8_t first) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

Bytes Prefixed(std::uint8_t slot, const Bytes& rest) {
    Bytes bytes(rest.size() + 1, slot);
    std::copy(rest.begin(), rest.end(), bytes.begin() + 1);
    return bytes;
}

class HidrawBusTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(Testbed::Active()) << "run this program under umockdev-wrapper"; }

    EmulatedHidraw& Plug(HidrawIdentity identity, Bytes descriptor) {
        devices.push_back(
            std::make_unique<EmulatedHidraw>(testbed, identity, std::move(descriptor), function));
        devices.back()->Plug();
        return *devices.back();
    }
    std::unique_ptr<platform::HidDevice> Open(const EmulatedHidraw& device) {
        std::unique_ptr<platform::HidDevice> handle = bus.Open(device.Node());
        EXPECT_NE(handle, nullptr) << platform::SystemErrorText(platform::LastSystemError());
        return handle;
    }

    Testbed testbed;
    RecordingFunction function;
    std::vector<std::unique_ptr<EmulatedHidraw>> devices;
    platform::VirtualClock clock;
    platform::HidrawBus bus{clock};
};

TEST_F(HidrawBusTest, ListsTheHidrawNodesWithTheirIdentityAndReportLengths) {
    Plug({0x046D, 0xC31C, 0}, kKeyboardDescriptor);
    Plug({kVendor, kProduct, 1}, VendorDescriptor(false));
    ASSERT_EQ(bus.PresentInterfaces(), (std::vector<std::string>{"/dev/hidraw0", "/dev/hidraw1"}));

    const auto keyboard = Open(*devices[0]);
    const auto vendor = Open(*devices[1]);
    ASSERT_TRUE(keyboard && vendor);
    EXPECT_EQ(keyboard->Identity().vendorId, 0x046D);
    EXPECT_EQ(keyboard->Identity().productId, 0xC31C);
    EXPECT_EQ(vendor->Identity().vendorId, kVendor);
    EXPECT_EQ(vendor->Identity().productId, kProduct);
    const platform::HidReportLengths keys = keyboard->ReportLengths();
    EXPECT_EQ(keys.feature, 0);
    EXPECT_EQ(keys.input, 9);
    EXPECT_EQ(keys.output, 2);
    const platform::HidReportLengths lengths = vendor->ReportLengths();
    EXPECT_EQ(lengths.feature, 65);
    EXPECT_EQ(lengths.input, 65);
    EXPECT_EQ(lengths.output, 65);
}

TEST_F(HidrawBusTest, ANodeThatIsNotThereCannotBeOpened) {
    EXPECT_TRUE(bus.PresentInterfaces().empty());
    EXPECT_EQ(bus.Open("/dev/hidraw7"), nullptr);
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(ENOENT));
}

// hidraw leaves a report ID of 0 off the wire and reads unnumbered input reports without one; the backend
// keeps byte 0 as the slot Windows has there, 0 for such a device.
TEST_F(HidrawBusTest, UnnumberedReportsKeepAZeroSlotInByte0) {
    EmulatedHidraw& device = Plug({kVendor, kProduct, 0}, VendorDescriptor(false));
    const auto handle = Open(device);
    ASSERT_TRUE(handle);
    const Bytes data = Pattern(64, 0x40);

    EXPECT_TRUE(handle->WriteOutputReport(Prefixed(0, data)));
    EXPECT_TRUE(handle->SetFeatureReport(Prefixed(0, data)));
    ASSERT_EQ(function.Outputs(), (std::vector<Bytes>{data}));
    ASSERT_EQ(function.Features().size(), 1u);
    EXPECT_EQ(function.Features()[0].first, 0);
    EXPECT_EQ(function.Features()[0].second, data);

    device.SendInputReport(data);
    Bytes input(65, 0xEE);
    ASSERT_TRUE(handle->ReadInputReport(input, 1000));
    EXPECT_EQ(input, Prefixed(0, data));

    // A short answer: the rest of the buffer reads as zero, not as what it held.
    function.AnswerFeaturesWith({0xBB, 0x00, 0x17});
    Bytes feature(65, 0xEE);
    feature[0] = 0;
    ASSERT_TRUE(handle->GetFeatureReport(feature));
    Bytes expected(65, 0);
    expected[1] = 0xBB;
    expected[3] = 0x17;
    EXPECT_EQ(feature, expected);
    EXPECT_EQ(function.Requested(), (std::vector<std::uint8_t>{0}));
}

TEST_F(HidrawBusTest, NumberedReportsCarryTheirIdInByte0) {
    EmulatedHidraw& device = Plug({kVendor, kProduct, 0}, VendorDescriptor(true));
    const auto handle = Open(device);
    ASSERT_TRUE(handle);
    const Bytes report = Prefixed(3, Pattern(64, 0x10));

    EXPECT_TRUE(handle->WriteOutputReport(report));
    EXPECT_TRUE(handle->SetFeatureReport(report));
    EXPECT_EQ(function.Outputs(), (std::vector<Bytes>{report}));
    ASSERT_EQ(function.Features().size(), 1u);
    EXPECT_EQ(function.Features()[0].first, 3);

    device.SendInputReport(report);
    Bytes input(65, 0);
    ASSERT_TRUE(handle->ReadInputReport(input, 1000));
    EXPECT_EQ(input, report);

    function.AnswerFeaturesWith(report);
    Bytes feature(65, 0);
    feature[0] = 3;
    ASSERT_TRUE(handle->GetFeatureReport(feature));
    EXPECT_EQ(feature, report);
}

// What Windows refuses, or what hidraw would put on the wire wrongly, goes nowhere.
TEST_F(HidrawBusTest, RefusesAReportIdTheDeviceCannotHaveAndLengthsHidrawCannotCarry) {
    struct Case {
        const char* name;
        bool numbered;
        Bytes report;
        int error;
    };
    const Case cases[] = {
        {"an ID for an unnumbered device", false, Prefixed(12, Pattern(64, 0)), EINVAL},
        {"no ID for a numbered device", true, Prefixed(0, Pattern(64, 0)), EINVAL},
        {"nothing at all", false, {}, EINVAL},
        {"more than an ioctl can say", false, Bytes(16384, 0), EMSGSIZE},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto handle = Open(Plug({kVendor, kProduct, number++}, VendorDescriptor(c.numbered)));
        ASSERT_TRUE(handle);
        EXPECT_FALSE(handle->WriteOutputReport(c.report));
        EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(c.error));
        EXPECT_FALSE(handle->SetFeatureReport(c.report));
        Bytes buffer = c.report;
        EXPECT_FALSE(handle->GetFeatureReport(buffer));
    }
    EXPECT_TRUE(function.Outputs().empty());
    EXPECT_TRUE(function.Features().empty());
    EXPECT_TRUE(function.Requested().empty());
}

TEST_F(HidrawBusTest, AReadWaitsForAReportAtMostItsTimeOutAndCutsItToFit) {
    EmulatedHidraw& device = Plug({kVendor, kProduct, 0}, VendorDescriptor(true));
    const auto handle = Open(device);
    ASSERT_TRUE(handle);
    Bytes buffer(10, 0);
    EXPECT_FALSE(handle->ReadInputReport(buffer, 20));
    EXPECT_EQ(platform::LastSystemError(), platform::TimeoutError());

    const Bytes first = Prefixed(3, Pattern(64, 0x80));
    device.SendInputReport(first);
    device.SendInputReport(Prefixed(3, Pattern(64, 0x00)));
    ASSERT_TRUE(handle->ReadInputReport(buffer, 1000));
    EXPECT_EQ(buffer, Bytes(first.begin(), first.begin() + 10));
    ASSERT_TRUE(handle->ReadInputReport(buffer, 1000));
    EXPECT_EQ(buffer[1], 0x00) << "the rest of the first report was dropped, not read as the next";
    EXPECT_FALSE(handle->ReadInputReport(buffer, 0));
    EXPECT_EQ(device.Reads(), 2);

    // The node turns readable and yet there is nothing to read (as when another handle was quicker): the
    // read still ends at its time-out.
    const std::uint8_t wake = 1;
    ASSERT_EQ(::write(testbed.MasterOf(device.Node()), &wake, 1), 1);
    EXPECT_FALSE(handle->ReadInputReport(buffer, 20));
    EXPECT_EQ(platform::LastSystemError(), platform::TimeoutError());
}

TEST_F(HidrawBusTest, AHandleToAnUnpluggedDeviceFails) {
    EmulatedHidraw& device = Plug({kVendor, kProduct, 0}, VendorDescriptor(false));
    const auto handle = Open(device);
    ASSERT_TRUE(handle);
    ASSERT_EQ(handle->ReportLengths().input, 65);
    device.Unplug();

    EXPECT_TRUE(bus.PresentInterfaces().empty());
    EXPECT_EQ(handle->Identity().vendorId, 0);
    EXPECT_FALSE(handle->WriteOutputReport(Prefixed(0, Pattern(64, 0))));
    Bytes buffer(65, 0);
    EXPECT_FALSE(handle->ReadInputReport(buffer, 1000));
    EXPECT_NE(platform::LastSystemError(), platform::TimeoutError()) << "the failure shows at once";
    EXPECT_FALSE(handle->GetFeatureReport(buffer));
    EXPECT_EQ(bus.Open(device.Node()), nullptr);
}

TEST_F(HidrawBusTest, ADeviceWhoseDescriptorCannotBeParsedHasNoLengthsAndTakesNoReport) {
    const auto handle = Open(Plug({kVendor, kProduct, 0}, {0xA1, 0x01, 0x75, 0x08, 0x95, 0x40, 0x81, 0x02}));
    ASSERT_TRUE(handle);
    const platform::HidReportLengths lengths = handle->ReportLengths();
    EXPECT_EQ(lengths.feature + lengths.input + lengths.output, 0);
    EXPECT_EQ(platform::LastSystemError(), static_cast<platform::SystemErrorCode>(EBADMSG));
    EXPECT_EQ(handle->Identity().productId, kProduct) << "it is still the device it says it is";
    EXPECT_FALSE(handle->WriteOutputReport(Prefixed(0, Pattern(64, 0))));
    EXPECT_TRUE(function.Outputs().empty());
}

TEST_F(HidrawBusTest, CountsHidrawArrivalsOnlyWhileRegistered) {
    Plug({kVendor, kProduct, 0}, VendorDescriptor(false));
    EXPECT_EQ(bus.TakeArrivals(), 0);

    auto registration = bus.RegisterArrivals();
    ASSERT_NE(registration, nullptr) << platform::SystemErrorText(platform::LastSystemError());
    EmulatedHidraw& second = Plug({kVendor, kProduct, 1}, VendorDescriptor(false));
    testbed.Uevent(second.UsbSyspath(), "add");  // the USB device's own event is not a HID interface's
    devices[0]->Unplug();                        // a removal is no arrival
    EXPECT_EQ(bus.TakeArrivals(), 1);
    EXPECT_EQ(bus.TakeArrivals(), 0);

    // A second registration shares the first's; what arrived before the last one ends still counts.
    auto another = bus.RegisterArrivals();
    registration.reset();
    Plug({kVendor, kProduct, 2}, VendorDescriptor(false));
    another.reset();
    Plug({kVendor, kProduct, 3}, VendorDescriptor(false));
    EXPECT_EQ(bus.TakeArrivals(), 1);
}

TEST_F(HidrawBusTest, NoPendingInstallationWhenUdevsQueueIsEmpty) {
    EXPECT_TRUE(bus.WaitForPendingInstallation(30000));
    EXPECT_EQ(clock.NowMs(), 0u);
}

}  // namespace
