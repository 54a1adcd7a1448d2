#include "platform/win32/win32_platform.h"

namespace t47 {

PlatformServices Win32Platform::Services() {
    return {files, hid,     clock,    debug,      windows, windows,
            shell, process, registry, parameters, state};
}

}  // namespace t47
