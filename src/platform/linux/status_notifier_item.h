#pragma once

// The agent's tray icon on a Linux desktop: a StatusNotifierItem registered with the panel's
// watcher (org.kde.StatusNotifierWatcher), its menu over com.canonical.dbusmenu.
//
// It keeps the Windows flow of the agent: activating the icon is the double click
// (MSG_TRAY_CALLBACK with WM_LBUTTONDBLCLK); the panel asking for the menu is the right-button
// press (WM_RBUTTONDOWN), on which the agent reads the settings and the language file and
// "shows" the menu, whose texts then answer the panel; an entry chosen is WM_COMMAND with the
// entry's id. All of it reaches the agent window through `deliver`, on the loop's thread.
// Shown means holding a bus name of its own and being registered; hidden means releasing the
// name, which the watcher takes as the item's end. When the watcher comes back (a panel
// restart) a shown item registers again.

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/shell.h"

struct sd_bus;
struct sd_bus_message;
struct sd_bus_slot;

namespace t47 {

using DeliverMessage = std::function<void(WindowHandle, MessageId, WParam, LParam)>;

class StatusNotifierItem {
  public:
    // The item's objects are served on `bus` from now on; nothing is shown yet.
    StatusNotifierItem(sd_bus* bus, DeliverMessage deliver, DebugOutput& debug,
                       pid_t process = ::getpid());
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    void Show(const TrayIcon& icon);
    void Hide();
    // The menu the agent built at the latest request: answers the panel's pending requests.
    void MenuShown(std::span<const MenuEntry> entries);

    // The item's bus name while shown, "org.kde.StatusNotifierItem-<pid>-1".
    const std::string& BusName() const { return busName; }

    // What the objects serve (the callbacks of the bus's tables).
    struct Access;

  private:
    friend struct Access;
    void Register();
    void AskForMenu();
    void ReplyLayout(sd_bus_message* call);
    void Say(std::u16string_view line);

    sd_bus* bus;
    DeliverMessage deliver;
    DebugOutput& debug;
    const std::string busName;
    std::optional<TrayIcon> icon;  // while shown
    TrayIcon lastIcon;             // whose window the menu talks to
    std::vector<std::string> labels;
    std::vector<std::uint32_t> commands;
    std::uint32_t revision = 1;
    bool menuKnown = false;
    bool watcherMissingSaid = false;
    std::vector<sd_bus_message*> pendingLayouts;
    std::vector<sd_bus_message*> pendingAboutToShow;
    std::vector<sd_bus_slot*> slots;
};

}  // namespace t47
