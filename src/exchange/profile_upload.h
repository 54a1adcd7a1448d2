#pragma once

// The exchanges that write into the mouse: the profile upload and the command report. Each
// reopens the device link for the report it is about to send, since each feature report sits
// on an interface of its own. Both run on the agent window's thread and block it for their
// pauses.

#include <cstdint>

#include "device/hid_device_link.h"
#include "platform/clock.h"
#include "settings/profile_data.h"

namespace t47 {

// The pause after a refused settings report, and between the two reports of an upload.
inline constexpr std::uint32_t kTransferPauseMs = 300;
inline constexpr int kSettingsReportAttempts = 5;

// Report 3 (up to five attempts, 300 ms apart), a 300 ms pause, then report 4 once. 1 when the
// mouse accepted both. After a failure no feature handle is left open; after a success the one
// of report 4 is. The profile is only read.
std::int32_t UploadProfile(HidDeviceLink& deviceLink, Clock& clock, const ProfileData& profile);

// Report 6, once; 1 when the mouse accepted it. The feature handle stays open either way.
std::int32_t SendCommandReport(HidDeviceLink& deviceLink);

}  // namespace t47
