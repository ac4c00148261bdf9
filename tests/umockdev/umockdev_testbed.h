// A umockdev test bed for one test: an empty /sys, /dev and udev database that this process (run under
// umockdev-wrapper) sees instead of the machine's, and the calls that change it.
#pragma once

#include <string>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

class Testbed {
  public:
    Testbed();
    ~Testbed();
    Testbed(const Testbed&) = delete;
    Testbed& operator=(const Testbed&) = delete;

    // Whether this process runs with umockdev's preload library, without which nothing here is seen.
    static bool Active();

    // Adds devices described in umockdev-record's format; a device with an "N:" line gets a node.
    void AddDevices(const std::string& record);
    void RemoveDevice(const std::string& syspath);
    // Sends udev's event for a device ("add", "remove", "change") to every udev monitor of the process.
    void Uevent(const std::string& syspath, const std::string& action);
    // Lets handler answer the ioctls, reads and writes on node.
    void Attach(const std::string& node, UMockdevIoctlBase* handler);
    void Detach(const std::string& node);
    // The node's terminal: the master end, which the test bed owns, and the path of the end a program opens.
    int MasterOf(const std::string& node);
    std::string TerminalOf(const std::string& node);

  private:
    UMockdevTestbed* testbed_;
};
