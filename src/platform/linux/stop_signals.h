#pragma once

// The signals that ask a program to stop: SIGINT from the terminal, SIGTERM from systemd or
// kill, SIGHUP when the terminal goes. The first one runs a handler of the program's on a
// thread of its own (a program closes its window there, as kWmClose would); any later one ends
// the process as the signal does by default, so a program that does not end can still be
// stopped. One object per process.

#include <functional>
#include <thread>

namespace t47 {

class StopSignals {
  public:
    explicit StopSignals(std::function<void()> onStop);
    // The signals do their default again.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    void Run();

    std::function<void()> onStop;
    int readEnd = -1;
    int writeEnd = -1;
    std::thread thread;
};

}  // namespace t47
