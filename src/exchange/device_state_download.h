#pragma once

// The download: reads back what the mouse stores (report 3, then report 4) into the agent's
// copy of the active profile, writes that profile into the settings file and bullet macros
// found in the mouse into the macro library, and tells the companion UI. Its result is the
// agent's only test of whether the mouse is there.

#include <cstdint>
#include <string_view>

#include "device/hid_device_link.h"
#include "platform/clock.h"
#include "platform/profile_files.h"
#include "platform/window_messages.h"
#include "settings/profile_data.h"
#include "settings/setting_data.h"

namespace t47 {

// Within this long after a successful download, another one answers 1 without asking the mouse,
// so a burst of device notices leads to one read.
inline constexpr std::uint32_t kDownloadQuietTimeMs = 1000;

// The pause between opening the interface of report 4 and reading it.
inline constexpr std::uint32_t kTransferPauseBeforeButtonsMs = 300;

// What the download reads and writes of the agent window's state.
struct DownloadContext {
    HidDeviceLink& deviceLink;
    Clock& clock;
    ProfileFiles& files;
    WindowMessages& messages;
    // Read only: Current numbers the profile section written, Active the slot whose button
    // records are the held ones.
    const SettingData& workingSettings;
    // The copy of the active slot's profile, overwritten in place with what the mouse holds.
    ProfileData& currentProfile;
    std::u16string_view settingsPath;
    std::u16string_view bulletSettingPath;
    // The tick count at the end of the last successful download.
    std::uint32_t& lastDownloadTick;
};

// 1 when the mouse answered (or the last success is under a second old), 0 when it did not.
// A failure before report 3 is decoded changes nothing; a later failure keeps the decoded
// report 3 fields in memory, but writes no file and posts nothing.
std::int32_t DownloadDeviceState(const DownloadContext& download);

}  // namespace t47
