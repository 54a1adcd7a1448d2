#include "platform/linux/bus_connection.h"

#include <systemd/sd-bus.h>
#include <time.h>

#include <cstdint>
#include <limits>

namespace t47 {

std::unique_ptr<BusConnection> BusConnection::Open(Kind kind) {
    sd_bus* bus = nullptr;
    const int opened = kind == Kind::kSession ? sd_bus_open_user(&bus) : sd_bus_open_system(&bus);
    if (opened < 0 || bus == nullptr) {
        return nullptr;
    }
    return std::make_unique<BusConnection>(bus);
}

BusConnection::BusConnection(sd_bus* connection) : bus(connection) {}

BusConnection::~BusConnection() {
    // Whatever is queued still goes out (a withdrawn name, a last signal).
    sd_bus_flush_close_unref(bus);
}

int BusConnection::Descriptor() {
    return sd_bus_get_fd(bus);
}

short BusConnection::Events() {
    const int events = sd_bus_get_events(bus);
    return events < 0 ? 0 : static_cast<short>(events);
}

int BusConnection::TimeoutMs() {
    std::uint64_t due = 0;  // CLOCK_MONOTONIC microseconds; UINT64_MAX for none
    if (sd_bus_get_timeout(bus, &due) < 0 || due == std::numeric_limits<std::uint64_t>::max()) {
        return -1;
    }
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowUs = static_cast<std::uint64_t>(now.tv_sec) * 1000000 +
                                static_cast<std::uint64_t>(now.tv_nsec) / 1000;
    if (due <= nowUs) {
        return 0;
    }
    const std::uint64_t ms = (due - nowUs + 999) / 1000;
    return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
}

void BusConnection::Dispatch() {
    // Until nothing more is ready; a broken connection stops answering and is left alone.
    while (sd_bus_process(bus, nullptr) > 0) {
    }
}

}  // namespace t47
