#include "virtual_mouse.h"

#include <windows.h>
// After windows.h:
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "device_nodes.h"
#include "mouse_control_codes.h"
#include "protocol/button_macro_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"

namespace t47::wine_mouse {
namespace {

using namespace std::chrono_literals;

// Plugging waits for the system to list the interfaces (about 20 ms here); this is the limit.
constexpr auto kPlugLimit = 30s;
constexpr auto kPollInterval = 20ms;

HANDLE AsHandle(std::uintptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

// Performance-counter ticks as time, without overflowing for a machine that has run for long.
std::chrono::microseconds Microseconds(LONGLONG ticks, LONGLONG frequency) {
    return std::chrono::microseconds(ticks / frequency * 1'000'000 +
                                     ticks % frequency * 1'000'000 / frequency);
}

std::span<const std::uint8_t> BytesOf(const auto& record) {
    return {reinterpret_cast<const std::uint8_t*>(&record), sizeof record};
}

std::span<std::uint8_t> BytesOf(auto& record) {
    return {reinterpret_cast<std::uint8_t*>(&record), sizeof record};
}

}  // namespace

std::u16string CollectionName(MouseInterface mouseInterface) {
    return u"col0" +
           std::u16string(1, static_cast<char16_t>(u'0' + static_cast<int>(mouseInterface)));
}

VirtualMouse::VirtualMouse(std::chrono::milliseconds wait) {
    const auto end = std::chrono::steady_clock::now() + wait;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (;;) {
        handle =
            CreateFileW(T47_MOUSE_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE || std::chrono::steady_clock::now() > end) {
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("the virtual mouse's driver is not loaded in this prefix");
    }
    control = reinterpret_cast<std::uintptr_t>(handle);
    T47_MOUSE_STATUS status{};
    std::size_t written = 0;
    Control(IOCTL_T47_MOUSE_GET_STATUS, {}, BytesOf(status), &written);
    if (written != sizeof status || status.version != T47_MOUSE_CONTROL_VERSION) {
        CloseHandle(handle);
        throw std::runtime_error("the virtual mouse's driver is of another version");
    }
}

VirtualMouse::~VirtualMouse() {
    CloseHandle(AsHandle(control));
}

void VirtualMouse::Control(std::uint32_t code, std::span<const std::uint8_t> in,
                           std::span<std::uint8_t> out, std::size_t* written) {
    DWORD count = 0;
    if (!DeviceIoControl(AsHandle(control), code, const_cast<std::uint8_t*>(in.data()),
                         static_cast<DWORD>(in.size()), out.data(), static_cast<DWORD>(out.size()),
                         &count, nullptr)) {
        throw std::runtime_error("the virtual mouse refused a control request, error " +
                                 std::to_string(GetLastError()));
    }
    if (written != nullptr) {
        *written = count;
    }
}

void VirtualMouse::Reset() {
    Control(IOCTL_T47_MOUSE_RESET, {}, {});
    const ProfileData profile = DefaultProfile();
    SetReport(BuildSettingsReport(profile));
    SetReport(BuildButtonMacroReport(profile.ButtonAssigned));
}

std::vector<std::uint8_t> VirtualMouse::Report(std::uint8_t id) {
    std::vector<std::uint8_t> report(T47_MOUSE_FEATURE_MAX);
    std::size_t written = 0;
    const std::uint8_t request[] = {id};
    Control(IOCTL_T47_MOUSE_GET_REPORT, request, report, &written);
    report.resize(written);
    return report;
}

void VirtualMouse::SetReport(std::span<const std::uint8_t> report) {
    Control(IOCTL_T47_MOUSE_SET_REPORT, report, {});
}

void VirtualMouse::RefuseNext(std::uint32_t count, TransferKinds kinds, std::uint32_t status) {
    const T47_MOUSE_REFUSAL refusal{count, static_cast<ULONG>(kinds), static_cast<LONG>(status)};
    Control(IOCTL_T47_MOUSE_REFUSE, BytesOf(refusal), {});
}

std::uint32_t VirtualMouse::RefusalsLeft() {
    T47_MOUSE_STATUS status{};
    Control(IOCTL_T47_MOUSE_GET_STATUS, {}, BytesOf(status));
    return status.refusalsLeft;
}

bool VirtualMouse::SendInputReport(std::span<const std::uint8_t> report) {
    DWORD count = 0;
    return DeviceIoControl(AsHandle(control), IOCTL_T47_MOUSE_SEND_INPUT,
                           const_cast<std::uint8_t*>(report.data()),
                           static_cast<DWORD>(report.size()), nullptr, 0, &count, nullptr);
}

std::vector<MouseTransfer> VirtualMouse::Transfers() {
    // Room for every transfer the driver keeps.
    std::vector<std::uint8_t> buffer(sizeof(T47_MOUSE_LOG_HEADER) +
                                     T47_MOUSE_LOG_DEPTH *
                                         (T47_MOUSE_LOG_ENTRY_HEADER + T47_MOUSE_FEATURE_MAX + 8));
    std::size_t written = 0;
    const ULONG firstSeq = 0;
    Control(IOCTL_T47_MOUSE_GET_LOG, BytesOf(firstSeq), buffer, &written);
    T47_MOUSE_LOG_HEADER header{};
    std::memcpy(&header, buffer.data(), sizeof header);

    std::vector<MouseTransfer> transfers;
    std::size_t position = sizeof header;
    for (ULONG i = 0; i < header.count && position + T47_MOUSE_LOG_ENTRY_HEADER <= written; ++i) {
        T47_MOUSE_LOG_ENTRY entry{};
        std::memcpy(&entry, buffer.data() + position, T47_MOUSE_LOG_ENTRY_HEADER);
        const std::uint8_t* data = buffer.data() + position + T47_MOUSE_LOG_ENTRY_HEADER;
        MouseTransfer& transfer = transfers.emplace_back();
        transfer.kind = static_cast<TransferKind>(entry.op);
        transfer.reportId = entry.reportId;
        transfer.status = static_cast<std::uint32_t>(entry.status);
        transfer.length = entry.length;
        transfer.bytes.assign(data, data + entry.dataLength);
        transfer.time = Microseconds(entry.qpc, header.qpcFrequency);
        position += entry.entrySize;
    }
    return transfers;
}

std::chrono::microseconds VirtualMouse::Now() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return Microseconds(now.QuadPart, frequency.QuadPart);
}

void VirtualMouse::Unplug(std::span<const MouseInterface> interfaces) {
    if (!RemoveDeviceNodes(interfaces)) {
        throw std::runtime_error("the system refused to unplug the virtual mouse");
    }
    if (!WaitForInterfaces(interfaces, false, kPlugLimit)) {
        throw std::runtime_error("the virtual mouse's interfaces are still listed after an unplug");
    }
}

void VirtualMouse::Plug(std::span<const MouseInterface> interfaces, MouseIds ids) {
    const T47_MOUSE_IDS request{ids.vendorId, ids.productId};
    Control(IOCTL_T47_MOUSE_SET_IDS, BytesOf(request), {});
    const std::vector<MouseInterface> plugged = ListedInterfaces();
    std::vector<MouseInterface> missing;
    std::copy_if(interfaces.begin(), interfaces.end(), std::back_inserter(missing),
                 [&](MouseInterface i) {
                     return std::find(plugged.begin(), plugged.end(), i) == plugged.end();
                 });
    if (!InstallDeviceNodes(missing, BuildDriverPackage())) {
        throw std::runtime_error("the system refused to plug the virtual mouse in");
    }
    if (!WaitForInterfaces(interfaces, true, kPlugLimit)) {
        throw std::runtime_error("the virtual mouse's interfaces are not listed after a plug");
    }
}

std::vector<MouseInterface> VirtualMouse::PluggedInterfaces() {
    return ListedInterfaces();
}

}  // namespace t47::wine_mouse
