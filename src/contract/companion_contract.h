#pragma once

// What the agent and the companion UI ("Gaming.exe") rely on about each other: window titles,
// the program name, the private window messages and the commands of the tray menu. Every floor
// may include this; it includes nothing of ours, so its numbers are plain integers of the
// sizes of MessageId and WParam. Messages in both directions are posted, never sent; the
// companion UI's window is looked up by title right before each post.

#include <cstdint>

namespace t47 {

// Private messages, fixed numbers above WM_USER (0x400); none is registered by name.
inline constexpr std::uint32_t MSG_TRAY_CALLBACK = 0x465;     // shell to agent: tray icon callback
inline constexpr std::uint32_t MSG_RELOAD_APPLY = 0x4FF;      // companion UI to agent
inline constexpr std::uint32_t MSG_DEVICE_DPI = 0x500;        // input report listener to agent
inline constexpr std::uint32_t MSG_DEVICE_COMMAND = 0x501;    // companion UI to agent
inline constexpr std::uint32_t MSG_UI_SETTINGS_READ = 0x505;  // agent to companion UI
inline constexpr std::uint32_t MSG_UI_DPI_CHANGED = 0x506;    // agent to companion UI
inline constexpr std::uint32_t MSG_UI_DEVICE_STATE = 0x915;   // agent to companion UI

// wParam of MSG_UI_DEVICE_STATE: the mouse did not answer.
inline constexpr std::uintptr_t DEVICE_STATE_ABSENT = 0x917;

// The agent's hidden window; also the name of its single-instance mutex.
inline constexpr char16_t kAgentWindowTitle[] = u"Norvane_T47_Hid";
inline constexpr char16_t kSingleInstanceMutexName[] = u"Norvane_T47_Hid";

// The companion UI: its main window, and its program in the agent's own folder.
inline constexpr char16_t kCompanionWindowTitle[] = u"Norvane T47";
inline constexpr char16_t kCompanionProgram[] = u"Gaming.exe";

// The tray menu's commands, which reach the agent window as WM_COMMAND.
inline constexpr std::uint32_t ID_TRAY_OPEN = 6001;
inline constexpr std::uint32_t ID_TRAY_HIDE = 6002;

// wParam of the WM_COMMAND posted to the companion UI when the agent goes.
inline constexpr std::uintptr_t kAgentClosingCommand = 0xFFFFFFFF;

// The on-screen display window, not made by the agent; closed when the agent goes.
inline constexpr char16_t kOsdWindowTitle[] = u"OSDMain";

}  // namespace t47
