#pragma once

// The pointer values the agent gives the system, as the Linux desktops take them: pure values
// and text, no program is run here.
//
//   agent's value              GNOME (org.gnome.desktop.peripherals.mouse)   Plasma
//   double-click time, ms      double-click, the same ms                     kdeglobals [KDE]
//   DoubleClickInterval speed 1..20, 10 neutral    speed (s - 10) / 10 in -1..1 kcminputrc [Mouse]
//   XLbInptPointerAcceleration acceleration on / off      accel-profile 'adaptive' / 'flat'
//   kcminputrc [Mouse] XLbInptAccelProfileFlat wheel lines                (GNOME has no such key)
//   kcminputrc [Mouse] WheelScrollLines
//
// A page of scrolling (0xFFFFFFFF) has no counterpart in Plasma either: its lines stay.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t47 {

enum class Desktop { kOther, kGnome, kPlasma };

// From XDG_CURRENT_DESKTOP, a colon-separated list ("ubuntu:GNOME"): the first it names that
// we know.
Desktop DesktopOf(std::string_view currentDesktop);
std::string_view DesktopName(Desktop desktop);

// What the agent has set so far; a value it has not set yet is left to the desktop.
struct PointerValues {
    std::optional<std::uint32_t> doubleClickMs{};
    std::optional<std::uint32_t> speed{};  // SPI_SETMOUSESPEED, 1..20
    std::optional<bool> accelerated{};     // SPI_SETMOUSE's acceleration on
    std::optional<std::uint32_t> wheelLines{};

    friend bool operator==(const PointerValues&, const PointerValues&) = default;
};

// The speed on the desktops' scale of -1..1, in tenths, as text: "-0.8", "0.0", "1.0".
std::string DesktopSpeedText(std::uint32_t windowsSpeed);

// One setting of the desktop: `key` names it, `value` is what it gets, `arguments` are those of
// the program that writes it (gsettings, kwriteconfig).
struct DesktopWrite {
    std::string key;
    std::string value;
    std::vector<std::string> arguments;

    friend bool operator==(const DesktopWrite&, const DesktopWrite&) = default;
};

// In the order double click, speed, acceleration, wheel; none for another desktop.
std::vector<DesktopWrite> DesktopWrites(Desktop desktop, const PointerValues& values);

}  // namespace t47
