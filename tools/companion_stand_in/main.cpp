// Gaming.exe, the companion UI's stand-in on Windows (see companion_stand_in.h).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "companion_stand_in.h"
#include "platform/text_encoding.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_windows.h"

int main(int argc, char** argv) {
    t47::Win32Windows windows;
    if (argc == 2) {
        return t47::PostCompanionRequest(windows, argv[1]);
    }
    if (argc > 2) {
        return t47::kBadArguments;
    }
    t47::Win32Shell shell;
    const char* named = std::getenv(t47::kCompanionLogVariable);
    const std::filesystem::path logFile =
        named != nullptr && *named != '\0'
            ? std::filesystem::path(named)
            : t47::PathFromUtf16(shell.ExecutableFolder() + u"\\" + t47::kDefaultCompanionLog);
    std::ofstream log(logFile, std::ios::app);
    return t47::RunCompanionWindow(windows, log);
}
