#include "app/session_events.h"

namespace t47 {
namespace {

constexpr WParam kConsoleConnect = 1;
constexpr WParam kConsoleDisconnect = 2;
constexpr WParam kSessionLock = 7;
constexpr WParam kSessionUnlock = 8;

}  // namespace

SessionAction SessionActionOf(WParam event, std::uint32_t osMajorVersion) {
    const bool locksCount = osMajorVersion >= 6;
    switch (event) {
        case kConsoleConnect:
            return SessionAction::kConnect;
        case kSessionUnlock:
            return locksCount ? SessionAction::kConnect : SessionAction::kNothing;
        case kConsoleDisconnect:
            return SessionAction::kSuspend;
        case kSessionLock:
            return locksCount ? SessionAction::kSuspend : SessionAction::kNothing;
        default:
            return SessionAction::kNothing;
    }
}

}  // namespace t47
