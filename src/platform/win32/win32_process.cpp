#include "platform/win32/win32_process.h"

#include "platform/win32/win32_handles.h"

namespace t47 {

NamedMutex Win32Process::CreateNamedMutex(std::u16string_view name) {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, WideCString(name).c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        return {kNoMutex, error == ERROR_ACCESS_DENIED};
    }
    return {static_cast<MutexHandle>(reinterpret_cast<std::uintptr_t>(mutex)),
            error == ERROR_ALREADY_EXISTS};
}

void Win32Process::CloseMutex(MutexHandle mutex) {
    if (mutex != kNoMutex) {
        CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(mutex)));
    }
}

}  // namespace t47
