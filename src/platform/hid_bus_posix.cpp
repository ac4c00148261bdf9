#include "platform/hid_bus_posix.h"

#include <fcntl.h>
#include <libudev.h>

#include <cerrno>

#include "platform/hidraw_device_posix.h"
#include "platform/system_error.h"
#include "platform/udev_arrival_counter_posix.h"
#include "platform/wait_until.h"

namespace platform {
namespace {

constexpr std::uint32_t kQueuePollMs = 100;

class ArrivalRegistration : public HidArrivalRegistration {
  public:
    explicit ArrivalRegistration(std::shared_ptr<UdevArrivalCounter> counter)
        : counter_(std::move(counter)) {}
    ~ArrivalRegistration() override { counter_->RemoveRegistration(); }
    ArrivalRegistration(const ArrivalRegistration&) = delete;
    ArrivalRegistration& operator=(const ArrivalRegistration&) = delete;

  private:
    std::shared_ptr<UdevArrivalCounter> counter_;
};

}  // namespace

HidrawBus::HidrawBus(Clock& clock)
    : clock_(clock), udev_(udev_new()), arrivals_(std::make_shared<UdevArrivalCounter>(udev_)) {}

HidrawBus::~HidrawBus() {
    udev_unref(udev_);
}

std::vector<std::string> HidrawBus::PresentInterfaces() {
    std::vector<std::string> nodes;
    udev_enumerate* enumeration = udev_ ? udev_enumerate_new(udev_) : nullptr;
    if (!enumeration) {
        SetLastSystemError(static_cast<SystemErrorCode>(errno ? errno : ENOMEM));
        return nodes;
    }
    udev_enumerate_add_match_subsystem(enumeration, "hidraw");
    udev_enumerate_scan_devices(enumeration);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration)) {
        udev_device* device = udev_device_new_from_syspath(udev_, udev_list_entry_get_name(entry));
        if (!device) continue;  // gone since the scan
        if (const char* node = udev_device_get_devnode(device)) nodes.emplace_back(node);
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumeration);
    return nodes;
}

std::unique_ptr<HidDevice> HidrawBus::Open(const std::string& path) {
    // Non-blocking, so that a read waits only as long as its time-out.
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        SetLastSystemError(static_cast<SystemErrorCode>(errno));
        return nullptr;
    }
    return std::make_unique<HidrawDevice>(fd);
}

std::unique_ptr<HidArrivalRegistration> HidrawBus::RegisterArrivals() {
    if (!arrivals_->AddRegistration()) return nullptr;
    return std::make_unique<ArrivalRegistration>(arrivals_);
}

int HidrawBus::TakeArrivals() {
    return arrivals_->TakeArrivals();
}

bool HidrawBus::WaitForPendingInstallation(std::uint32_t timeoutMs) {
    udev_queue* queue = udev_ ? udev_queue_new(udev_) : nullptr;
    if (!queue) return true;  // nothing to ask: as on Windows, only a time-out counts as pending
    const bool settled = WaitUntil(clock_, timeoutMs, kQueuePollMs,
                                   [queue] { return udev_queue_get_queue_is_empty(queue) != 0; });
    udev_queue_unref(queue);
    if (!settled) SetLastSystemError(TimeoutError());
    return settled;
}

}  // namespace platform
