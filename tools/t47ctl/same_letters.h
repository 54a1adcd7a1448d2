#pragma once

// How a typed name matches a name of t47ctl's tables: the same letters, upper or lower case.

#include <cstddef>
#include <string_view>

namespace t47 {

inline bool SameLetters(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace t47
