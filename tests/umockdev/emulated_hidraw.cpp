#include "umockdev/emulated_hidraw.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int kHidrawMajor = 243;
constexpr int kBusUsb = 3;

struct DataUnref {
    void operator()(UMockdevIoctlData* data) const { g_object_unref(data); }
};
using ResolvedData = std::unique_ptr<UMockdevIoctlData, DataUnref>;

// The client's memory that the ioctl's argument points to, copied here and written back on completion.
ResolvedData Resolve(UMockdevIoctlClient* client, std::size_t length) {
    return ResolvedData(
        umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, length, nullptr));
}

void Complete(UMockdevIoctlClient* client, long result, int error = 0) {
    umockdev_ioctl_client_complete(client, result, error);
}

std::string Hex(std::uint32_t value, int digits, bool upper) {
    char text[16];
    std::snprintf(text, sizeof text, upper ? "%0*X" : "%0*x", digits, value);
    return text;
}

// One device's record: its lines, and the empty line that ends it.
std::string Paragraph(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text + "\n";
}

std::string HexBytes(const Bytes& bytes) {
    std::string text;
    for (std::uint8_t b : bytes) text += Hex(b, 2, true);
    return text;
}

}  // namespace

EmulatedHidraw::EmulatedHidraw(Testbed& testbed, HidrawIdentity identity, Bytes descriptor,
                               HidFunction& function)
    : testbed_(testbed),
      identity_(identity),
      descriptor_(std::move(descriptor)),
      function_(function),
      handler_(umockdev_ioctl_base_new()) {
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(OnIoctl), this);
    g_signal_connect(handler_, "handle-read", G_CALLBACK(OnRead), this);
    g_signal_connect(handler_, "handle-write", G_CALLBACK(OnWrite), this);
}

EmulatedHidraw::~EmulatedHidraw() {
    if (present_) Unplug();
    // Handles still open fall back to umockdev's defaults rather than reach this object.
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
    if (doorbell_ >= 0) ::close(doorbell_);
}

std::string EmulatedHidraw::UsbSyspath() const {
    return "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(identity_.number + 1);
}

std::string EmulatedHidraw::Syspath() const {
    return UsbSyspath() + "/" + UsbSyspath().substr(UsbSyspath().rfind('/') + 1) +
           ":1.0/0003:" + Hex(identity_.vendorId, 4, true) + ":" + Hex(identity_.productId, 4, true) + "." +
           Hex(static_cast<std::uint32_t>(identity_.number + 1), 4, true) + "/hidraw/hidraw" +
           std::to_string(identity_.number);
}

// As umockdev-record writes a real device's records, the parents first.
std::string EmulatedHidraw::Record() const {
    const std::string usb = UsbSyspath().substr(4);  // without /sys
    const std::string interface = usb + "/" + usb.substr(usb.rfind('/') + 1) + ":1.0";
    const std::string hidraw = Syspath().substr(4);
    const std::string hid = hidraw.substr(0, hidraw.find("/hidraw/"));
    const std::string minor = std::to_string(identity_.number);
    const std::string node = std::to_string(kHidrawMajor) + ":" + minor;
    return Paragraph({"P: " + usb, "E: SUBSYSTEM=usb", "E: DEVTYPE=usb_device",
                      "A: idVendor=" + Hex(identity_.vendorId, 4, false),
                      "A: idProduct=" + Hex(identity_.productId, 4, false), "A: busnum=1",
                      "A: devnum=" + std::to_string(identity_.number + 2)}) +
           Paragraph(
               {"P: " + interface, "E: SUBSYSTEM=usb", "E: DEVTYPE=usb_interface", "A: bInterfaceClass=03"}) +
           Paragraph({"P: " + hid, "E: SUBSYSTEM=hid",
                      "E: HID_ID=0003:0000" + Hex(identity_.vendorId, 4, true) + ":0000" +
                          Hex(identity_.productId, 4, true),
                      "H: report_descriptor=" + HexBytes(descriptor_)}) +
           Paragraph({"P: " + hidraw, "N: hidraw" + minor, "E: SUBSYSTEM=hidraw",
                      "E: DEVNAME=/dev/hidraw" + minor, "E: MAJOR=" + std::to_string(kHidrawMajor),
                      "E: MINOR=" + minor, "A: dev=" + node});
}

void EmulatedHidraw::Plug() {
    if (plugged_) return;  // a device is plugged once; it comes back as a new one
    plugged_ = true;
    present_ = true;
    testbed_.Attach(Node(), handler_);
    testbed_.AddDevices(Record());  // umockdev sends udev's "add" events for the new devices
    doorbell_ = ::open(testbed_.TerminalOf(Node()).c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

void EmulatedHidraw::Unplug() {
    if (!present_) return;
    present_ = false;
    testbed_.Uevent(Syspath(), "remove");  // umockdev removes devices without a word
    // A handle still open sees the node readable, and then the failure, as when the kernel hangs up.
    const std::uint8_t bell = 1;
    if (::write(testbed_.MasterOf(Node()), &bell, 1) != 1) std::perror("doorbell");
    testbed_.Detach(Node());
    testbed_.RemoveDevice(Syspath());
    testbed_.RemoveDevice(UsbSyspath());
}

void EmulatedHidraw::SendInputReport(Bytes report) {
    std::lock_guard lock(mutex_);
    if (!present_) return;
    queue_.push_back(std::move(report));
    const std::uint8_t bell = 1;
    if (::write(testbed_.MasterOf(Node()), &bell, 1) != 1) std::perror("doorbell");
}

int EmulatedHidraw::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, EmulatedHidraw* self) {
    self->Ioctl(client);
    return TRUE;
}

int EmulatedHidraw::OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, EmulatedHidraw* self) {
    self->Read(client);
    return TRUE;
}

int EmulatedHidraw::OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, EmulatedHidraw* self) {
    self->Write(client);
    return TRUE;
}

void EmulatedHidraw::Ioctl(UMockdevIoctlClient* client) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    if (!present_) return Complete(client, -1, ENODEV);
    const std::size_t length = _IOC_SIZE(request);

    if (request == HIDIOCGRDESCSIZE) {
        const ResolvedData size = Resolve(client, sizeof(int));
        const int value = static_cast<int>(descriptor_.size());
        std::memcpy(size->data, &value, sizeof value);
        return Complete(client, 0);
    }
    if (request == HIDIOCGRDESC) {
        const ResolvedData descriptor = Resolve(client, sizeof(hidraw_report_descriptor));
        auto* out = reinterpret_cast<hidraw_report_descriptor*>(descriptor->data);
        if (out->size > HID_MAX_DESCRIPTOR_SIZE - 1) return Complete(client, -1, EINVAL);
        std::memcpy(out->value, descriptor_.data(), std::min<std::size_t>(out->size, descriptor_.size()));
        return Complete(client, 0);
    }
    if (request == HIDIOCGRAWINFO) {
        const ResolvedData info = Resolve(client, sizeof(hidraw_devinfo));
        const hidraw_devinfo value{kBusUsb, static_cast<__s16>(identity_.vendorId),
                                   static_cast<__s16>(identity_.productId)};
        std::memcpy(info->data, &value, sizeof value);
        return Complete(client, 0);
    }
    if (request == HIDIOCSFEATURE(length) && length > 0) {
        const ResolvedData buffer = Resolve(client, length);
        const std::uint8_t id = buffer->data[0];
        // usbhid leaves a report ID of 0 off the wire.
        const std::span<const std::uint8_t> report(buffer->data + (id == 0 ? 1 : 0),
                                                   length - (id == 0 ? 1 : 0));
        if (!function_.TakeFeatureReport(id, report)) return Complete(client, -1, EPIPE);
        return Complete(client, static_cast<long>(length));
    }
    if (request == HIDIOCGFEATURE(length) && length > 0) {
        const ResolvedData buffer = Resolve(client, length);
        const std::uint8_t id = buffer->data[0];
        // A report ID of 0 is not on the wire: usbhid keeps byte 0 and puts the report after it.
        const std::size_t skipped = id == 0 ? 1 : 0;
        const std::optional<Bytes> report = function_.GiveFeatureReport(id, length - skipped);
        if (!report) return Complete(client, -1, EPIPE);
        const std::size_t n = std::min(report->size(), length - skipped);
        std::memcpy(buffer->data + skipped, report->data(), n);
        return Complete(client, static_cast<long>(n + skipped));
    }
    Complete(client, -1, ENOTTY);
}

void EmulatedHidraw::Read(UMockdevIoctlClient* client) {
    UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
    if (!present_) return Complete(client, -1, EIO);
    Bytes report;
    {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) return Complete(client, -1, EAGAIN);  // handles are opened non-blocking
        report = std::move(queue_.front());
        queue_.pop_front();
        std::uint8_t bell = 0;
        if (::read(doorbell_, &bell, 1) != 1) std::perror("doorbell");
    }
    ++reads_;
    // hidraw hands over what the device sent, cut to the reader's buffer.
    const std::size_t n = std::min(report.size(), static_cast<std::size_t>(buffer->data_len));
    umockdev_ioctl_data_update(buffer, 0, report.data(), static_cast<gint>(n));
    Complete(client, static_cast<long>(n));
}

void EmulatedHidraw::Write(UMockdevIoctlClient* client) {
    UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
    if (!present_) return Complete(client, -1, ENODEV);
    const std::size_t length = static_cast<std::size_t>(buffer->data_len);
    if (length == 0) return Complete(client, -1, EINVAL);
    ++writes_;
    // As usbhid sends an output report: a report ID of 0 stays off the wire.
    const std::size_t skipped = buffer->data[0] == 0 ? 1 : 0;
    if (!function_.TakeOutputReport(std::span<const std::uint8_t>(buffer->data + skipped, length - skipped)))
        return Complete(client, -1, EPIPE);
    Complete(client, static_cast<long>(length));
}
