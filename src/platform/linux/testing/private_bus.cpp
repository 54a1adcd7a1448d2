#include "platform/linux/testing/private_bus.h"

#include <poll.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

namespace t47::test {
namespace {

constexpr auto kPatience = std::chrono::seconds(20);

}  // namespace

PrivateBus::PrivateBus(const std::filesystem::path& folder, const std::string& name) {
    const std::filesystem::path socket = folder / (name + ".socket");
    const std::filesystem::path config = folder / (name + ".conf");
    address = "unix:path=" + socket.string();
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus "
                             "Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig><type>session</type><listen>"
                          << address
                          << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                             "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                             "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    daemon = std::make_unique<ChildProgram>(
        ChildSetup{"/usr/bin/dbus-daemon",
                   {"--config-file=" + config.string(), "--nofork", "--nosyslog"},
                   {},
                   folder / (name + ".out"),
                   folder / (name + ".log")});
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (daemon->Started() && std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(socket) && Connect()) {
            ready = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::unique_ptr<BusConnection> PrivateBus::Connect() const {
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) {
        return nullptr;
    }
    if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
        sd_bus_start(bus) < 0) {
        sd_bus_unref(bus);
        return nullptr;
    }
    return std::make_unique<BusConnection>(bus);
}

bool ServeUntil(std::span<BusConnection* const> connections, const std::function<bool()>& done,
                std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        for (BusConnection* connection : connections) {
            connection->Dispatch();
        }
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::vector<pollfd> fds;
        for (BusConnection* connection : connections) {
            fds.push_back({connection->Descriptor(), connection->Events(), 0});
        }
        ::poll(fds.data(), fds.size(), 50);
    }
}

}  // namespace t47::test
