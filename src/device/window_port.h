// What the pendant window needs from the window manager: a hidden child window that receives the
// poll timer and device-change messages on the host's thread.
#pragma once

#include <cstdint>
#include <string>

namespace k7v::device {

inline constexpr std::uint32_t kDeviceArrival = 0x8000;        // DBT_DEVICEARRIVAL
inline constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
inline constexpr std::uint32_t kDeviceTypeInterface = 5;        // DBT_DEVTYP_DEVICEINTERFACE

// A device-change notification as the window received it. For a device-interface record the name
// is the zero-terminated text that follows the interface class identifier.
struct DeviceNotice {
    std::uint32_t deviceType = 0;
    std::string name;
};

// The two messages the hidden window handles.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void OnPollTimer(unsigned timerId) = 0;
    // `notice` is null when the message carried no record.
    virtual bool OnDeviceChange(std::uint32_t event, const DeviceNotice* notice) = 0;
};

class WindowPort {
public:
    virtual ~WindowPort() = default;

    // Creates the hidden child window of the host's window object: default class, no title,
    // child style only (not visible), rectangle 0,0,10,10, control identifier 1. Messages go to
    // `events`. False when no system window could be made; the caller goes on regardless.
    virtual bool Create(void* hostWindowObject, WindowEvents* events) = 0;
    // RegisterDeviceNotificationA for HID device interfaces, recipient this window.
    virtual bool RegisterDeviceEvents() = 0;
    // SetTimer on this window, no timer routine.
    virtual bool StartTimer(unsigned timerId, unsigned periodMs) = 0;
    // Destroys the system window, which ends its timer and notifications. No message reaches
    // `events` afterwards.
    virtual void Destroy() = 0;
};

}  // namespace k7v::device
