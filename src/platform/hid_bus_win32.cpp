#include "platform/hid_bus_win32.h"

#include <cstring>

#include "platform/hid_device_win32.h"
#include "platform/hid_headers_win32.h"
#include "platform/system_error.h"
#include "platform/wait_until.h"

namespace platform {
namespace {

constexpr std::uint32_t kInstallationPollMs = 100;

class Registration : public HidArrivalRegistration {
  public:
    explicit Registration(HDEVNOTIFY handle) : handle_(handle) {}
    ~Registration() override { ::UnregisterDeviceNotification(handle_); }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

  private:
    HDEVNOTIFY handle_;
};

// The device path of one interface: the detail record is asked for its size first, then fetched at that size,
// with its size field as the platform's word size requires.
std::string DevicePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData) {
    DWORD required = 0;
    ::SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return {};
    // Storage aligned for the record's size field.
    std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!::SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, detail, required, nullptr, nullptr))
        return {};
    return detail->DevicePath;
}

}  // namespace

std::vector<std::string> Win32HidBus::PresentInterfaces() {
    std::vector<std::string> paths;
    GUID hidClass;
    ::HidD_GetHidGuid(&hidClass);
    const HDEVINFO set =
        ::SetupDiGetClassDevsA(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return paths;  // as a bus without devices
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD index = 0; ::SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &interfaceData);
         ++index) {
        std::string path = DevicePath(set, interfaceData);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return paths;
}

std::unique_ptr<HidDevice> Win32HidBus::Open(const std::string& path) {
    return Win32HidDevice::Open(path);
}

std::unique_ptr<HidArrivalRegistration> Win32HidBus::RegisterArrivals() {
    HWND window = notificationWindow_;
    if (window == nullptr) {
        if (!counter_) counter_ = std::make_unique<ArrivalCounterWindow>();
        window = counter_->Handle();
        if (window == nullptr) return nullptr;
    }
    DEV_BROADCAST_DEVICEINTERFACE_A filter;
    std::memset(&filter, 0, sizeof filter);
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    ::HidD_GetHidGuid(&filter.dbcc_classguid);
    const HDEVNOTIFY handle = ::RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (handle == nullptr) return nullptr;
    return std::make_unique<Registration>(handle);
}

int Win32HidBus::TakeArrivals() {
    return counter_ ? counter_->Take() : 0;
}

// Only a time-out counts as pending; any other answer of the configuration manager counts as settled.
bool Win32HidBus::WaitForPendingInstallation(std::uint32_t timeoutMs) {
    const bool settled = WaitUntil(clock_, timeoutMs, kInstallationPollMs,
                                   [] { return ::CMP_WaitNoPendingInstallEvents(0) != WAIT_TIMEOUT; });
    if (!settled) SetLastSystemError(TimeoutError());
    return settled;
}

}  // namespace platform
