#include "platform/win32/win32_profile_files.h"

#include "platform/win32/win32_handles.h"

#include <windows.h>

// <windows.h> maps these names onto its win.ini functions; here they are our methods.
#undef GetProfileInt
#undef GetProfileString
#undef WriteProfileString

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "platform/profile/file_contents.h"
#include "platform/profile/folder_lock.h"
#include "platform/profile/profile_file_draft.h"
#include "platform/profile/profile_values.h"
#include "platform/text_encoding.h"

namespace t47 {
namespace {

// The file a path names, as a full path. The profile functions look for a bare file name in the
// Windows folder, where every other call (and every other implementation) looks in the current
// one: resolved first, all calls reach the same file.
std::wstring FilePath(std::u16string_view path) {
    const std::wstring given = WideCString(path);
    if (given.empty()) {
        return given;
    }
    const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return given;
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return given;
    }
    full.resize(length);
    return full;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Creates the file holding only FF FE when it does not exist; true when this call created it.
bool CreateUtf16File(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    static constexpr unsigned char kMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    const bool ok = WriteFile(file, kMark, sizeof kMark, &written, nullptr) && written == 2;
    CloseHandle(file);
    if (!ok) {
        DeleteFileW(path.c_str());
    }
    return ok;
}

}  // namespace

std::int32_t Win32ProfileFiles::GetProfileInt(std::u16string_view section, std::u16string_view key,
                                              std::int32_t defaultValue, std::u16string_view path) {
    try {
        const std::wstring file = FilePath(path);
        if (file.empty()) {
            return defaultValue;
        }
        return static_cast<std::int32_t>(GetPrivateProfileIntW(
            WideCString(section).c_str(), WideCString(key).c_str(), defaultValue, file.c_str()));
    } catch (...) {
        return defaultValue;
    }
}

std::u16string Win32ProfileFiles::GetProfileString(std::u16string_view section,
                                                   std::u16string_view key,
                                                   std::u16string_view defaultText,
                                                   std::size_t bufferUnits,
                                                   std::u16string_view path) {
    try {
        const std::wstring file = FilePath(path);
        const std::wstring sectionText = WideCString(section);
        const std::wstring keyText = WideCString(key);
        const std::wstring defaultWide = WideCString(defaultText);
        if (bufferUnits == 0) {
            return {};
        }
        const std::size_t limit =
            std::min<std::size_t>(bufferUnits, std::numeric_limits<DWORD>::max());
        if (file.empty()) {
            // What the function gives for a missing file, without letting it near win.ini.
            return CopyDefaultToBuffer(Utf16FromWide(defaultWide), limit);
        }
        // A buffer as large as the caller's is allocated only for values that need it.
        std::size_t size = std::min<std::size_t>(limit, 4096);
        std::vector<wchar_t> buffer;
        for (;;) {
            buffer.assign(size, L'\0');
            const DWORD length =
                GetPrivateProfileStringW(sectionText.c_str(), keyText.c_str(), defaultWide.c_str(),
                                         buffer.data(), static_cast<DWORD>(size), file.c_str());
            if (length + 1 < size || size == limit) {
                return Utf16FromWide(std::wstring_view(buffer.data(), length));
            }
            size = std::min(limit, size * 2);
        }
    } catch (...) {
        return {};
    }
}

bool Win32ProfileFiles::GetProfileStruct(std::u16string_view section, std::u16string_view key,
                                         std::span<std::uint8_t> bytes, std::u16string_view path) {
    try {
        const std::wstring file = FilePath(path);
        if (file.empty() || bytes.size() > std::numeric_limits<UINT>::max()) {
            return false;
        }
        // Windows may fill part of the buffer before it fails; the caller's stays untouched.
        std::vector<std::uint8_t> read(bytes.size());
        if (!GetPrivateProfileStructW(WideCString(section).c_str(), WideCString(key).c_str(), read.data(),
                                      static_cast<UINT>(read.size()), file.c_str())) {
            return false;
        }
        std::copy(read.begin(), read.end(), bytes.begin());
        return true;
    } catch (...) {
        return false;
    }
}

bool Win32ProfileFiles::WriteProfileString(std::u16string_view section, std::u16string_view key,
                                           std::u16string_view value, std::u16string_view path) {
    try {
        const std::wstring file = FilePath(path);
        if (file.empty()) {
            return false;
        }
        const bool created = !IsFile(file) && CreateUtf16File(file);
        const bool written = WritePrivateProfileStringW(WideCString(section).c_str(), WideCString(key).c_str(),
                                                        WideCString(value).c_str(), file.c_str());
        if (!written && created) {
            DeleteFileW(file.c_str());
        }
        return written;
    } catch (...) {
        return false;
    }
}

bool Win32ProfileFiles::WriteProfileStruct(std::u16string_view section, std::u16string_view key,
                                           std::span<const std::uint8_t> bytes,
                                           std::u16string_view path) {
    try {
        const std::wstring file = FilePath(path);
        if (file.empty() || bytes.size() > std::numeric_limits<UINT>::max()) {
            return false;
        }
        const bool created = !IsFile(file) && CreateUtf16File(file);
        // The function takes the block through a non-const pointer but only reads it.
        std::vector<std::uint8_t> block(bytes.begin(), bytes.end());
        const bool written =
            WritePrivateProfileStructW(WideCString(section).c_str(), WideCString(key).c_str(), block.data(),
                                       static_cast<UINT>(block.size()), file.c_str());
        if (!written && created) {
            DeleteFileW(file.c_str());
        }
        return written;
    } catch (...) {
        return false;
    }
}

bool Win32ProfileFiles::FileExists(std::u16string_view path) {
    try {
        const std::wstring file = FilePath(path);
        // A file of no bytes counts as missing: only a writer killed at its start leaves one.
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return !file.empty() && GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data) &&
               (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
               (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0);
    } catch (...) {
        return false;
    }
}

bool Win32ProfileFiles::CreateProfileFile(std::u16string_view path,
                                          const std::function<void(ProfileFiles&)>& write) {
    try {
        const std::wstring file = FilePath(path);
        if (file.empty()) {
            return false;
        }
        ProfileFileDraft draft({TextEncoding::kUtf16LeWithBom, LineEnd::kCrLf});
        write(draft);
        const std::filesystem::path target(file);
        // The engine's lock: the copy beside the file then takes the one name that is ours.
        const FolderLock folderLock(target.parent_path());
        return CreateFileContents(target, draft.Bytes(), folderLock.Held());
    } catch (...) {
        return false;
    }
}

}  // namespace t47
