#pragma once

// The profile-file services the agent uses on the system it was built for: the Windows
// functions themselves on Windows, the portable engine elsewhere.

#include <memory>

#include "platform/profile_files.h"

namespace t47 {

std::unique_ptr<ProfileFiles> MakeSystemProfileFiles();

}  // namespace t47
