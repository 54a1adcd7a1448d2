#include "platform/linux/testing/fake_hidraw_nodes.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace t47::test {

namespace fs = std::filesystem;

FakeHidrawNodes::~FakeHidrawNodes() {
    for (const auto& [node, fd] : deviceSides) {
        ::close(fd);
    }
}

int FakeHidrawNodes::Open(const fs::path& node) {
    std::lock_guard lock(mutex);
    if (refuseOpens > 0) {
        --refuseOpens;
        return -1;
    }
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
        return -1;
    }
    ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
    nodeOf[ends[0]] = node.filename().native();
    deviceSides.emplace(node.filename().native(), ends[1]);
    return ends[0];
}

bool FakeHidrawNodes::SetFeature(int node, std::span<const std::uint8_t> report) {
    std::lock_guard lock(mutex);
    transfers.push_back({nodeOf[node], true, {report.begin(), report.end()}});
    if (refuseTransfers > 0) {
        --refuseTransfers;
        return false;
    }
    return true;
}

std::optional<std::size_t> FakeHidrawNodes::GetFeature(int node, std::span<std::uint8_t> report) {
    std::lock_guard lock(mutex);
    transfers.push_back({nodeOf[node], false, {report.begin(), report.end()}});
    if (refuseTransfers > 0) {
        --refuseTransfers;
        return std::nullopt;
    }
    for (const std::vector<std::uint8_t>& answer : answers[nodeOf[node]]) {
        if (!answer.empty() && answer[0] == report[0]) {
            const std::size_t length = std::min(answer.size(), report.size());
            std::copy_n(answer.begin(), length, report.begin());
            return length;
        }
    }
    return std::nullopt;
}

void FakeHidrawNodes::SendInput(const std::string& node, const std::vector<std::uint8_t>& report) {
    std::lock_guard lock(mutex);
    const auto [first, last] = deviceSides.equal_range(node);
    for (auto side = first; side != last; ++side) {
        ::send(side->second, report.data(), report.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
}

void FakeHidrawNodes::Unplug(const std::string& node) {
    std::lock_guard lock(mutex);
    const auto [first, last] = deviceSides.equal_range(node);
    for (auto side = first; side != last; ++side) {
        ::close(side->second);
    }
    deviceSides.erase(node);
}

void FakeHidrawNodes::Answer(const std::string& node, std::vector<std::uint8_t> answer) {
    std::lock_guard lock(mutex);
    answers[node].push_back(std::move(answer));
}

std::vector<FakeHidrawNodes::Transfer> FakeHidrawNodes::Transfers() {
    std::lock_guard lock(mutex);
    return transfers;
}

}  // namespace t47::test
