#include "app/agent_application.h"

#include "contract/companion_contract.h"

namespace t47 {

CHidApp::CHidApp(PlatformServices services) : platform(services) {}

CHidApp::~CHidApp() {
    ExitInstance();
}

bool CHidApp::TakeSingleInstance() {
    if (singleInstanceMutex != kNoMutex) {
        return true;
    }
    const NamedMutex mutex = platform.process.CreateNamedMutex(kSingleInstanceMutexName);
    if (mutex.alreadyExisted) {
        // Another agent runs: leave without touching any file, device or setting.
        platform.process.CloseMutex(mutex.handle);
        return false;
    }
    singleInstanceMutex = mutex.handle;
    return true;
}

int CHidApp::InitInstance() {
    if (!TakeSingleInstance()) {
        return 0;
    }
    agentWindow = std::make_unique<CMyWnd>(platform);
    mainWindow = agentWindow->CreateAgentWindow();
    return mainWindow != kNoWindow ? 1 : 0;
}

int CHidApp::ExitInstance(int loopExitCode) {
    if (singleInstanceMutex != kNoMutex) {
        platform.process.CloseMutex(singleInstanceMutex);
        singleInstanceMutex = kNoMutex;
    }
    agentWindow.reset();
    return loopExitCode;
}

int CHidApp::Run() {
    if (InitInstance() == 0) {
        return ExitInstance();
    }
    return ExitInstance(platform.windows.RunMessageLoop(mainWindow));
}

}  // namespace t47
