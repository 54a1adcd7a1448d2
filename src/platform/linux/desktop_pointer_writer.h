#pragma once

// The pointer values carried into the desktop the user runs: GNOME through gsettings, Plasma
// through kwriteconfig6 or kwriteconfig5 and then the signal on which Plasma reloads its input
// settings. A setting is written only when its value differs from the one last written, so an
// apply that changes nothing starts no program. A desktop tool that is missing or refuses is
// said once in the log; the writer then leaves the desktop alone.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/debug_output.h"
#include "platform/linux/desktop_pointer_mapping.h"
#include "platform/linux/program_runner.h"

namespace t47 {

class DesktopPointerWriter {
  public:
    DesktopPointerWriter(Desktop desktop, ProgramRunner& runner, DebugOutput& debug);

    Desktop Which() const { return desktop; }
    void Bring(const PointerValues& values);

  private:
    void Say(const std::string& line);
    void GiveUp(const std::string& reason);
    void TellPlasma();

    const Desktop desktop;
    ProgramRunner& runner;
    DebugOutput& debug;
    std::optional<std::filesystem::path> tool;   // gsettings or kwriteconfig, once found
    std::map<std::string, std::string> written;  // by key
    bool off = false;
    bool signalFailureSaid = false;
};

}  // namespace t47
