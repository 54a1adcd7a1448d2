#include "platform/linux/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace t47 {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The handler may only write: it hands the signal's number to the thread through a pipe.
std::atomic<int> signalPipe{-1};

void OnSignal(int number) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe.load(), &byte, 1);
    errno = savedErrno;
}

void SetDisposition(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kStopSignals) {
        ::sigaction(number, &action, nullptr);
    }
}

}  // namespace

StopSignals::StopSignals(std::function<void()> handler) : onStop(std::move(handler)) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return;  // the signals keep their default: the program still stops, only less gently
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    signalPipe = writeEnd;
    thread = std::thread([this] { Run(); });
    SetDisposition(OnSignal);
}

StopSignals::~StopSignals() {
    if (!thread.joinable()) {
        return;
    }
    SetDisposition(SIG_DFL);
    const unsigned char end = 0;  // no signal has number 0
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &end, 1);
    thread.join();
    signalPipe = -1;
    ::close(readEnd);
    ::close(writeEnd);
}

void StopSignals::Run() {
    bool stopping = false;
    for (;;) {
        unsigned char number = 0;
        const ssize_t got = ::read(readEnd, &number, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got != 1 || number == 0) {
            return;
        }
        if (!stopping) {
            stopping = true;
            onStop();
            continue;
        }
        // Asked again: the gentle stop did not end the program.
        SetDisposition(SIG_DFL);
        ::raise(number);
    }
}

}  // namespace t47
