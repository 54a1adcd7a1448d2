#include "platform/memory/memory_platform.h"

namespace t47 {

MemoryPlatform::MemoryPlatform(std::uint32_t startTick) : clock(startTick) {}

PlatformServices MemoryPlatform::Services() {
    return PlatformServices{files, hid,     clock,    debug,      windows, windows,
                            shell, process, registry, parameters, state};
}

}  // namespace t47
