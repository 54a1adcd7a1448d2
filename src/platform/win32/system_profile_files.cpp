#include "platform/system_profile_files.h"

#include "platform/win32/win32_profile_files.h"

namespace t47 {

std::unique_ptr<ProfileFiles> MakeSystemProfileFiles() {
    return std::make_unique<Win32ProfileFiles>();
}

}  // namespace t47
