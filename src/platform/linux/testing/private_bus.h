#pragma once

// A D-Bus bus of a test's own: a dbus-daemon started on a socket in the test's folder, which
// lets every connection own any name and send anything, and ends with this object. Tests of
// the desktop use one as the session bus and another as the system bus.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/linux/bus_connection.h"
#include "platform/linux/testing/child_program.h"

namespace t47::test {

class PrivateBus {
  public:
    // `folder` holds its configuration, socket and log under `name`.
    PrivateBus(const std::filesystem::path& folder, const std::string& name);

    // The daemon listens (false when it did not start within a limit only a broken system
    // reaches).
    bool Ready() const { return ready; }
    // As DBUS_SESSION_BUS_ADDRESS spells it.
    const std::string& Address() const { return address; }
    // A new client connection; none when the bus does not answer.
    std::unique_ptr<BusConnection> Connect() const;

  private:
    std::string address;
    std::unique_ptr<ChildProgram> daemon;
    bool ready = false;
};

// Serves the connections, in this thread, until `done`; false when it did not come within
// `patience`.
bool ServeUntil(std::span<BusConnection* const> connections, const std::function<bool()>& done,
                std::chrono::milliseconds patience);

}  // namespace t47::test
