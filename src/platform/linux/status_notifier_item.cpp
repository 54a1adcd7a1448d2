#include "platform/linux/status_notifier_item.h"

#include <systemd/sd-bus.h>

#include <array>
#include <cstring>
#include <utility>

#include "platform/agent_icon_picture.h"
#include "platform/text_encoding.h"

namespace t47 {
namespace {

constexpr char kItemPath[] = "/StatusNotifierItem";
constexpr char kItemInterface[] = "org.kde.StatusNotifierItem";
constexpr char kMenuPath[] = "/MenuBar";
constexpr char kMenuInterface[] = "com.canonical.dbusmenu";
constexpr char kWatcherName[] = "org.kde.StatusNotifierWatcher";
constexpr char kWatcherPath[] = "/StatusNotifierWatcher";

constexpr LParam kLeftButtonDoubleClick = 0x203;
constexpr LParam kRightButtonDown = 0x204;

// The sizes panels pick from; every one drawn at its own size.
constexpr std::array<int, 7> kPixmapSizes = {16, 24, 32, 48, 64, 128, 256};

// dbusmenu takes an underscore for the mnemonic's mark; the menu's texts have none.
std::string MenuLabel(const std::string& text) {
    std::string label;
    for (const char c : text) {
        label += c;
        if (c == '_') {
            label += '_';
        }
    }
    return label;
}

// ARGB32 in network byte order, rows top down, as the item's pixmaps are.
std::vector<std::uint8_t> Pixmap(int size) {
    const Image image = DrawAgentIcon(size);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(image.pixels.size() * 4);
    for (const Colour& c : image.pixels) {
        bytes.insert(bytes.end(),
                     {ColourByte(c.a), ColourByte(c.r), ColourByte(c.g), ColourByte(c.b)});
    }
    return bytes;
}

StatusNotifierItem& Self(void* userdata) {
    return *static_cast<StatusNotifierItem*>(userdata);
}

}  // namespace

struct StatusNotifierItem::Access {
    static int Text(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
                    void*, sd_bus_error*) {
        const char* value = "";
        if (std::strcmp(property, "Category") == 0) {
            value = "Hardware";
        } else if (std::strcmp(property, "Id") == 0) {
            value = "norvane-t47";
        } else if (std::strcmp(property, "Title") == 0) {
            value = "Norvane T47";
        } else if (std::strcmp(property, "Status") == 0) {
            value = "Active";
        }
        return sd_bus_message_append(reply, "s", value);
    }

    static int IconPixmap(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                          void*, sd_bus_error*) {
        int r = sd_bus_message_open_container(reply, 'a', "(iiay)");
        for (const int size : kPixmapSizes) {
            const std::vector<std::uint8_t> bytes = Pixmap(size);
            if (r >= 0)
                r = sd_bus_message_open_container(reply, 'r', "iiay");
            if (r >= 0)
                r = sd_bus_message_append(reply, "ii", size, size);
            if (r >= 0)
                r = sd_bus_message_append_array(reply, 'y', bytes.data(), bytes.size());
            if (r >= 0)
                r = sd_bus_message_close_container(reply);
        }
        return r < 0 ? r : sd_bus_message_close_container(reply);
    }

    static int NoPixmap(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                        void*, sd_bus_error*) {
        return sd_bus_message_append(reply, "a(iiay)", 0);
    }

    static int ToolTip(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                       void* userdata, sd_bus_error*) {
        const std::string tip = Utf8FromUtf16(Self(userdata).lastIcon.tip);
        return sd_bus_message_append(reply, "(sa(iiay)ss)", "", 0, tip.c_str(), "");
    }

    static int Activate(sd_bus_message* call, void* userdata, sd_bus_error*) {
        StatusNotifierItem& item = Self(userdata);
        if (item.icon) {
            item.deliver(item.icon->window, item.icon->callbackMessage, item.icon->id,
                         kLeftButtonDoubleClick);
        }
        return sd_bus_reply_method_return(call, "");
    }

    static int Ignore(sd_bus_message* call, void*, sd_bus_error*) {
        return sd_bus_reply_method_return(call, "");
    }

    static int GetLayout(sd_bus_message* call, void* userdata, sd_bus_error*) {
        StatusNotifierItem& item = Self(userdata);
        if (item.menuKnown) {
            item.ReplyLayout(call);
            return 1;
        }
        // Answered once the agent has read its texts.
        item.pendingLayouts.push_back(sd_bus_message_ref(call));
        item.AskForMenu();
        return 1;
    }

    static int AboutToShow(sd_bus_message* call, void* userdata, sd_bus_error*) {
        StatusNotifierItem& item = Self(userdata);
        std::int32_t id = 0;
        const int r = sd_bus_message_read(call, "i", &id);
        if (r < 0) {
            return r;
        }
        if (id != 0) {
            return sd_bus_reply_method_return(call, "b", 0);
        }
        // Every opening reads the texts again, as the right-button press does on Windows.
        item.pendingAboutToShow.push_back(sd_bus_message_ref(call));
        item.AskForMenu();
        return 1;
    }

    static int AboutToShowGroup(sd_bus_message* call, void* userdata, sd_bus_error*) {
        Self(userdata).AskForMenu();  // new texts come as LayoutUpdated
        return sd_bus_reply_method_return(call, "aiai", 0, 0);
    }

    static void Clicked(StatusNotifierItem& item, std::int32_t id, const char* event) {
        if (std::strcmp(event, "clicked") == 0 && id >= 1 &&
            static_cast<std::size_t>(id) <= item.commands.size()) {
            item.deliver(item.lastIcon.window, kWmCommand,
                         item.commands[static_cast<std::size_t>(id - 1)], 0);
        }
    }

    static int Event(sd_bus_message* call, void* userdata, sd_bus_error*) {
        std::int32_t id = 0;
        const char* event = "";
        const int r = sd_bus_message_read(call, "is", &id, &event);
        if (r < 0) {
            return r;
        }
        Clicked(Self(userdata), id, event);
        return sd_bus_reply_method_return(call, "");
    }

    static int EventGroup(sd_bus_message* call, void* userdata, sd_bus_error*) {
        int r = sd_bus_message_enter_container(call, 'a', "(isvu)");
        while (r > 0 && (r = sd_bus_message_enter_container(call, 'r', "isvu")) > 0) {
            std::int32_t id = 0;
            const char* event = "";
            r = sd_bus_message_read(call, "is", &id, &event);
            if (r >= 0)
                r = sd_bus_message_skip(call, "vu");
            if (r >= 0)
                r = sd_bus_message_exit_container(call);
            if (r >= 0) {
                Clicked(Self(userdata), id, event);
                r = 1;
            }
        }
        return r < 0 ? r : sd_bus_reply_method_return(call, "ai", 0);
    }

    static int GetGroupProperties(sd_bus_message* call, void* userdata, sd_bus_error*) {
        StatusNotifierItem& item = Self(userdata);
        sd_bus_message* reply = nullptr;
        int r = sd_bus_message_new_method_return(call, &reply);
        if (r >= 0)
            r = sd_bus_message_open_container(reply, 'a', "(ia{sv})");
        for (std::size_t i = 0; r >= 0 && i < item.labels.size(); ++i) {
            r = sd_bus_message_append(reply, "(ia{sv})", static_cast<std::int32_t>(i + 1), 1,
                                      "label", "s", item.labels[i].c_str());
        }
        if (r >= 0)
            r = sd_bus_message_close_container(reply);
        if (r >= 0)
            r = sd_bus_send(nullptr, reply, nullptr);
        sd_bus_message_unref(reply);
        return r < 0 ? r : 1;
    }

    static int GetProperty(sd_bus_message* call, void* userdata, sd_bus_error* error) {
        StatusNotifierItem& item = Self(userdata);
        std::int32_t id = 0;
        const char* name = "";
        const int r = sd_bus_message_read(call, "is", &id, &name);
        if (r < 0) {
            return r;
        }
        if (std::strcmp(name, "label") != 0 || id < 1 ||
            static_cast<std::size_t>(id) > item.labels.size()) {
            return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "No such property");
        }
        return sd_bus_reply_method_return(call, "v", "s",
                                          item.labels[static_cast<std::size_t>(id - 1)].c_str());
    }

    static int MenuPath(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                        void*, sd_bus_error*) {
        return sd_bus_message_append(reply, "o", kMenuPath);
    }

    static int False(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                     sd_bus_error*) {
        return sd_bus_message_append(reply, "b", 0);
    }

    static int Version(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                       sd_bus_error*) {
        return sd_bus_message_append(reply, "u", 3);
    }

    static int NoThemePaths(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                            void*, sd_bus_error*) {
        return sd_bus_message_append(reply, "as", 0);
    }

    static int MenuText(sd_bus*, const char*, const char*, const char* property,
                        sd_bus_message* reply, void*, sd_bus_error*) {
        return sd_bus_message_append(
            reply, "s", std::strcmp(property, "TextDirection") == 0 ? "ltr" : "normal");
    }

    static int WatcherOwnerChanged(sd_bus_message* signal, void* userdata, sd_bus_error*) {
        const char* name = "";
        const char* oldOwner = "";
        const char* newOwner = "";
        if (sd_bus_message_read(signal, "sss", &name, &oldOwner, &newOwner) >= 0 &&
            *newOwner != '\0') {
            Self(userdata).Register();  // the panel came back: as Windows' TaskbarCreated
        }
        return 0;
    }

    static int Registered(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        StatusNotifierItem& item = Self(userdata);
        if (sd_bus_message_is_method_error(reply, nullptr) && !item.watcherMissingSaid) {
            item.watcherMissingSaid = true;
            item.Say(
                u"Desktop: no panel takes tray icons (org.kde.StatusNotifierWatcher); "
                u"the icon shows when one starts");
        }
        return 0;
    }
};

namespace {

using A = StatusNotifierItem::Access;

const sd_bus_vtable kItemTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Category", "s", A::Text, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Id", "s", A::Text, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Title", "s", A::Text, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Status", "s", A::Text, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconName", "s", A::Text, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconPixmap", "a(iiay)", A::IconPixmap, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("OverlayIconName", "s", A::Text, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("OverlayIconPixmap", "a(iiay)", A::NoPixmap, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("AttentionIconName", "s", A::Text, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("AttentionIconPixmap", "a(iiay)", A::NoPixmap, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("AttentionMovieName", "s", A::Text, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconThemePath", "s", A::Text, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", A::ToolTip, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("ItemIsMenu", "b", A::False, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Menu", "o", A::MenuPath, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_METHOD("Activate", "ii", "", A::Activate, 0),
    SD_BUS_METHOD("SecondaryActivate", "ii", "", A::Ignore, 0),
    SD_BUS_METHOD("ContextMenu", "ii", "", A::Ignore, 0),
    SD_BUS_METHOD("Scroll", "is", "", A::Ignore, 0),
    SD_BUS_SIGNAL("NewTitle", "", 0),
    SD_BUS_SIGNAL("NewIcon", "", 0),
    SD_BUS_SIGNAL("NewToolTip", "", 0),
    SD_BUS_SIGNAL("NewStatus", "s", 0),
    SD_BUS_VTABLE_END};

const sd_bus_vtable kMenuTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Version", "u", A::Version, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("TextDirection", "s", A::MenuText, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Status", "s", A::MenuText, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconThemePath", "as", A::NoThemePaths, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_METHOD("GetLayout", "iias", "u(ia{sv}av)", A::GetLayout, 0),
    SD_BUS_METHOD("GetGroupProperties", "aias", "a(ia{sv})", A::GetGroupProperties, 0),
    SD_BUS_METHOD("GetProperty", "is", "v", A::GetProperty, 0),
    SD_BUS_METHOD("Event", "isvu", "", A::Event, 0),
    SD_BUS_METHOD("EventGroup", "a(isvu)", "ai", A::EventGroup, 0),
    SD_BUS_METHOD("AboutToShow", "i", "b", A::AboutToShow, 0),
    SD_BUS_METHOD("AboutToShowGroup", "ai", "aiai", A::AboutToShowGroup, 0),
    SD_BUS_SIGNAL("LayoutUpdated", "ui", 0),
    SD_BUS_SIGNAL("ItemsPropertiesUpdated", "a(ia{sv})a(ias)", 0),
    SD_BUS_SIGNAL("ItemActivationRequested", "iu", 0),
    SD_BUS_VTABLE_END};

}  // namespace

StatusNotifierItem::StatusNotifierItem(sd_bus* connection, DeliverMessage deliverMessage,
                                       DebugOutput& debugOutput, pid_t process)
    : bus(connection),
      deliver(std::move(deliverMessage)),
      debug(debugOutput),
      busName("org.kde.StatusNotifierItem-" + std::to_string(process) + "-1") {
    sd_bus_slot* slot = nullptr;
    if (sd_bus_add_object_vtable(bus, &slot, kItemPath, kItemInterface, kItemTable, this) >= 0) {
        slots.push_back(slot);
    }
    if (sd_bus_add_object_vtable(bus, &slot, kMenuPath, kMenuInterface, kMenuTable, this) >= 0) {
        slots.push_back(slot);
    }
    if (sd_bus_add_match_async(bus, &slot,
                               "type='signal',sender='org.freedesktop.DBus',"
                               "interface='org.freedesktop.DBus',member='NameOwnerChanged',"
                               "arg0='org.kde.StatusNotifierWatcher'",
                               A::WatcherOwnerChanged, nullptr, this) >= 0) {
        slots.push_back(slot);
    }
}

StatusNotifierItem::~StatusNotifierItem() {
    for (sd_bus_message* call : pendingLayouts) {
        sd_bus_message_unref(call);
    }
    for (sd_bus_message* call : pendingAboutToShow) {
        sd_bus_message_unref(call);
    }
    for (sd_bus_slot* slot : slots) {
        sd_bus_slot_unref(slot);
    }
}

void StatusNotifierItem::Say(std::u16string_view line) {
    debug.Write(std::u16string(line) + u"\n");
}

void StatusNotifierItem::Show(const TrayIcon& shown) {
    const bool wasShown = icon.has_value();
    icon = shown;
    lastIcon = shown;
    if (!wasShown) {
        sd_bus_request_name_async(bus, nullptr, busName.c_str(), 0, nullptr, nullptr);
    }
    Register();
}

void StatusNotifierItem::Hide() {
    if (icon) {
        icon.reset();
        sd_bus_release_name_async(bus, nullptr, busName.c_str(), nullptr, nullptr);
    }
}

void StatusNotifierItem::Register() {
    if (!icon) {
        return;
    }
    sd_bus_call_method_async(bus, nullptr, kWatcherName, kWatcherPath, kWatcherName,
                             "RegisterStatusNotifierItem", A::Registered, this, "s",
                             busName.c_str());
}

void StatusNotifierItem::AskForMenu() {
    deliver(lastIcon.window, lastIcon.callbackMessage, lastIcon.id, kRightButtonDown);
}

void StatusNotifierItem::MenuShown(std::span<const MenuEntry> entries) {
    std::vector<std::string> newLabels;
    std::vector<std::uint32_t> newCommands;
    for (const MenuEntry& entry : entries) {
        newLabels.push_back(MenuLabel(Utf8FromUtf16(entry.text)));
        newCommands.push_back(entry.commandId);
    }
    const bool changed = !menuKnown || newLabels != labels || newCommands != commands;
    labels = std::move(newLabels);
    commands = std::move(newCommands);
    menuKnown = true;
    if (changed) {
        ++revision;
        sd_bus_emit_signal(bus, kMenuPath, kMenuInterface, "LayoutUpdated", "ui", revision, 0);
    }
    for (sd_bus_message* call : std::exchange(pendingLayouts, {})) {
        ReplyLayout(call);
        sd_bus_message_unref(call);
    }
    for (sd_bus_message* call : std::exchange(pendingAboutToShow, {})) {
        sd_bus_reply_method_return(call, "b", changed ? 1 : 0);
        sd_bus_message_unref(call);
    }
}

// The root (id 0) holding one plain entry per text, ids 1, 2, ... in the menu's order.
void StatusNotifierItem::ReplyLayout(sd_bus_message* call) {
    sd_bus_message* reply = nullptr;
    int r = sd_bus_message_new_method_return(call, &reply);
    if (r >= 0)
        r = sd_bus_message_append(reply, "u", revision);
    if (r >= 0)
        r = sd_bus_message_open_container(reply, 'r', "ia{sv}av");
    if (r >= 0)
        r = sd_bus_message_append(reply, "ia{sv}", 0, 1, "children-display", "s", "submenu");
    if (r >= 0)
        r = sd_bus_message_open_container(reply, 'a', "v");
    for (std::size_t i = 0; r >= 0 && i < labels.size(); ++i) {
        r = sd_bus_message_append(reply, "v", "(ia{sv}av)", static_cast<std::int32_t>(i + 1), 1,
                                  "label", "s", labels[i].c_str(), 0);
    }
    if (r >= 0)
        r = sd_bus_message_close_container(reply);
    if (r >= 0)
        r = sd_bus_message_close_container(reply);
    if (r >= 0)
        sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
}

}  // namespace t47
