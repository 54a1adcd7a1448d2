#include "device_nodes.h"

#include <windows.h>
// After windows.h:
#include <newdev.h>
#include <setupapi.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_hid_bus.h"

namespace t47::wine_mouse {
namespace {

std::wstring InstanceId(MouseInterface mouseInterface) {
    return L"ROOT\\VID_1B80&PID_B412&COL0" + std::to_wstring(static_cast<int>(mouseInterface)) +
           L"\\0000";
}

// A REG_MULTI_SZ of one string: its own zero and the list's.
std::wstring HardwareIds(MouseInterface mouseInterface) {
    std::wstring ids = L"T47VMOUSE\\COL0" + std::to_wstring(static_cast<int>(mouseInterface));
    ids.push_back(L'\0');
    ids.push_back(L'\0');
    return ids;
}

class DeviceInfoList {
  public:
    DeviceInfoList() : set(SetupDiCreateDeviceInfoList(nullptr, nullptr)) {}
    ~DeviceInfoList() {
        if (set != INVALID_HANDLE_VALUE) {
            SetupDiDestroyDeviceInfoList(set);
        }
    }
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;

    HDEVINFO set;
};

// True when the node exists afterwards, registered now or before.
bool RegisterNode(MouseInterface mouseInterface) {
    DeviceInfoList list;
    if (list.set == INVALID_HANDLE_VALUE) {
        return false;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    static constexpr GUID kNoClass{};
    if (!SetupDiCreateDeviceInfoW(list.set, InstanceId(mouseInterface).c_str(), &kNoClass, nullptr,
                                  nullptr, 0, &device)) {
        return GetLastError() == ERROR_DEVINST_ALREADY_EXISTS;
    }
    const std::wstring ids = HardwareIds(mouseInterface);
    return SetupDiSetDeviceRegistryPropertyW(list.set, &device, SPDRP_HARDWAREID,
                                             reinterpret_cast<const BYTE*>(ids.data()),
                                             static_cast<DWORD>(ids.size() * sizeof(wchar_t))) &&
           SetupDiCallClassInstaller(DIF_REGISTERDEVICE, list.set, &device);
}

}  // namespace

std::filesystem::path BuildDriverPackage() {
    return std::filesystem::path(T47_WINE_MOUSE_INF).make_preferred();
}

bool InstallDeviceNodes(std::span<const MouseInterface> interfaces,
                        const std::filesystem::path& infFile) {
    const std::filesystem::path inf = std::filesystem::absolute(infFile);
    for (const MouseInterface mouseInterface : interfaces) {
        BOOL rebootNeeded = FALSE;
        if (!RegisterNode(mouseInterface) ||
            !UpdateDriverForPlugAndPlayDevicesW(nullptr, HardwareIds(mouseInterface).c_str(),
                                                inf.c_str(), INSTALLFLAG_FORCE, &rebootNeeded)) {
            return false;
        }
    }
    return true;
}

bool RemoveDeviceNodes(std::span<const MouseInterface> interfaces) {
    bool removed = true;
    for (const MouseInterface mouseInterface : interfaces) {
        DeviceInfoList list;
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (list.set != INVALID_HANDLE_VALUE &&
            SetupDiOpenDeviceInfoW(list.set, InstanceId(mouseInterface).c_str(), nullptr, 0,
                                   &device) &&
            !SetupDiCallClassInstaller(DIF_REMOVE, list.set, &device)) {
            removed = false;
        }
    }
    return removed;
}

std::vector<MouseInterface> InstalledNodes() {
    std::vector<MouseInterface> installed;
    for (const MouseInterface mouseInterface : kAllInterfaces) {
        DeviceInfoList list;
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (list.set != INVALID_HANDLE_VALUE &&
            SetupDiOpenDeviceInfoW(list.set, InstanceId(mouseInterface).c_str(), nullptr, 0,
                                   &device)) {
            installed.push_back(mouseInterface);
        }
    }
    return installed;
}

std::vector<MouseInterface> ListedInterfaces() {
    std::vector<MouseInterface> listed;
    std::vector<std::u16string> paths = Win32HidBus().ListInterfaces();
    for (std::u16string& path : paths) {
        std::transform(path.begin(), path.end(), path.begin(),
                       [](char16_t c) { return static_cast<char16_t>(std::towlower(c)); });
    }
    for (const MouseInterface mouseInterface : kAllInterfaces) {
        // hidclass names an interface after its node: \\?\hid#vid_1b80&pid_b412&col01#0000#{...}
        const std::u16string name = u"#vid_1b80&pid_b412&" + CollectionName(mouseInterface) + u"#";
        if (std::any_of(paths.begin(), paths.end(), [&](const std::u16string& path) {
                return path.find(name) != std::u16string::npos;
            })) {
            listed.push_back(mouseInterface);
        }
    }
    return listed;
}

bool WaitForInterfaces(std::span<const MouseInterface> interfaces, bool listed,
                       std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const std::vector<MouseInterface> now = ListedInterfaces();
        if (std::all_of(interfaces.begin(), interfaces.end(), [&](MouseInterface mouseInterface) {
                return (std::find(now.begin(), now.end(), mouseInterface) != now.end()) == listed;
            })) {
            return true;
        }
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace t47::wine_mouse
