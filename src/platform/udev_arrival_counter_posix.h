// Counts the hidraw devices that udev announces as added, while at least one registration lasts.
#pragma once

struct udev;
struct udev_monitor;

namespace platform {

class UdevArrivalCounter {
  public:
    explicit UdevArrivalCounter(udev* context);  // keeps its own reference to context
    ~UdevArrivalCounter();
    UdevArrivalCounter(const UdevArrivalCounter&) = delete;
    UdevArrivalCounter& operator=(const UdevArrivalCounter&) = delete;

    // The first registration starts listening; false, with the system's error recorded, when it cannot.
    bool AddRegistration();
    // The last one stops listening; what arrived until then is still counted.
    void RemoveRegistration();
    // The arrivals counted since the last call.
    int TakeArrivals();

  private:
    void CountPendingEvents();

    udev* udev_;
    udev_monitor* monitor_ = nullptr;
    int registrations_ = 0;
    int arrivals_ = 0;
};

}  // namespace platform
