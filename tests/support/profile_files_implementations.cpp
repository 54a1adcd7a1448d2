#include "support/profile_files_implementations.h"

#include "platform/profile/profile_engine.h"
#ifdef _WIN32
#include "platform/win32/win32_profile_files.h"
#endif

namespace t47::test {

std::vector<ProfileFilesImplementation> ProfileFilesImplementations() {
    return {
        {"Engine", [] { return std::make_unique<ProfileEngine>(); },
         kPlatformNewFileFormat.encoding == TextEncoding::kUtf16LeWithBom,
         kPlatformNewFileFormat.lineEnd == LineEnd::kCrLf ? u"\r\n" : u"\n"},
#ifdef _WIN32
        {"Windows", [] { return std::make_unique<Win32ProfileFiles>(); }, true, u"\r\n"},
#endif
    };
}

}  // namespace t47::test
