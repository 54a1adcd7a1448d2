#include "platform/linux/testing/test_processes.h"

#include <grp.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace t47::test {
namespace {

constexpr uid_t kNobody = 65534;

}  // namespace

int RunInChildProcess(const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body() ? 0 : 1);  // no test framework teardown in the child
    }
    int status = -1;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

bool BecomeNobody() {
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

bool GiveToNobody(const std::filesystem::path& path) {
    return ::chown(path.c_str(), kNobody, kNobody) == 0;
}

int CurrentThreadId() {
    return static_cast<int>(::syscall(SYS_gettid));
}

void WaitUntilThreadSleeps(int threadId) {
    const std::string stat = "/proc/self/task/" + std::to_string(threadId) + "/stat";
    for (;;) {
        std::ifstream in(stat);
        std::string pid, name, state;
        in >> pid >> name >> state;  // the thread's name holds no blank
        if (state == "S") {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace t47::test
