#include "platform/linux/linux_shell.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "contract/companion_contract.h"
#include "platform/text_encoding.h"

namespace t47 {

LinuxShell::LinuxShell(std::optional<std::filesystem::path> folder, DebugOutput& debugOutput,
                       StatusNotifierItem* trayItem)
    : applicationData(std::move(folder)), debug(debugOutput), tray(trayItem) {}

std::optional<std::u16string> LinuxShell::ApplicationDataFolder() {
    std::error_code error;
    if (!applicationData || (std::filesystem::create_directories(*applicationData, error), error)) {
        return std::nullopt;
    }
    return Utf16FromPath(*applicationData);
}

std::filesystem::path AgentFolderOfProgram(const std::filesystem::path& programFolder) {
    const std::filesystem::path installed = programFolder.parent_path() / "share" / "norvane-t47";
    std::error_code error;
    return programFolder.filename() == "bin" && std::filesystem::is_directory(installed, error)
               ? installed
               : programFolder;
}

std::u16string LinuxShell::ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::u16string() : Utf16FromPath(AgentFolderOfProgram(program.parent_path()));
}

bool LinuxShell::CreateFolder(std::u16string_view path) {
    std::error_code error;
    std::filesystem::create_directories(PathFromUtf16(path), error);
    return std::filesystem::is_directory(PathFromUtf16(path), error);
}

bool LinuxShell::AddTrayIcon(const TrayIcon& icon) {
    debug.Write(u"Tray icon shown: " + icon.tip + u"\n");
    if (tray != nullptr) {
        tray->Show(icon);
    }
    return true;
}

bool LinuxShell::DeleteTrayIcon(const TrayIcon& icon) {
    debug.Write(u"Tray icon removed: " + icon.tip + u"\n");
    if (tray != nullptr) {
        tray->Hide();
    }
    return true;
}

void LinuxShell::BringToForeground(WindowHandle) {}

void LinuxShell::ShowPopupMenu(WindowHandle, std::span<const MenuEntry> entries) {
    for (const MenuEntry& entry : entries) {
        debug.Write(u"Tray menu: " + Utf16FromUtf8(std::to_string(entry.commandId)) + u" " +
                    entry.text + u"\n");
    }
    if (tray != nullptr) {
        tray->MenuShown(entries);
    }
}

std::optional<std::filesystem::path> LinuxShell::CompanionCommand() {
    std::filesystem::path beside = PathFromUtf16(ExecutableFolder()) / kCompanionProgram;
    if (::access(beside.c_str(), X_OK) == 0) {
        return beside;
    }
    if (applicationData) {
        std::filesystem::path command = *applicationData / "Norvane" / "T47" / "companion";
        if (::access(command.c_str(), X_OK) == 0) {
            return command;
        }
    }
    return std::nullopt;
}

void LinuxShell::OpenProgram(std::u16string_view path) {
    std::filesystem::path chosen = PathFromUtf16(path);
    // The companion UI where the agent looks for it, else the user's companion command.
    if (chosen.filename() == kCompanionProgram && ::access(chosen.c_str(), X_OK) != 0) {
        const std::optional<std::filesystem::path> command = CompanionCommand();
        if (!command) {
            return;  // nothing is started that does not exist
        }
        chosen = *command;
    }
    const std::string program = chosen.native();
    char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
    // Started by a child that ends at once, so the program is nobody's child here and leaves
    // no zombie. Between fork and exec only async-signal-safe calls.
    const pid_t child = ::fork();
    if (child == 0) {
        if (::fork() == 0) {
            ::execv(arguments[0], arguments);
        }
        ::_exit(0);
    }
    if (child > 0) {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

}  // namespace t47
