// t47mouse: the virtual mouse under Wine, scripted by hand (and by the test fixture).
//
//   t47mouse install [INF]           creates the four interfaces' device nodes and binds the
//                                    driver package (default: this build's) to them
//   t47mouse ready                   plugs in every interface missing, waits for the driver,
//                                    resets the mouse
//   t47mouse status                  interfaces plugged in, refusals left, transfers logged
//   t47mouse reset                   back to the starting state (the default profile's upload)
//   t47mouse report ID               the stored feature report ID, in hex
//   t47mouse set HEX...              stores a feature report: what the next get returns
//   t47mouse input HEX...            sends an input report
//   t47mouse refuse N [sets|gets|all]  refuses the next N transfers
//   t47mouse unplug [INTERFACE...]   settings, buttons, command, input; all when none is named
//   t47mouse plug [INTERFACE...] [VID:PID]  the same; plugged-in interfaces report VID and PID
//   t47mouse log                     the transfers since the last reset, with times in ms
//
// Status 0 on success, 1 when the mouse or the system refused, 2 for bad arguments.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "device_nodes.h"
#include "hex_bytes.h"
#include "platform/text_encoding.h"
#include "virtual_mouse.h"

namespace t47::wine_mouse {
namespace {

constexpr int kRefused = 1;
constexpr int kBadArguments = 2;

constexpr std::pair<std::string_view, MouseInterface> kInterfaceNames[] = {
    {"settings", MouseInterface::kSettings},
    {"buttons", MouseInterface::kButtons},
    {"command", MouseInterface::kCommand},
    {"input", MouseInterface::kInput},
};

std::string_view NameOf(MouseInterface mouseInterface) {
    for (const auto& [name, value] : kInterfaceNames) {
        if (value == mouseInterface) {
            return name;
        }
    }
    return "?";
}

int Usage() {
    std::cerr << "usage: t47mouse install [INF] | ready | status | reset | report ID | set HEX... "
                 "| input HEX... | refuse N [sets|gets|all] | unplug [INTERFACE...] "
                 "| plug [INTERFACE...] [VID:PID] | log\n";
    return kBadArguments;
}

std::optional<unsigned long> ParseNumber(const std::string& text, int base, unsigned long max) {
    std::size_t used = 0;
    try {
        const unsigned long value = std::stoul(text, &used, base);
        if (used == text.size() && value <= max) {
            return value;
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ParseHexArguments(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text += word + ' ';
    }
    auto bytes = ParseHexBytes(text);
    if (!bytes || bytes->empty()) {
        return std::nullopt;
    }
    return bytes;
}

// Interface names, and for a plug the ids; none when a word is neither.
struct PlugArguments {
    std::vector<MouseInterface> interfaces;
    MouseIds ids;
};

std::optional<PlugArguments> ParsePlugArguments(const std::vector<std::string>& words,
                                                bool idsAllowed) {
    PlugArguments arguments;
    for (const std::string& word : words) {
        bool known = false;
        for (const auto& [name, value] : kInterfaceNames) {
            if (word == name) {
                arguments.interfaces.push_back(value);
                known = true;
            }
        }
        const std::size_t colon = word.find(':');
        if (!known && idsAllowed && colon != std::string::npos) {
            const auto vendor = ParseNumber(word.substr(0, colon), 16, 0xFFFF);
            const auto product = ParseNumber(word.substr(colon + 1), 16, 0xFFFF);
            if (!vendor || !product) {
                return std::nullopt;
            }
            arguments.ids = {static_cast<std::uint16_t>(*vendor),
                             static_cast<std::uint16_t>(*product)};
            known = true;
        }
        if (!known) {
            return std::nullopt;
        }
    }
    if (arguments.interfaces.empty()) {
        arguments.interfaces.assign(kAllInterfaces.begin(), kAllInterfaces.end());
    }
    return arguments;
}

void PrintLog(const std::vector<MouseTransfer>& transfers) {
    for (const MouseTransfer& transfer : transfers) {
        char head[96];
        std::snprintf(head, sizeof head, "%12.3f %s id %u length %zu status %08x:",
                      static_cast<double>(transfer.time.count()) / 1000.0,
                      transfer.kind == TransferKind::kSet ? "set" : "get", transfer.reportId,
                      transfer.length, transfer.status);
        std::cout << head << ' ' << HexBytesText(transfer.bytes) << '\n';
    }
}

int Run(const std::string& command, const std::vector<std::string>& words) {
    using namespace std::chrono_literals;
    if (command == "install" && words.size() <= 1) {
        const std::filesystem::path inf =
            words.empty() ? BuildDriverPackage() : PathFromUtf16(Utf16FromUtf8(words[0]));
        return InstallDeviceNodes(kAllInterfaces, inf) ? 0 : kRefused;
    }
    if (command == "ready" && words.empty()) {
        // Plugs in what a broken earlier run left unplugged; the driver loads only for a node.
        // A node that the tree holds is left to start, and bound again only when it does not
        // (an install cut short).
        for (const bool rebind : {false, true}) {
            const std::vector<MouseInterface> present =
                rebind ? ListedInterfaces() : InstalledNodes();
            std::vector<MouseInterface> missing;
            std::copy_if(kAllInterfaces.begin(), kAllInterfaces.end(), std::back_inserter(missing),
                         [&](MouseInterface i) {
                             return std::find(present.begin(), present.end(), i) == present.end();
                         });
            if (InstallDeviceNodes(missing, BuildDriverPackage()) &&
                WaitForInterfaces(kAllInterfaces, true, 30s)) {
                VirtualMouse mouse;
                mouse.Reset();
                return 0;
            }
        }
        std::cerr << "t47mouse: the virtual mouse cannot be plugged in\n";
        return kRefused;
    }
    if (command == "unplug" || command == "plug") {
        const auto arguments = ParsePlugArguments(words, command == "plug");
        if (!arguments) {
            return Usage();
        }
        if (command == "plug" && ListedInterfaces().empty()) {
            // Wine unloads the driver with the last interface unless a program holds it (as a
            // test's VirtualMouse does); the first plug loads it afresh, with the default ids.
            if (arguments->ids != MouseIds{}) {
                std::cerr << "t47mouse: other ids need an interface plugged in first\n";
                return kRefused;
            }
            return InstallDeviceNodes(arguments->interfaces, BuildDriverPackage()) &&
                           WaitForInterfaces(arguments->interfaces, true, 30s)
                       ? 0
                       : kRefused;
        }
        VirtualMouse mouse;
        if (command == "plug") {
            mouse.Plug(arguments->interfaces, arguments->ids);
        } else {
            mouse.Unplug(arguments->interfaces);
        }
        return 0;
    }

    VirtualMouse mouse;
    if (command == "status" && words.empty()) {
        std::cout << "plugged in:";
        for (const MouseInterface mouseInterface : VirtualMouse::PluggedInterfaces()) {
            std::cout << ' ' << NameOf(mouseInterface);
        }
        std::cout << "\nrefusals left: " << mouse.RefusalsLeft()
                  << "\ntransfers logged: " << mouse.Transfers().size() << '\n';
        return 0;
    }
    if (command == "reset" && words.empty()) {
        mouse.Reset();
        return 0;
    }
    if (command == "report" && words.size() == 1) {
        const auto id = ParseNumber(words[0], 10, 0xFF);
        if (!id) {
            return Usage();
        }
        std::cout << HexBytesText(mouse.Report(static_cast<std::uint8_t>(*id))) << '\n';
        return 0;
    }
    if ((command == "set" || command == "input") && !words.empty()) {
        const auto bytes = ParseHexArguments(words);
        if (!bytes) {
            return Usage();
        }
        if (command == "set") {
            mouse.SetReport(*bytes);
            return 0;
        }
        if (!mouse.SendInputReport(*bytes)) {
            std::cerr << "t47mouse: the input mouseInterface is not plugged in\n";
            return kRefused;
        }
        return 0;
    }
    if (command == "refuse" && (words.size() == 1 || words.size() == 2)) {
        const auto count = ParseNumber(words[0], 10, 0xFFFFFFFF);
        const std::string kinds = words.size() == 2 ? words[1] : "all";
        if (!count || (kinds != "sets" && kinds != "gets" && kinds != "all")) {
            return Usage();
        }
        mouse.RefuseNext(static_cast<std::uint32_t>(*count), kinds == "sets" ? TransferKinds::kSets
                                                             : kinds == "gets"
                                                                 ? TransferKinds::kGets
                                                                 : TransferKinds::kAll);
        return 0;
    }
    if (command == "log" && words.empty()) {
        PrintLog(mouse.Transfers());
        return 0;
    }
    return Usage();
}

}  // namespace
}  // namespace t47::wine_mouse

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return t47::wine_mouse::Usage();
    }
    std::vector<std::string> words;
    for (int i = 2; i < argc; ++i) {
        words.push_back(t47::Utf8FromUtf16(t47::Utf16FromWide(argv[i])));
    }
    try {
        return t47::wine_mouse::Run(t47::Utf8FromUtf16(t47::Utf16FromWide(argv[1])), words);
    } catch (const std::exception& failure) {
        std::cerr << "t47mouse: " << failure.what() << '\n';
        return t47::wine_mouse::kRefused;
    }
}
