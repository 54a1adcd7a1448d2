#pragma once

// The HID bus over hidraw. Each top-level collection of a node is listed as an interface of its
// own, as Windows lists them, with the lengths Windows computes from the report descriptor; a
// handle on an interface is a descriptor of the node that moves only that collection's reports:
// feature transfers of its report ids, and reads that let its input reports through.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/hid_bus.h"
#include "platform/linux/hidraw_node_io.h"
#include "platform/linux/hidraw_node_watch.h"
#include "platform/window_messages.h"

namespace t47 {

class LinuxHidBus final : public HidBus {
  public:
    // `sysfsRoot` and `devRoot` are "/sys" and "/dev" but for tests; device notices are posted
    // through `messages`.
    LinuxHidBus(std::filesystem::path sysfsRoot, std::filesystem::path devRoot, HidrawNodeIo& io,
                WindowMessages& messages);
    ~LinuxHidBus() override;

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

  private:
    struct OpenInterface;

    std::shared_ptr<OpenInterface> Find(HidHandle handle);
    // The feature report that `report` starts with, when this interface carries it and the
    // buffer is as long as Windows demands.
    std::optional<std::size_t> FeatureLength(const OpenInterface& open,
                                             std::span<const std::uint8_t> report) const;
    void PostDeviceChange(HidrawNodeChange change);

    const std::filesystem::path sysfsRoot;
    const std::filesystem::path devRoot;
    HidrawNodeIo& io;
    WindowMessages& messages;

    std::mutex mutex;  // guards the members below
    std::map<std::uintptr_t, std::shared_ptr<OpenInterface>> handles;
    std::uintptr_t nextHandle = 1;
    std::vector<WindowHandle> noticeWindows;
    std::unique_ptr<HidrawNodeWatch> watch;
};

}  // namespace t47
