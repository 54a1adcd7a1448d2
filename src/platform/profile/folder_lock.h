#pragma once

// What makes the engine's read-modify-write of a file one step for every program that uses the
// engine: while one holds the lock of a folder, every other holder of a lock of that folder, in
// this process or another, waits. It is advisory (the Windows functions and the companion UI do
// not take it) and dies with its holder, so a killed program never leaves it taken: on Linux a
// lock on the folder itself, on Windows a named mutex of the folder's identity. Nothing is
// written, so it works in a folder that only its files are writable in.

#include <cstdint>
#include <filesystem>

namespace t47 {

class FolderLock {
  public:
    // Waits for the lock of the folder (the current one for an empty path). Not held when the
    // folder cannot be locked: missing, unreadable, or on a file system without such locks.
    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Held() const { return handle != kNotHeld; }

  private:
    static constexpr std::intptr_t kNotHeld = -1;
    std::intptr_t handle = kNotHeld;  // a file descriptor, or a mutex handle
};

}  // namespace t47
