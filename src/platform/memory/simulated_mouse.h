#pragma once

// The simulated mouse: a HID device on the in-memory bus that behaves as the Norvane T47 does
// toward the agent, and that a test can make misbehave.
//
// It stores the bytes of each feature report it is sent and returns them when asked, starting
// with what an upload of the default profile writes. Its DPI button moves the stored stage on
// and emits an input report. Every transfer that reaches it is logged with the clock's time.
//
//   auto& mouse = bus.AttachMouse();
//   mouse.RefuseNextTransfers(2);
//   ... the agent uploads ...
//   EXPECT_EQ(mouse.StoredReport(3), BuildSettingsReport(profile));

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/hid_bus.h"

namespace t47 {

class MemoryHidBus;

// One interface (top-level collection) of a simulated device: its report lengths, id byte
// included, and what it does wrong.
struct SimulatedInterface {
    std::int32_t featureReportLength = 0;
    std::int32_t inputReportLength = 0;
    bool opens = true;
    bool givesCapabilities = true;
    bool givesAttributes = true;

    SimulatedInterface AlsoInput(std::int32_t length) const;
    SimulatedInterface FailingToOpen() const;
    SimulatedInterface WithoutCapabilities() const;
    SimulatedInterface WithoutAttributes() const;
};

SimulatedInterface FeatureInterface(std::int32_t length);
SimulatedInterface InputInterface(std::int32_t length);

enum class TransferKind { kSet, kGet };

struct Transfer {
    std::uint32_t tick = 0;  // the clock's tick count when it reached the device
    TransferKind kind = TransferKind::kSet;
    std::uint8_t reportId = 0;
    bool accepted = false;
    std::vector<std::uint8_t> bytes;  // sent, or returned; empty when refused

    friend bool operator==(const Transfer&, const Transfer&) = default;
};

// "t=300 set 3 accepted", for test messages.
std::string Describe(const Transfer& transfer);

class SimulatedMouse {
  public:
    struct Setup {
        HidAttributes ids{0x1B80, 0xB412};
        std::vector<SimulatedInterface> interfaces = StandardInterfaces();
        bool pluggedIn = true;
    };

    // Feature reports 3 (40 bytes), 4 (2049) and 6 (8) on interfaces of their own, then the
    // 4-byte input report.
    static std::vector<SimulatedInterface> StandardInterfaces();

    SimulatedMouse(const SimulatedMouse&) = delete;
    SimulatedMouse& operator=(const SimulatedMouse&) = delete;

    // Faults. A refused transfer is logged and fails; the device stays.
    void RefuseNextTransfers(int count);
    // The same for transfers of one report only; the others go through.
    void RefuseNextTransfersOf(std::uint8_t reportId, int count);
    // The device goes once `count` more transfers have reached it (refused ones count too).
    void VanishAfterTransfers(int count);
    // Unplugged: its interfaces are no longer listed, its open handles are dead (transfers fail,
    // reads end with no report); plugged in again: listed again, to be opened anew. Windows
    // registered for device notices get kWmDeviceChange for each interface.
    void Unplug();
    void PlugIn();
    bool IsPluggedIn() const;

    // The next DPI stage (1 to 7, then 1 again) becomes the stored one, and the device sends
    // 02 00 stage 00. Nothing happens while unplugged.
    void PressDpiButton();
    // Sends an input report to every open handle of its input interfaces, as the system copies
    // a report to each reader; with none open it is lost.
    void SendInputReport(std::span<const std::uint8_t> report);

    // The stored feature report with this id (id byte first); empty for an id it lacks.
    std::vector<std::uint8_t> StoredReport(std::uint8_t id) const;
    // Replaces the stored report of the id in byte 0, as if the device had been set up so.
    void StoreReport(std::span<const std::uint8_t> report);

    std::vector<t47::Transfer> Transfers() const;
    void ClearTransfers();

  private:
    friend class MemoryHidBus;

    SimulatedMouse(MemoryHidBus& bus, Setup setup, std::size_t number);

    // Called with the bus locked.
    bool HandleTransfer(TransferKind kind, std::span<std::uint8_t> report, std::int32_t length);
    void SetPluggedIn(bool pluggedIn);
    void Emit(std::span<const std::uint8_t> report);

    MemoryHidBus& bus;
    const Setup setup;
    const std::size_t number;  // the device's place on the bus, part of its paths
    bool pluggedIn;
    int refusals = 0;
    std::map<std::uint8_t, int> refusalsOfReport;
    int transfersUntilVanishing = 0;  // 0: not planned
    std::map<std::uint8_t, std::vector<std::uint8_t>> storedReports;
    std::vector<t47::Transfer> transfers;
};

}  // namespace t47
