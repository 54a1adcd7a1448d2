#include "platform/linux/linux_system_parameters.h"

#include "platform/text_encoding.h"

namespace t47 {

LinuxSystemParameters::LinuxSystemParameters(ProfileFiles& profileFiles, DebugOutput& debugOutput,
                                             std::u16string path, DesktopPointerWriter* writerOf)
    : files(profileFiles), debug(debugOutput), filePath(std::move(path)), desktop(writerOf) {
    if (desktop) {
        writer = std::thread([this] { WriteDesktop(); });
    }
}

LinuxSystemParameters::~LinuxSystemParameters() {
    if (writer.joinable()) {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_one();
        writer.join();
    }
}

void LinuxSystemParameters::WriteDesktop() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return pending || stopping; });
        if (!pending) {
            return;  // stopping, with nothing left to write
        }
        const PointerValues values = wanted;
        pending = false;
        lock.unlock();
        desktop->Bring(values);
        lock.lock();
    }
}

template <typename Change>
void LinuxSystemParameters::Carry(Change change) {
    if (!desktop) {
        if (!nowhereSaid) {
            nowhereSaid = true;
            debug.Write(
                u"Pointer settings are not carried into this desktop: they are kept in "
                u"SystemSettings.ini\n");
        }
        return;
    }
    {
        const std::lock_guard lock(mutex);
        change(wanted);
        pending = true;
    }
    changed.notify_one();
}

bool LinuxSystemParameters::Keep(std::u16string_view name, std::int64_t value) {
    const std::u16string text = Utf16FromUtf8(std::to_string(value));
    debug.Write(u"System parameter: " + std::u16string(name) + u" = " + text + u"\n");
    return files.WriteProfileString(u"SystemParameters", name, text, filePath);
}

bool LinuxSystemParameters::SetDoubleClickTime(std::uint32_t milliseconds) {
    Carry([milliseconds](PointerValues& values) { values.doubleClickMs = milliseconds; });
    return Keep(u"DoubleClickTime", milliseconds);
}

bool LinuxSystemParameters::SetMouse(const MouseAcceleration& values, std::uint32_t) {
    Carry([&values](PointerValues& wantedValues) {
        wantedValues.accelerated = values.acceleration != 0;
    });
    const bool first = Keep(u"MouseThreshold1", values.threshold1);
    const bool second = Keep(u"MouseThreshold2", values.threshold2);
    const bool acceleration = Keep(u"MouseAcceleration", values.acceleration);
    return first && second && acceleration;
}

bool LinuxSystemParameters::SetMouseSpeed(std::uint32_t speed, std::uint32_t) {
    if (speed < 1 || speed > 20) {
        return false;
    }
    Carry([speed](PointerValues& values) { values.speed = speed; });
    return Keep(u"MouseSpeed", speed);
}

bool LinuxSystemParameters::SetWheelScrollLines(std::uint32_t lines, std::uint32_t) {
    Carry([lines](PointerValues& values) { values.wheelLines = lines; });
    return Keep(u"WheelScrollLines", static_cast<std::int32_t>(lines));
}

}  // namespace t47
