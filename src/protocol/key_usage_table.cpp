#include "protocol/key_usage_table.h"

namespace t47 {

std::int32_t KeyCodeToUsage(std::int32_t keyCode) {
    if (keyCode < kFirstKeyCode || keyCode > kLastKeyCode) {
        return 0;
    }
    return KeyUsageTable[static_cast<std::size_t>(keyCode - kFirstKeyCode)];
}

std::int32_t UsageToKeyCode(std::int32_t usage) {
    for (std::size_t i = kKeyCodeCount; i-- > 0;) {
        if (KeyUsageTable[i] == usage) {
            return kFirstKeyCode + static_cast<std::int32_t>(i);
        }
    }
    return 0;
}

std::int32_t UsageByteToKeyCode(std::uint8_t usageByte) {
    if (const std::int32_t keyCode = UsageToKeyCode(usageByte); keyCode != 0) {
        return keyCode;
    }
    for (std::size_t i = kKeyCodeCount; i-- > 0;) {
        if ((KeyUsageTable[i] & 0xFF) == usageByte) {
            return kFirstKeyCode + static_cast<std::int32_t>(i);
        }
    }
    return 0;
}

}  // namespace t47
