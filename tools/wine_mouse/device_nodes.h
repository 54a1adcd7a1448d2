#pragma once

// The virtual mouse's place in the prefix's device tree: one root device node per interface,
// ROOT\VID_1B80&PID_B412&COL0n\0000 with the hardware id T47VMOUSE\COL0n, which the driver
// package (driver/t47vmouse.inf and t47vmouse.sys beside it) binds to the driver. The nodes
// stay in the prefix; at every start of its wineserver the system loads the driver for them.

#include <chrono>
#include <filesystem>
#include <span>
#include <vector>

#include "virtual_mouse.h"

namespace t47::wine_mouse {

// The driver package of this build.
std::filesystem::path BuildDriverPackage();

// Creates the nodes of these interfaces (keeping those that exist) and binds the driver to
// them: a plug. Binding again a node that is plugged in restarts it, so callers pass only the
// interfaces the system does not list. False when the system refused.
bool InstallDeviceNodes(std::span<const MouseInterface> interfaces,
                        const std::filesystem::path& infFile);

// Removes the nodes of these interfaces: an unplug. False when the system refused a present
// one.
bool RemoveDeviceNodes(std::span<const MouseInterface> interfaces);

// The interfaces whose nodes the device tree holds, listed by the system already or not yet
// (the system lists a node some milliseconds after it started).
std::vector<MouseInterface> InstalledNodes();

// The interfaces of the mouse among the HID interfaces the system lists now.
std::vector<MouseInterface> ListedInterfaces();

// Waits until the system lists all of these interfaces (`listed`) or none of them; false when
// `limit` passed first.
bool WaitForInterfaces(std::span<const MouseInterface> interfaces, bool listed,
                       std::chrono::milliseconds limit);

}  // namespace t47::wine_mouse
