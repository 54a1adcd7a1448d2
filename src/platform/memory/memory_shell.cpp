#include "platform/memory/memory_shell.h"

#include <filesystem>

#include "platform/text_encoding.h"

namespace t47 {

MemoryShell::MemoryShell(WindowMessages& windowMessages) : messages(windowMessages) {}

std::optional<std::u16string> MemoryShell::ApplicationDataFolder() {
    const std::lock_guard lock(mutex);
    return applicationDataFolder;
}

std::u16string MemoryShell::ExecutableFolder() {
    const std::lock_guard lock(mutex);
    return executableFolder;
}

bool MemoryShell::CreateFolder(std::u16string_view path) {
    {
        const std::lock_guard lock(mutex);
        createdFolders.emplace_back(path);
    }
    // The folders are real: the settings files of the in-memory platform are real files.
    std::error_code error;
    std::filesystem::create_directories(PathFromUtf16(path), error);
    return std::filesystem::is_directory(PathFromUtf16(path), error);
}

bool MemoryShell::AddTrayIcon(const TrayIcon& icon) {
    const std::lock_guard lock(mutex);
    trayRequests.push_back({TrayRequestKind::kAdd, icon});
    if (!acceptsTrayIcons || iconShown) {
        return false;
    }
    iconShown = true;
    return true;
}

bool MemoryShell::DeleteTrayIcon(const TrayIcon& icon) {
    const std::lock_guard lock(mutex);
    trayRequests.push_back({TrayRequestKind::kDelete, icon});
    const bool wasShown = iconShown;
    iconShown = false;
    return wasShown;
}

void MemoryShell::BringToForeground(WindowHandle window) {
    const std::lock_guard lock(mutex);
    broughtForward.push_back(window);
}

void MemoryShell::ShowPopupMenu(WindowHandle owner, std::span<const MenuEntry> entries) {
    std::uint32_t choice = 0;
    {
        const std::lock_guard lock(mutex);
        menusShown.emplace_back(entries.begin(), entries.end());
        choice = nextMenuChoice;
        nextMenuChoice = 0;
    }
    if (choice != 0) {
        messages.Post(owner, kWmCommand, choice, 0);
    }
}

void MemoryShell::OpenProgram(std::u16string_view path) {
    const std::lock_guard lock(mutex);
    openedPrograms.emplace_back(path);
}

void MemoryShell::SetApplicationDataFolder(std::optional<std::u16string> folder) {
    const std::lock_guard lock(mutex);
    applicationDataFolder = std::move(folder);
}

void MemoryShell::SetExecutableFolder(std::u16string folder) {
    const std::lock_guard lock(mutex);
    executableFolder = std::move(folder);
}

void MemoryShell::SetAcceptsTrayIcons(bool accepts) {
    const std::lock_guard lock(mutex);
    acceptsTrayIcons = accepts;
}

void MemoryShell::ChooseInNextMenu(std::uint32_t commandId) {
    const std::lock_guard lock(mutex);
    nextMenuChoice = commandId;
}

std::vector<TrayRequest> MemoryShell::TrayRequests() const {
    const std::lock_guard lock(mutex);
    return trayRequests;
}

bool MemoryShell::TrayIconShown() const {
    const std::lock_guard lock(mutex);
    return iconShown;
}

std::vector<std::vector<MenuEntry>> MemoryShell::MenusShown() const {
    const std::lock_guard lock(mutex);
    return menusShown;
}

std::vector<WindowHandle> MemoryShell::BroughtForward() const {
    const std::lock_guard lock(mutex);
    return broughtForward;
}

std::vector<std::u16string> MemoryShell::OpenedPrograms() const {
    const std::lock_guard lock(mutex);
    return openedPrograms;
}

std::vector<std::u16string> MemoryShell::CreatedFolders() const {
    const std::lock_guard lock(mutex);
    return createdFolders;
}

}  // namespace t47
