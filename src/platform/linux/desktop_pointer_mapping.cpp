#include "platform/linux/desktop_pointer_mapping.h"

#include <algorithm>
#include <cstdlib>

namespace t47 {
namespace {

constexpr char kGnomeSchema[] = "org.gnome.desktop.peripherals.mouse";
constexpr std::uint32_t kPageOfLines = 0xFFFFFFFF;

DesktopWrite Gnome(std::string key, std::string value) {
    return {key, value, {"set", kGnomeSchema, key, value}};
}

DesktopWrite Plasma(std::string file, std::string group, std::string key, std::string value,
                    bool boolean = false) {
    std::vector<std::string> arguments = {"--file", file, "--group", group, "--key", key};
    if (boolean) {
        arguments.insert(arguments.end(), {"--type", "bool"});
    }
    arguments.push_back(value);
    return {file + " [" + group + "] " + key, std::move(value), std::move(arguments)};
}

}  // namespace

Desktop DesktopOf(std::string_view currentDesktop) {
    while (!currentDesktop.empty()) {
        const std::size_t colon = currentDesktop.find(':');
        const std::string_view name = currentDesktop.substr(0, colon);
        if (name == "GNOME") {
            return Desktop::kGnome;
        }
        if (name == "KDE") {
            return Desktop::kPlasma;
        }
        currentDesktop.remove_prefix(colon == std::string_view::npos ? currentDesktop.size()
                                                                     : colon + 1);
    }
    return Desktop::kOther;
}

std::string_view DesktopName(Desktop desktop) {
    switch (desktop) {
        case Desktop::kGnome:
            return "GNOME";
        case Desktop::kPlasma:
            return "Plasma";
        case Desktop::kOther:
            break;
    }
    return "this desktop";
}

std::string DesktopSpeedText(std::uint32_t windowsSpeed) {
    // 10 is the neutral speed, 20 the fastest; below 10 the slowest end is -1.
    const std::int64_t tenths = std::clamp<std::int64_t>(std::int64_t{windowsSpeed} - 10, -10, 10);
    const std::int64_t whole = std::llabs(tenths);
    return (tenths < 0 ? "-" : "") + std::to_string(whole / 10) + "." + std::to_string(whole % 10);
}

std::vector<DesktopWrite> DesktopWrites(Desktop desktop, const PointerValues& values) {
    std::vector<DesktopWrite> writes;
    if (desktop == Desktop::kGnome) {
        if (values.doubleClickMs) {
            writes.push_back(Gnome("double-click", std::to_string(*values.doubleClickMs)));
        }
        if (values.speed) {
            writes.push_back(Gnome("speed", DesktopSpeedText(*values.speed)));
        }
        if (values.accelerated) {
            writes.push_back(Gnome("accel-profile", *values.accelerated ? "'adaptive'" : "'flat'"));
        }
    } else if (desktop == Desktop::kPlasma) {
        if (values.doubleClickMs) {
            writes.push_back(Plasma("kdeglobals", "KDE", "DoubleClickInterval",
                                    std::to_string(*values.doubleClickMs)));
        }
        if (values.speed) {
            writes.push_back(Plasma("kcminputrc", "Mouse", "XLbInptPointerAcceleration",
                                    DesktopSpeedText(*values.speed)));
        }
        if (values.accelerated) {
            writes.push_back(Plasma("kcminputrc", "Mouse", "XLbInptAccelProfileFlat",
                                    *values.accelerated ? "false" : "true", true));
        }
        if (values.wheelLines && *values.wheelLines != kPageOfLines) {
            writes.push_back(Plasma("kcminputrc", "Mouse", "WheelScrollLines",
                                    std::to_string(*values.wheelLines)));
        }
    }
    return writes;
}

}  // namespace t47
