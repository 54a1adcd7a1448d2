#pragma once

// For tests: the debugger lines of the programs of a test, as Wine shows them on its seh
// channel. The test's CTest command runs it with WINEDEBUG=-all,warn+seh and its standard error,
// which every program it starts shares, going to the file that T47_WINE_DEBUG_LOG names. Each
// OutputDebugStringW call is one line there:
//
//   0130:warn:seh:OutputDebugStringA "RefreshScrollLine\n"
//
// (the thread id first; a line feed shown as \n, characters beyond ASCII as ?).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace t47::testing {

class WineDebugChannel {
  public:
    // The file T47_WINE_DEBUG_LOG names; throws std::runtime_error when the test runs without.
    WineDebugChannel();

    // The texts written since the last Mark (or since the start), as Wine quotes them.
    std::vector<std::string> TextsSinceMark() const;
    // From here on.
    void Mark();

  private:
    std::filesystem::path file;
    std::uintmax_t mark = 0;
};

}  // namespace t47::testing
