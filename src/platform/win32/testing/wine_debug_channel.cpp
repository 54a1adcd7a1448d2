#include "platform/win32/testing/wine_debug_channel.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace t47::testing {
namespace {

constexpr std::string_view kDebugLine = ":OutputDebugStringA \"";

}  // namespace

WineDebugChannel::WineDebugChannel() {
    const char* named = std::getenv("T47_WINE_DEBUG_LOG");
    if (named == nullptr || *named == '\0') {
        throw std::runtime_error("T47_WINE_DEBUG_LOG is not set: run the test through CTest");
    }
    // A Unix path, which Windows programs reach through drive Z:.
    file = std::filesystem::path(std::string("Z:") + named);
    Mark();
}

void WineDebugChannel::Mark() {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    mark = error ? 0 : size;
}

std::vector<std::string> WineDebugChannel::TextsSinceMark() const {
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(mark));
    std::vector<std::string> texts;
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t start = line.find(kDebugLine);
        if (start != std::string::npos && line.size() > start + kDebugLine.size() &&
            line.back() == '"') {
            texts.push_back(line.substr(start + kDebugLine.size(),
                                        line.size() - start - kDebugLine.size() - 1));
        }
    }
    return texts;
}

}  // namespace t47::testing
