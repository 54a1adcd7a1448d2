#include "platform/win32/win32_debug_output.h"

#include "platform/win32/win32_handles.h"

namespace t47 {

void Win32DebugOutput::Write(std::u16string_view text) {
    OutputDebugStringW(WideCString(text).c_str());
}

}  // namespace t47
