// A second process for the tests of the Windows services:
//
//   win32_service_probe             holds a hidden window titled "T47 service probe" until
//                                   it is closed; status 0
//   win32_service_probe mutex NAME  status 1 when another holder of the mutex NAME exists,
//                                   else 0
//   win32_service_probe folder FILE writes its executable's folder into FILE, in UTF-8

#include <fstream>
#include <optional>
#include <string>

#include "platform/text_encoding.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_windows.h"

namespace {

class NoHandling final : public t47::WindowProcedure {
  public:
    std::optional<t47::LParam> HandleMessage(t47::WindowHandle, t47::MessageId, t47::WParam,
                                             t47::LParam) override {
        return std::nullopt;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "mutex") {
        t47::Win32Process process;
        const std::string name = argv[2];
        const t47::NamedMutex mutex =
            process.CreateNamedMutex(std::u16string(name.begin(), name.end()));
        process.CloseMutex(mutex.handle);
        return mutex.alreadyExisted ? 1 : 0;
    }
    if (argc == 3 && std::string(argv[1]) == "folder") {
        t47::Win32Shell shell;
        std::ofstream(argv[2]) << t47::Utf8FromUtf16(shell.ExecutableFolder());
        return 0;
    }
    t47::Win32Windows windows;
    NoHandling procedure;
    const t47::WindowHandle window = windows.CreateHiddenWindow(u"T47 service probe", procedure);
    return window == t47::kNoWindow ? 2 : windows.RunMessageLoop(window);
}
