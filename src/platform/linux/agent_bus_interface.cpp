#include "platform/linux/agent_bus_interface.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <vector>

#include "contract/companion_contract.h"

namespace t47 {
namespace {

AgentBusInterface& Self(void* userdata) {
    return *static_cast<AgentBusInterface*>(userdata);
}

}  // namespace

struct AgentBusInterface::Access {
    static int Property(sd_bus*, const char*, const char*, const char* property,
                        sd_bus_message* reply, void* userdata, sd_bus_error*) {
        const AgentState& state = Self(userdata).state;
        if (std::strcmp(property, "Connected") == 0) {
            return sd_bus_message_append(reply, "b", state.connected ? 1 : 0);
        }
        return sd_bus_message_append(
            reply, "i",
            std::strcmp(property, "ActiveProfile") == 0 ? state.activeProfile : state.dpiStage);
    }

    static int Request(sd_bus_message* call, void* userdata, sd_bus_error*) {
        AgentBusInterface& self = Self(userdata);
        const MessageId id = sd_bus_message_is_method_call(call, nullptr, "Apply")
                                 ? MSG_RELOAD_APPLY
                                 : MSG_DEVICE_COMMAND;
        // Posted, as the companion's are: the answer says the agent has it, not what came of it.
        if (self.agentWindow != kNoWindow) {
            self.deliver(self.agentWindow, id, 0, 0);
        }
        return sd_bus_reply_method_return(call, "");
    }

    static int NameTaken(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        if (sd_bus_message_is_method_error(reply, nullptr)) {
            Self(userdata).debug.Write(
                u"Desktop: the bus name com.norvane.T47 is taken; the agent's bus interface is "
                u"off\n");
        }
        return 0;
    }
};

namespace {

const sd_bus_vtable kAgentTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Connected", "b", AgentBusInterface::Access::Property, 0,
                    SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
    SD_BUS_PROPERTY("ActiveProfile", "i", AgentBusInterface::Access::Property, 0,
                    SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
    SD_BUS_PROPERTY("DpiStage", "i", AgentBusInterface::Access::Property, 0,
                    SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE),
    SD_BUS_METHOD("Apply", "", "", AgentBusInterface::Access::Request, 0),
    SD_BUS_METHOD("Command", "", "", AgentBusInterface::Access::Request, 0),
    SD_BUS_VTABLE_END};

}  // namespace

AgentBusInterface::AgentBusInterface(sd_bus* connection, DeliverMessage deliverMessage,
                                     DebugOutput& debugOutput)
    : bus(connection), deliver(std::move(deliverMessage)), debug(debugOutput) {
    sd_bus_add_object_vtable(bus, &slot, kAgentBusPath, kAgentBusInterface, kAgentTable, this);
    // Not queued: a second agent of the user cannot run, and nothing else has this name.
    sd_bus_request_name_async(bus, nullptr, kAgentBusName, 0, Access::NameTaken, this);
}

AgentBusInterface::~AgentBusInterface() {
    sd_bus_slot_unref(slot);
}

void AgentBusInterface::StateChanged(const AgentState& now) {
    std::vector<const char*> changed;
    if (now.connected != state.connected) {
        changed.push_back("Connected");
    }
    if (now.activeProfile != state.activeProfile) {
        changed.push_back("ActiveProfile");
    }
    if (now.dpiStage != state.dpiStage) {
        changed.push_back("DpiStage");
    }
    state = now;
    if (!changed.empty()) {
        changed.push_back(nullptr);
        sd_bus_emit_properties_changed_strv(bus, kAgentBusPath, kAgentBusInterface,
                                            const_cast<char**>(changed.data()));
    }
}

}  // namespace t47
