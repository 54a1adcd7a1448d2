#pragma once

// The virtual mouse inside Wine's HID stack, scripted as the simulated mouse is: it stores the
// feature reports it is sent and returns them when asked, refuses the next transfers on demand,
// sends input reports, is unplugged and plugged in again (the system then tells registered
// windows), can lack interfaces or report other ids, and logs every transfer with its time.
//
// The mouse lives in a driver of the prefix's own (driver/), loaded with the wineserver: its
// state lasts as long as that server, and is shared by every program of the prefix. One test
// program at a time may script it. A VirtualMouse keeps the driver loaded, so the state also
// survives unplugging every interface (without one, Wine unloads the driver then).

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace t47::wine_mouse {

// The mouse's HID interfaces, one top-level collection and one device node each.
enum class MouseInterface : std::uint8_t {
    kSettings = 1,  // feature report 3, 40 bytes
    kButtons = 2,   // feature report 4, 2049 bytes
    kCommand = 3,   // feature report 6, 8 bytes
    kInput = 4,     // input report 2, 4 bytes
};

inline constexpr std::array<MouseInterface, 4> kAllInterfaces = {
    MouseInterface::kSettings, MouseInterface::kButtons, MouseInterface::kCommand,
    MouseInterface::kInput};

// Lower case, as in device paths: "col01" for kSettings.
std::u16string CollectionName(MouseInterface mouseInterface);

struct MouseIds {
    std::uint16_t vendorId = 0x1B80;
    std::uint16_t productId = 0xB412;

    friend bool operator==(const MouseIds&, const MouseIds&) = default;
};

enum class TransferKind : std::uint8_t { kSet = 1, kGet = 2 };

// Which transfers a refusal applies to.
enum class TransferKinds : std::uint8_t { kSets = 1, kGets = 2, kAll = 3 };

// One feature transfer as the mouse saw it.
struct MouseTransfer {
    TransferKind kind = TransferKind::kSet;
    std::uint8_t reportId = 0;
    std::uint32_t status = 0;          // 0 when accepted, else the NTSTATUS it was refused with
    std::size_t length = 0;            // of the host's buffer
    std::vector<std::uint8_t> bytes;   // received (set) or returned (get)
    std::chrono::microseconds time{};  // on the clock of VirtualMouse::Now

    bool Accepted() const { return status == 0; }
};

class VirtualMouse {
  public:
    // Connects to the mouse's driver, waiting up to `wait` for it to load. Throws
    // std::runtime_error when it does not come, and so do the calls below when the driver does
    // not answer.
    explicit VirtualMouse(std::chrono::milliseconds wait = std::chrono::seconds(30));
    ~VirtualMouse();
    VirtualMouse(const VirtualMouse&) = delete;
    VirtualMouse& operator=(const VirtualMouse&) = delete;

    // Back to the starting state: reports 3 and 4 hold what an upload of the default profile
    // writes, report 6 its id and zeros; no refusals; the log empty; default ids for the next
    // plug. The interfaces stay as they are.
    void Reset();

    // The stored report of this id, as long as the report is.
    std::vector<std::uint8_t> Report(std::uint8_t id);
    // Stores a report (byte 0 its id; bytes left out are zero): what the next get returns.
    void SetReport(std::span<const std::uint8_t> report);

    // The next `count` transfers of these kinds fail, with `status` (an NTSTATUS error; 0 for
    // STATUS_UNSUCCESSFUL). Replaces an earlier count.
    void RefuseNext(std::uint32_t count, TransferKinds kinds = TransferKinds::kAll,
                    std::uint32_t status = 0);
    std::uint32_t RefusalsLeft();

    // Sends an input report (byte 0 its id) to every handle open on the input interface; a
    // handle reads it at its next read, or at once when a read is waiting. False while the input
    // interface is unplugged.
    bool SendInputReport(std::span<const std::uint8_t> report);

    // The transfers since the last reset, oldest first; at most the last 128.
    std::vector<MouseTransfer> Transfers();

    // The clock of the transfers' times, shared by every program of the prefix.
    static std::chrono::microseconds Now();

    // Takes these interfaces away as a device that is unplugged; windows registered for device
    // notices get them, and reads waiting on the interfaces end. Returns once the system lists
    // none of them.
    void Unplug(std::span<const MouseInterface> interfaces = kAllInterfaces);

    // Plugs these interfaces in (those not already there), reporting `ids`, and returns once the
    // system lists them. Interfaces already plugged in keep the ids they came with.
    void Plug(std::span<const MouseInterface> interfaces = kAllInterfaces, MouseIds ids = {});

    // The interfaces the system lists now.
    static std::vector<MouseInterface> PluggedInterfaces();

  private:
    void Control(std::uint32_t code, std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                 std::size_t* written = nullptr);

    std::uintptr_t control;
};

}  // namespace t47::wine_mouse
