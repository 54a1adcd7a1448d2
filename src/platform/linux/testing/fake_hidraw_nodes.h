#pragma once

// Stand-ins for hidraw nodes, for the Linux platform's tests: each open node is one end of a
// socket pair whose other end the test holds, so reads, waits and unplugging are the real
// calls; the feature ioctls are answered here.

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/hidraw_node_io.h"

namespace t47::test {

class FakeHidrawNodes final : public HidrawNodeIo {
  public:
    struct Transfer {
        std::string node;
        bool set = false;
        std::vector<std::uint8_t> bytes;  // sent, or the buffer as it was handed in

        friend bool operator==(const Transfer&, const Transfer&) = default;
    };

    ~FakeHidrawNodes() override;

    int Open(const std::filesystem::path& node) override;
    bool SetFeature(int node, std::span<const std::uint8_t> report) override;
    std::optional<std::size_t> GetFeature(int node, std::span<std::uint8_t> report) override;

    // The device side: an input report to every open descriptor of the node, as hidraw gives
    // each its own copy.
    void SendInput(const std::string& node, const std::vector<std::uint8_t>& report);
    // The device goes: every open descriptor of the node sees it hang up.
    void Unplug(const std::string& node);

    // What GetFeature answers for a report id (byte 0 of the answer); none refuses.
    void Answer(const std::string& node, std::vector<std::uint8_t> answer);

    std::vector<Transfer> Transfers();
    int refuseOpens = 0;      // the next n opens fail
    int refuseTransfers = 0;  // the next n feature transfers fail

  private:
    std::mutex mutex;
    std::map<int, std::string> nodeOf;            // bus side descriptor -> node
    std::multimap<std::string, int> deviceSides;  // node -> test side descriptors
    std::map<std::string, std::vector<std::vector<std::uint8_t>>> answers;
    std::vector<Transfer> transfers;
};

}  // namespace t47::test
