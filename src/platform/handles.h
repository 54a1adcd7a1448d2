#pragma once

// Handles cross the operating-system boundary as small opaque values: each implementation
// decides what they stand for (on Windows the system's own handles), and the agent only keeps
// them, compares them and hands them back.

#include <cstdint>

namespace t47 {

// An open HID interface. Invalid is all bits set, as the Windows functions spell it.
enum class HidHandle : std::uintptr_t {};
inline constexpr HidHandle kInvalidHidHandle{~std::uintptr_t{0}};

// A window; none is 0.
enum class WindowHandle : std::uintptr_t {};
inline constexpr WindowHandle kNoWindow{0};

// A registration for device notices; none is 0.
enum class NoticeRegistration : std::uintptr_t {};
inline constexpr NoticeRegistration kNoRegistration{0};

// An open registry key; none is 0.
enum class RegistryKey : std::uintptr_t {};
inline constexpr RegistryKey kNoRegistryKey{0};

// A named mutex; none is 0.
enum class MutexHandle : std::uintptr_t {};
inline constexpr MutexHandle kNoMutex{0};

}  // namespace t47
