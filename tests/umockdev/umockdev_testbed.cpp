#include "umockdev/umockdev_testbed.h"

#include <umockdev.h>
#include <unistd.h>

#include <climits>
#include <stdexcept>

namespace {

void ThrowOn(GError* error, const std::string& what) {
    if (!error) return;
    const std::string message = what + ": " + error->message;
    g_error_free(error);
    throw std::runtime_error(message);
}

}  // namespace

Testbed::Testbed() : testbed_(umockdev_testbed_new()) {}

Testbed::~Testbed() {
    g_object_unref(testbed_);
}

bool Testbed::Active() {
    return umockdev_in_mock_environment();
}

void Testbed::AddDevices(const std::string& record) {
    GError* error = nullptr;
    umockdev_testbed_add_from_string(testbed_, record.c_str(), &error);
    ThrowOn(error, "cannot add devices");
}

void Testbed::RemoveDevice(const std::string& syspath) {
    umockdev_testbed_remove_device(testbed_, syspath.c_str());
}

void Testbed::Uevent(const std::string& syspath, const std::string& action) {
    umockdev_testbed_uevent(testbed_, syspath.c_str(), action.c_str());
}

void Testbed::Attach(const std::string& node, UMockdevIoctlBase* handler) {
    GError* error = nullptr;
    umockdev_testbed_attach_ioctl(testbed_, node.c_str(), handler, &error);
    ThrowOn(error, "cannot attach to " + node);
}

void Testbed::Detach(const std::string& node) {
    GError* error = nullptr;
    umockdev_testbed_detach_ioctl(testbed_, node.c_str(), &error);
    ThrowOn(error, "cannot detach from " + node);
}

int Testbed::MasterOf(const std::string& node) {
    return umockdev_testbed_get_dev_fd(testbed_, node.c_str());
}

std::string Testbed::TerminalOf(const std::string& node) {
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    const std::string link = std::string(root) + node;
    g_free(root);
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n < 0) throw std::runtime_error(node + " is not a terminal of the test bed");
    return std::string(target, static_cast<std::size_t>(n));
}
