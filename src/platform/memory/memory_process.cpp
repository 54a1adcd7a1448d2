#include "platform/memory/memory_process.h"

#include <algorithm>

namespace t47 {

NamedMutex MemoryProcess::CreateNamedMutex(std::u16string_view name) {
    const std::lock_guard guard(lock);
    const bool existed = std::any_of(handles.begin(), handles.end(),
                                     [&](const auto& entry) { return entry.second == name; });
    const std::uintptr_t value = nextHandle;
    nextHandle += 4;
    handles[value] = std::u16string(name);
    return NamedMutex{MutexHandle{value}, existed};
}

void MemoryProcess::CloseMutex(MutexHandle mutex) {
    const std::lock_guard guard(lock);
    handles.erase(static_cast<std::uintptr_t>(mutex));
}

int MemoryProcess::OpenHandles(std::u16string_view name) const {
    const std::lock_guard guard(lock);
    return static_cast<int>(std::count_if(handles.begin(), handles.end(),
                                          [&](const auto& entry) { return entry.second == name; }));
}

}  // namespace t47
