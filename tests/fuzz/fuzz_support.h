#pragma once

// What the fuzz targets share: checks that hold in every build type (unlike assert), and a
// reader that turns the fuzzer's bytes into fixed-size values, short inputs padded with zeros.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace t47 {

inline void FuzzCheck(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

    template <std::size_t N>
    std::array<std::uint8_t, N> Bytes() {
        std::array<std::uint8_t, N> bytes{};
        const std::size_t n = std::min(N, rest_.size());
        std::copy_n(rest_.begin(), n, bytes.begin());
        rest_ = rest_.subspan(n);
        return bytes;
    }

    std::int32_t Int32() {
        const auto b = Bytes<4>();
        return static_cast<std::int32_t>(b[0] | b[1] << 8 | b[2] << 16 |
                                         static_cast<std::uint32_t>(b[3]) << 24);
    }

    bool empty() const { return rest_.empty(); }

  private:
    std::span<const std::uint8_t> rest_;
};

}  // namespace t47
