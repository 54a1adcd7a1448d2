#pragma once

// The profile's pointer options carried into the running system and the user's registry, in
// three steps, each followed by its debugger line whatever the step's outcome:
// double-click speed, pointer speed and acceleration, wheel scroll lines.

#include "platform/debug_output.h"
#include "platform/registry.h"
#include "platform/system_parameters.h"
#include "settings/profile_data.h"
#include "system/registry_path_key.h"

namespace t47 {

inline constexpr char16_t kMouseKeyPath[] = u"HKEY_CURRENT_USER\\Control Panel\\Mouse";
inline constexpr char16_t kMouseSubKey[] = u"Control Panel\\Mouse";

struct PointerSettingsTarget {
    SystemParameters& parameters;
    Registry& registry;
    DebugOutput& debug;
    RegistryPathKey& mouseKey;  // stays open on the mouse key after a run
};

void ApplyPointerSettings(const PointerSettingsTarget& target, const ProfileData& profile);

// The session's double-click time, and "DoubleClickSpeed" when the mouse key exists (this
// step never creates it).
void ApplyDoubleClickSpeed(const PointerSettingsTarget& target, const ProfileData& profile);
// The acceleration into the registry (creating the key) and the session; the speed into the
// session only.
void ApplyPointerSpeed(const PointerSettingsTarget& target, const ProfileData& profile);
// The wheel lines, which the system stores in the user's profile itself.
void ApplyScrollLines(const PointerSettingsTarget& target, const ProfileData& profile);

}  // namespace t47
