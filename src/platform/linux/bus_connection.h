#pragma once

// One connection to a D-Bus bus over sd-bus, served by the message loop (a LoopSource): its
// socket joins the loop's descriptors, and every wake processes what has arrived. No thread of
// its own, and no wake-up while nothing happens.

#include <memory>

#include "platform/linux/loop_source.h"

struct sd_bus;

namespace t47 {

class BusConnection final : public LoopSource {
  public:
    enum class Kind { kSession, kSystem };

    // The user's session bus or the system bus (their usual addresses, or
    // DBUS_SESSION_BUS_ADDRESS and DBUS_SYSTEM_BUS_ADDRESS); none when it cannot be reached.
    static std::unique_ptr<BusConnection> Open(Kind kind);

    explicit BusConnection(sd_bus* bus);  // takes the reference
    ~BusConnection() override;
    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;

    sd_bus* Bus() const { return bus; }

    int Descriptor() override;
    short Events() override;
    int TimeoutMs() override;
    void Dispatch() override;

  private:
    sd_bus* bus;
};

}  // namespace t47
