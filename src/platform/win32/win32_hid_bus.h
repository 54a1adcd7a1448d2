#pragma once

// The HID bus over the Windows functions: SetupDi enumeration of the HID interface class,
// hid.dll for capabilities, attributes and feature reports, overlapped file reads for input
// reports, and device-interface notices for a window. HidHandle values are the system's
// HANDLEs, WindowHandle values its HWNDs.
//
// What Windows does that callers see (measured under Wine):
// - A read waiting on a handle that another thread closes ends with error 5 (access denied),
//   not 995 (aborted), and so does one on a device that goes away: every failed read is "no
//   report".
// - Feature transfers need a buffer of at least the interface's feature report length.
// - Device notices spell paths in upper case, enumeration in lower case.

#include "platform/hid_bus.h"

namespace t47 {

class Win32HidBus final : public HidBus {
  public:
    std::vector<std::u16string> ListInterfaces() override;
    HidHandle Open(std::u16string_view path) override;
    std::optional<HidCapabilities> Capabilities(HidHandle handle) override;
    std::optional<HidAttributes> Attributes(HidHandle handle) override;
    bool SetFeature(HidHandle handle, std::span<const std::uint8_t> report) override;
    bool GetFeature(HidHandle handle, std::span<std::uint8_t> report) override;
    std::size_t ReadInputReport(HidHandle handle, std::span<std::uint8_t> buffer,
                                std::stop_token stop) override;
    void Close(HidHandle handle) override;
    NoticeRegistration RegisterDeviceNotices(WindowHandle window) override;
};

}  // namespace t47
