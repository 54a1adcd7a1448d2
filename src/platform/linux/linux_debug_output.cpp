#include "platform/linux/linux_debug_output.h"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/text_encoding.h"

namespace t47 {

LinuxDebugOutput::LinuxDebugOutput(int fd) : descriptor(fd) {}

void LinuxDebugOutput::Write(std::u16string_view text) {
    std::string bytes = Utf8FromUtf16(text);
    if (bytes.empty() || bytes.back() != '\n') {
        bytes += '\n';
    }
    std::lock_guard lock(mutex);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;  // nobody reads it; the agent goes on
        }
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace t47
