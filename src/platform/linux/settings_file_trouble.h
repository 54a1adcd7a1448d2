#pragma once

// Why the agent cannot keep its settings in a file, said once in the log: the agent itself
// runs on with defaults when the file cannot be read or written, as on Windows, and without a
// word a user would never learn why the mouse forgets everything.

#include <filesystem>
#include <string>

namespace t47 {

// Empty when the file can be read and written, or is missing in a folder where it can be
// created; otherwise one phrase: "is not a file", "is larger than 16 MiB", "cannot be read
// (Permission denied)", "cannot be written (Permission denied)", "cannot be created: its folder
// ... (reason)".
std::string SettingsFileTrouble(const std::filesystem::path& file);

}  // namespace t47
