#include "platform/udev_arrival_counter_posix.h"

#include <libudev.h>
#include <poll.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/system_error.h"

namespace platform {
namespace {

// libudev's calls return a negative errno.
void RecordFailure(int result) {
    SetLastSystemError(static_cast<SystemErrorCode>(result < 0 ? -result : EIO));
}

}  // namespace

UdevArrivalCounter::UdevArrivalCounter(udev* context) : udev_(udev_ref(context)) {}

UdevArrivalCounter::~UdevArrivalCounter() {
    udev_monitor_unref(monitor_);
    udev_unref(udev_);
}

bool UdevArrivalCounter::AddRegistration() {
    if (registrations_ == 0) {
        // The "udev" source, not the kernel's: an event comes once the node exists with its access rights.
        udev_monitor* monitor = udev_ ? udev_monitor_new_from_netlink(udev_, "udev") : nullptr;
        if (!monitor) {
            RecordFailure(-errno);
            return false;
        }
        int result = udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr);
        if (result >= 0) result = udev_monitor_enable_receiving(monitor);
        if (result < 0) {
            RecordFailure(result);
            udev_monitor_unref(monitor);
            return false;
        }
        monitor_ = monitor;
    }
    ++registrations_;
    return true;
}

void UdevArrivalCounter::RemoveRegistration() {
    if (registrations_ == 0) return;
    CountPendingEvents();
    if (--registrations_ == 0) monitor_ = udev_monitor_unref(monitor_);
}

int UdevArrivalCounter::TakeArrivals() {
    CountPendingEvents();
    return std::exchange(arrivals_, 0);
}

void UdevArrivalCounter::CountPendingEvents() {
    if (!monitor_) return;
    pollfd pending{udev_monitor_get_fd(monitor_), POLLIN, 0};
    while (::poll(&pending, 1, 0) > 0 && (pending.revents & POLLIN) != 0) {
        udev_device* device = udev_monitor_receive_device(monitor_);
        if (!device) break;  // nothing from udev after all (libudev drops messages from elsewhere)
        const char* action = udev_device_get_action(device);
        if (action && std::strcmp(action, "add") == 0) ++arrivals_;
        udev_device_unref(device);
    }
}

}  // namespace platform
