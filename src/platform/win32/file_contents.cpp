#include "platform/profile/file_contents.h"

#include <windows.h>

#include <algorithm>

namespace t47 {

NewFileResult WriteNewFile(const std::filesystem::path& path, std::string_view bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL
                   ? NewFileResult::kFailed
                   : NewFileResult::kNotCreated;
    }
    bool written = true;
    while (written && !bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        DWORD count = 0;
        written = WriteFile(file, bytes.data(), chunk, &count, nullptr) && count == chunk;
        bytes.remove_prefix(chunk);
    }
    written = CloseHandle(file) && written;
    if (!written) {
        DeleteFileW(path.c_str());
        return NewFileResult::kFailed;
    }
    return NewFileResult::kWritten;
}

// Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    return MoveFileExW(from.c_str(), to.c_str(), 0) != 0;
}

}  // namespace t47
