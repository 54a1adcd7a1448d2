#pragma once

// The application: admits one agent per session through a named mutex, owns the agent window
// and runs its message loop.

#include <memory>

#include "app/agent_window.h"
#include "platform/platform_services.h"

namespace t47 {

class CHidApp {
  public:
    explicit CHidApp(PlatformServices platform);
    ~CHidApp();

    CHidApp(const CHidApp&) = delete;
    CHidApp& operator=(const CHidApp&) = delete;

    // 1 when the agent window was created and the loop may run; 0 when another agent holds the
    // mutex (nothing was touched) or the window could not be created. The mutex is taken first,
    // unless TakeSingleInstance took it already.
    int InitInstance();

    // The mutex alone, for a program that makes windows of its own before the agent's: false
    // when another agent holds it. One agent is decided before any window exists.
    bool TakeSingleInstance();

    // Closes the mutex handle and deletes the window object; the exit code, `loopExitCode`.
    int ExitInstance(int loopExitCode = 0);

    // The program's whole life: InitInstance, the message loop until the window is destroyed,
    // ExitInstance. The process exit code.
    int Run();

    CMyWnd* AgentWindow() const { return agentWindow.get(); }
    WindowHandle MainWindow() const { return mainWindow; }

  private:
    PlatformServices platform;
    MutexHandle singleInstanceMutex = kNoMutex;
    std::unique_ptr<CMyWnd> agentWindow;
    WindowHandle mainWindow = kNoWindow;
};

}  // namespace t47
