#include "platform/system_profile_files.h"

#include "platform/profile/profile_engine.h"

namespace t47 {

std::unique_ptr<ProfileFiles> MakeSystemProfileFiles() {
    return std::make_unique<ProfileEngine>();
}

}  // namespace t47
