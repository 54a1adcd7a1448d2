#include "platform/win32/testing/system_readback.h"

#include "platform/win32/win32_handles.h"

namespace t47::testing {

std::optional<RegistryValue> ReadRegistryValue(RegistryRoot root, std::u16string_view subKey,
                                               std::u16string_view name) {
    const std::wstring key = WideCString(subKey);
    const std::wstring value = WideCString(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(SystemRegistryRoot(root), key.c_str(), value.c_str(),
                     RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RegistryValue read{type, std::vector<std::uint8_t>(size)};
    if (RegGetValueW(SystemRegistryRoot(root), key.c_str(), value.c_str(),
                     RRF_RT_ANY | RRF_NOEXPAND, &type, read.bytes.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    read.bytes.resize(size);
    return read;
}

void DeleteRegistryTree(RegistryRoot root, std::u16string_view subKey) {
    RegDeleteTreeW(SystemRegistryRoot(root), WideCString(subKey).c_str());
    RegDeleteKeyW(SystemRegistryRoot(root), WideCString(subKey).c_str());
}

PointerSettings ReadPointerSettings() {
    PointerSettings settings;
    settings.doubleClickTime = GetDoubleClickTime();
    int numbers[3] = {};
    SystemParametersInfoW(SPI_GETMOUSE, 0, numbers, 0);
    settings.acceleration = {numbers[0], numbers[1], numbers[2]};
    UINT lines = 0;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    settings.wheelScrollLines = lines;
    return settings;
}

void RestorePointerSettings(const PointerSettings& settings) {
    SetDoubleClickTime(settings.doubleClickTime);
    int numbers[3] = {settings.acceleration.threshold1, settings.acceleration.threshold2,
                      settings.acceleration.acceleration};
    SystemParametersInfoW(SPI_SETMOUSE, 0, numbers, SPIF_UPDATEINIFILE);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, settings.wheelScrollLines, nullptr,
                          SPIF_UPDATEINIFILE);
}

}  // namespace t47::testing
