#include "platform/win32/win32_hid_bus.h"

#include "platform/win32/win32_handles.h"
// After windows.h:
#include <dbt.h>
// hid.dll's header declares its functions without C linkage.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <limits>

namespace t47 {
namespace {

HANDLE SystemHandle(HidHandle handle) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
}

bool IsOpen(HidHandle handle) {
    return handle != kInvalidHidHandle;
}

// hid.dll and ReadFile count in ULONG/DWORD; a longer buffer cannot be passed whole.
bool FitsOneCall(std::size_t size) {
    return size <= std::numeric_limits<DWORD>::max();
}

GUID HidInterfaceClass() {
    GUID hidClass;
    HidD_GetHidGuid(&hidClass);
    return hidClass;
}

std::u16string InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        return {};
    }
    // The record's storage, aligned as the record.
    std::vector<std::uint64_t> storage((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, size, nullptr, nullptr)) {
        return {};
    }
    return Utf16FromWide(detail->DevicePath);
}

// The event of one overlapped read.
class ReadEvent {
  public:
    ReadEvent() : event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~ReadEvent() {
        if (event != nullptr) {
            CloseHandle(event);
        }
    }
    ReadEvent(const ReadEvent&) = delete;
    ReadEvent& operator=(const ReadEvent&) = delete;

    HANDLE event;
};

}  // namespace

std::vector<std::u16string> Win32HidBus::ListInterfaces() {
    std::vector<std::u16string> paths;
    GUID hidClass = HidInterfaceClass();
    const HDEVINFO set =
        SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        return paths;
    }
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD index = 0;
         SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &interfaceData); ++index) {
        std::u16string path = InterfacePath(set, interfaceData);
        if (!path.empty()) {
            paths.push_back(std::move(path));
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return paths;
}

HidHandle Win32HidBus::Open(std::u16string_view path) {
    const std::wstring name = WideCString(path);
    if (name.empty()) {
        return kInvalidHidHandle;
    }
    const HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return kInvalidHidHandle;
    }
    return static_cast<HidHandle>(reinterpret_cast<std::uintptr_t>(handle));
}

std::optional<HidCapabilities> Win32HidBus::Capabilities(HidHandle handle) {
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!IsOpen(handle) || !HidD_GetPreparsedData(SystemHandle(handle), &preparsed)) {
        return std::nullopt;
    }
    HIDP_CAPS caps{};
    const NTSTATUS status = HidP_GetCaps(preparsed, &caps);
    HidD_FreePreparsedData(preparsed);
    if (status != HIDP_STATUS_SUCCESS) {
        return std::nullopt;
    }
    return HidCapabilities{caps.InputReportByteLength, caps.FeatureReportByteLength};
}

std::optional<HidAttributes> Win32HidBus::Attributes(HidHandle handle) {
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    static_assert(sizeof(HIDD_ATTRIBUTES) == 12);
    if (!IsOpen(handle) || !HidD_GetAttributes(SystemHandle(handle), &attributes)) {
        return std::nullopt;
    }
    return HidAttributes{attributes.VendorID, attributes.ProductID};
}

bool Win32HidBus::SetFeature(HidHandle handle, std::span<const std::uint8_t> report) {
    // HidD_SetFeature only reads the buffer, though it takes it as non-const.
    return IsOpen(handle) && !report.empty() && FitsOneCall(report.size()) &&
           HidD_SetFeature(SystemHandle(handle), const_cast<std::uint8_t*>(report.data()),
                           static_cast<ULONG>(report.size()));
}

bool Win32HidBus::GetFeature(HidHandle handle, std::span<std::uint8_t> report) {
    return IsOpen(handle) && !report.empty() && FitsOneCall(report.size()) &&
           HidD_GetFeature(SystemHandle(handle), report.data(), static_cast<ULONG>(report.size()));
}

std::size_t Win32HidBus::ReadInputReport(HidHandle handle, std::span<std::uint8_t> buffer,
                                         std::stop_token stop) {
    if (!IsOpen(handle) || buffer.empty() || stop.stop_requested()) {
        return 0;
    }
    const ReadEvent read;
    if (read.event == nullptr) {
        return 0;
    }
    const HANDLE file = SystemHandle(handle);
    OVERLAPPED overlapped{};
    overlapped.hEvent = read.event;
    const DWORD length = FitsOneCall(buffer.size()) ? static_cast<DWORD>(buffer.size())
                                                    : std::numeric_limits<DWORD>::max();
    if (!ReadFile(file, buffer.data(), length, nullptr, &overlapped)) {
        if (GetLastError() != ERROR_IO_PENDING) {
            return 0;
        }
        // Registered once the read is pending: a stop requested before runs the cancel here
        // and now, one requested later runs it on the requesting thread; either way the wait
        // below ends. The read must end before `overlapped` and the buffer go out of scope.
        const std::stop_callback cancel(stop,
                                        [file, &overlapped] { CancelIoEx(file, &overlapped); });
        WaitForSingleObject(read.event, INFINITE);
    }
    DWORD count = 0;
    // Another thread may have closed the handle meanwhile: without waiting, the result comes
    // from `overlapped` alone.
    if (!GetOverlappedResult(file, &overlapped, &count, FALSE)) {
        return 0;
    }
    return count;
}

void Win32HidBus::Close(HidHandle handle) {
    if (IsOpen(handle)) {
        CloseHandle(SystemHandle(handle));
    }
}

NoticeRegistration Win32HidBus::RegisterDeviceNotices(WindowHandle window) {
    if (window == kNoWindow) {
        return kNoRegistration;  // the system would take it as no recipient at all
    }
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    static_assert(sizeof filter == 32);
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;  // 5
    filter.dbcc_classguid = HidInterfaceClass();
    const HDEVNOTIFY registration =
        RegisterDeviceNotificationW(SystemWindow(window), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    return static_cast<NoticeRegistration>(reinterpret_cast<std::uintptr_t>(registration));
}

}  // namespace t47
