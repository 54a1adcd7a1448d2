// t47agent.exe, the agent on Windows: a GUI program without a console window, the agent over
// the Windows functions. It reads no arguments; its exit code is the agent's.

#include "app/agent_application.h"
#include "platform/win32/win32_platform.h"

int main() {
    t47::Win32Platform platform;
    t47::CHidApp agent(platform.Services());
    return agent.Run();
}
