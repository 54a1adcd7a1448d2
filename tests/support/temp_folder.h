#pragma once

// A fresh folder under the system's temporary folder for each test, removed with everything in
// it at the end; whole files written and read with the standard library, as another program
// would.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace t47::test {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path; }
    std::filesystem::path operator/(std::string_view name) const { return path / name; }

    // A path inside the folder, as the agent passes paths around.
    std::u16string File(std::u16string_view name) const;

    // A file of a new name in the folder holding `bytes`; its path as File gives it.
    std::u16string NewFile(std::string_view bytes);

    // The names of everything in the folder, sorted: what a test left, and what it should not.
    std::vector<std::string> Names() const;

  private:
    std::filesystem::path path;
    int newFiles = 0;
};

// The whole content of a file as bytes (empty when it cannot be read).
std::string ReadFileBytes(const std::filesystem::path& file);

void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);

// The file's text as UTF-8 with LF line ends, decoded by its byte-order mark (UTF-16LE, UTF-8,
// or none for UTF-8): the same text whichever encoding and line ends the platform chose.
std::string ReadFileText(const std::filesystem::path& file);

}  // namespace t47::test
