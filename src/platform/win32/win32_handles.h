#pragma once

// The boundary's opaque handles, registry roots and text as the Windows functions take them:
// handles are the system's own, text a C string.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"

namespace t47 {

inline HWND SystemWindow(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

inline WindowHandle WindowHandleOf(HWND window) {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

// The system's predefined keys are sign-extended on 64 bits: taken from its own names.
inline HKEY SystemRegistryRoot(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::kClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::kCurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::kLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegistryRoot::kCurrentConfig:
            return HKEY_CURRENT_CONFIG;
    }
    return nullptr;
}

// The system takes C strings: the text up to its first zero unit.
inline std::wstring WideCString(std::u16string_view text) {
    return WideFromUtf16(text.substr(0, text.find(u'\0')));
}

}  // namespace t47
