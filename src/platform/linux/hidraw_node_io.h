#pragma once

// The calls on a hidraw node that only a real node answers: opening it and the feature report
// ioctls. Reading, waiting and closing are plain descriptor calls, so a test stands in for a
// node with one end of a socket pair and an object of its own in place of these.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace t47 {

class HidrawNodeIo {
  public:
    virtual ~HidrawNodeIo() = default;

    // A descriptor open for reading and writing, non-blocking and closed on exec; -1 when the
    // node cannot be opened. The caller closes it with close().
    virtual int Open(const std::filesystem::path& node) = 0;

    // HIDIOCSFEATURE with exactly these bytes, the report id first.
    virtual bool SetFeature(int node, std::span<const std::uint8_t> report) = 0;

    // HIDIOCGFEATURE: byte 0 holds the report id asked for; the bytes the device answered, id
    // included, or none on failure.
    virtual std::optional<std::size_t> GetFeature(int node, std::span<std::uint8_t> report) = 0;
};

// The kernel's calls.
class SystemHidrawNodeIo final : public HidrawNodeIo {
  public:
    int Open(const std::filesystem::path& node) override;
    bool SetFeature(int node, std::span<const std::uint8_t> report) override;
    std::optional<std::size_t> GetFeature(int node, std::span<std::uint8_t> report) override;
};

}  // namespace t47
