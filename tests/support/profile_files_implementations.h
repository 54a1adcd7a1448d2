#pragma once

// Every implementation of the profile-file services this build has: the portable engine
// everywhere, and on Windows the system's own functions too. Suites over ProfileFiles run once
// per implementation.

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_files.h"

namespace t47::test {

struct ProfileFilesImplementation {
    std::string name;
    std::function<std::unique_ptr<ProfileFiles>()> make;
    bool newFileIsUtf16;          // a new file is UTF-16LE with its mark, else UTF-8
    std::u16string_view newLine;  // the line end of a new file
};

std::vector<ProfileFilesImplementation> ProfileFilesImplementations();

inline void PrintTo(const ProfileFilesImplementation& implementation, std::ostream* out) {
    *out << implementation.name;
}

}  // namespace t47::test
