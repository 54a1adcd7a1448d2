#pragma once

// The fields in which two profiles differ, named as the records name them, one a line with both
// values: a failure message that says what differs instead of dumping two whole records.

#include <string>

#include "settings/profile_data.h"

namespace t47::test {

// Empty when the profiles are equal.
std::string ProfileDifferences(const ProfileData& expected, const ProfileData& actual);

}  // namespace t47::test
