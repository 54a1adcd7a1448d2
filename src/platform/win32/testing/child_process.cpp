#include "platform/win32/testing/child_process.h"

#include <stdexcept>

#include "platform/win32/win32_handles.h"

namespace t47::testing {

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::u16string>& arguments) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    for (const std::u16string& argument : arguments) {
        commandLine += L" \"" + WideFromUtf16(argument) + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &started)) {
        throw std::runtime_error("cannot start " + program.string());
    }
    CloseHandle(started.hThread);
    process = reinterpret_cast<std::uintptr_t>(started.hProcess);
}

ChildProcess::~ChildProcess() {
    const HANDLE handle = reinterpret_cast<HANDLE>(process);
    if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) {
        TerminateProcess(handle, 1);
        WaitForSingleObject(handle, INFINITE);
    }
    CloseHandle(handle);
}

std::optional<std::uint32_t> ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
    const HANDLE handle = reinterpret_cast<HANDLE>(process);
    if (WaitForSingleObject(handle, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(handle, &code);
    return code;
}

void SetInheritedEnvironment(std::u16string_view name, std::u16string_view value) {
    const std::wstring text = WideCString(value);
    SetEnvironmentVariableW(WideCString(name).c_str(), text.empty() ? nullptr : text.c_str());
}

}  // namespace t47::testing
