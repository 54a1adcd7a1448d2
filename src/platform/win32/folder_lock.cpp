#include "platform/profile/folder_lock.h"

#include <windows.h>

#include <string>

namespace t47 {
namespace {

void AppendHex(std::wstring& text, DWORD value) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += kDigits[(value >> shift) & 0xF];
    }
}

// The folder's volume and file index name it whatever path reaches it (short names, links,
// case); none when it cannot be opened.
std::wstring MutexName(const std::filesystem::path& folder) {
    const HANDLE opened = CreateFileW(folder.empty() ? L"." : folder.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(opened, &info) != 0;
    CloseHandle(opened);
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return {};
    }
    std::wstring name = L"Local\\t47-profile-folder-";
    AppendHex(name, info.dwVolumeSerialNumber);
    name += L'-';
    AppendHex(name, info.nFileIndexHigh);
    AppendHex(name, info.nFileIndexLow);
    return name;
}

}  // namespace

// A mutex belongs to the thread that waited for it; the lock lives on one thread's stack. A
// holder that dies leaves it abandoned, which the next waiter takes as its own.
FolderLock::FolderLock(const std::filesystem::path& folder) {
    const std::wstring name = MutexName(folder);
    if (name.empty()) {
        return;
    }
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) {
        return;
    }
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return;
    }
    handle = reinterpret_cast<std::intptr_t>(mutex);
}

FolderLock::~FolderLock() {
    if (Held()) {
        const auto mutex = reinterpret_cast<HANDLE>(handle);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
}

}  // namespace t47
