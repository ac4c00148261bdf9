// One USB HID device in a umockdev test bed, as the kernel presents it: its sysfs and udev records (USB
// device, interface, HID device, hidraw node), and the hidraw driver's side of every ioctl, read and write on
// the node. What goes over the wire is handed to a HidFunction, the device itself. Plugging and unplugging
// send udev's events; a handle opened before an unplug fails from then on, as the kernel's does.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "umockdev/umockdev_testbed.h"

using Bytes = std::vector<std::uint8_t>;

typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

// A device's reports as they travel over USB: a numbered report begins with its report ID, an unnumbered
// one has none. Called on umockdev's worker thread.
class HidFunction {
  public:
    virtual ~HidFunction() = default;
    // False: the device stalls the transfer.
    virtual bool TakeOutputReport(std::span<const std::uint8_t> report) = 0;
    virtual bool TakeFeatureReport(std::uint8_t reportId, std::span<const std::uint8_t> report) = 0;
    // At most maxLength bytes; nothing: the device stalls.
    virtual std::optional<Bytes> GiveFeatureReport(std::uint8_t reportId, std::size_t maxLength) = 0;
};

struct HidrawIdentity {
    std::uint16_t vendorId;
    std::uint16_t productId;
    int number;  // N of /dev/hidrawN and of the HID device; one test bed never reuses one
};

class EmulatedHidraw {
  public:
    EmulatedHidraw(Testbed& testbed, HidrawIdentity identity, Bytes descriptor, HidFunction& function);
    ~EmulatedHidraw();
    EmulatedHidraw(const EmulatedHidraw&) = delete;
    EmulatedHidraw& operator=(const EmulatedHidraw&) = delete;

    void Plug();
    void Unplug();
    // The device sends an input report (interrupt in); the driver queues it for read(). One queue serves
    // every handle (the kernel gives each its own copy), which is all one handle at a time needs.
    void SendInputReport(Bytes report);

    std::string Node() const { return "/dev/hidraw" + std::to_string(identity_.number); }
    std::string Syspath() const;
    std::string UsbSyspath() const;
    // How often a handle read from the queue, and wrote to the device.
    int Reads() const { return reads_; }
    int Writes() const { return writes_; }

  private:
    static int OnIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, EmulatedHidraw* self);
    static int OnRead(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, EmulatedHidraw* self);
    static int OnWrite(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, EmulatedHidraw* self);
    void Ioctl(UMockdevIoctlClient* client);
    void Read(UMockdevIoctlClient* client);
    void Write(UMockdevIoctlClient* client);
    std::string Record() const;

    Testbed& testbed_;
    HidrawIdentity identity_;
    Bytes descriptor_;
    HidFunction& function_;
    UMockdevIoctlBase* handler_;
    bool plugged_ = false;
    std::atomic<bool> present_{false};
    int doorbell_ = -1;  // the program's end of the node's terminal: one byte waits there per queued report

    std::mutex mutex_;
    std::deque<Bytes> queue_;
    std::atomic<int> reads_{0};
    std::atomic<int> writes_{0};
};
