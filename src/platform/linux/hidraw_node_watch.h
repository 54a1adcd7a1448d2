#pragma once

// Watches the /dev folder for hidraw nodes that come, change or go, and says so on a thread of
// its own that sleeps in the kernel until something happens. A node that comes is first owned
// by root and then handed to the user by udev, so a change of its attributes counts as an
// arrival too: the device can be opened only after that.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

namespace t47 {

enum class HidrawNodeChange : std::uint8_t { kArrival, kRemoval };

class HidrawNodeWatch {
  public:
    // `onChange` runs on the watch's thread: once for each run of changes of one kind among
    // the events the kernel hands over together, so a burst makes few calls.
    using ChangeHandler = std::function<void(HidrawNodeChange)>;

    // None when the folder cannot be watched.
    static std::unique_ptr<HidrawNodeWatch> Start(const std::filesystem::path& devRoot,
                                                  ChangeHandler onChange);
    ~HidrawNodeWatch();
    HidrawNodeWatch(const HidrawNodeWatch&) = delete;
    HidrawNodeWatch& operator=(const HidrawNodeWatch&) = delete;

  private:
    HidrawNodeWatch(int inotify, int wake, ChangeHandler onChange);
    void Run();

    int inotify;
    int wake;  // written by the destructor to end the thread
    ChangeHandler onChange;
    std::thread thread;
};

}  // namespace t47
