#include "platform/win32/testing/child_process.h"

#include <stdexcept>

#include "platform/win32/win32_handles.h"

namespace t47::testing {

namespace {

// A file that a started program inherits as its standard output; none when none is named.
HANDLE InheritableOutput(const std::filesystem::path& output) {
    if (output.empty()) {
        return nullptr;
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE file =
        CreateFileW(output.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot create " + output.string());
    }
    return file;
}

}  // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::u16string>& arguments,
                           const std::filesystem::path& output) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    for (const std::u16string& argument : arguments) {
        commandLine += L" \"" + WideFromUtf16(argument) + L"\"";
    }
    Start(program, std::move(commandLine), output);
}

ChildProcess::ChildProcess(const CommandLine& commandLine) {
    Start({}, WideFromUtf16(commandLine.text), {});
}

// With no program named, the command line's first word names it, as the system takes it.
void ChildProcess::Start(const std::filesystem::path& program, std::wstring commandLine,
                         const std::filesystem::path& output) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const HANDLE outputFile = InheritableOutput(output);
    if (outputFile != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = outputFile;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION started{};
    const bool created = CreateProcessW(program.empty() ? nullptr : program.wstring().c_str(),
                                        commandLine.data(), nullptr, nullptr, outputFile != nullptr,
                                        0, nullptr, nullptr, &startup, &started) != FALSE;
    if (outputFile != nullptr) {
        CloseHandle(outputFile);  // the program holds its own
    }
    if (!created) {
        throw std::runtime_error("cannot start " + Utf8FromUtf16(Utf16FromWide(commandLine)));
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
