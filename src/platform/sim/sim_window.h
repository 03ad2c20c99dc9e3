// The hidden pendant window without a window system. It records what the pendant window asked of
// it (creation, the poll timer, the device notifications) and lets a test or the simulated host
// deliver timer ticks and device-change notices, as the window manager would.
#pragma once

#include <cstdint>
#include <string>

#include "device/window_port.h"

namespace k7v::platform {

class SimWindowPort : public device::WindowPort {
public:
    // `slot`, when given, points at this window while it lives (the platform's "last window").
    explicit SimWindowPort(SimWindowPort** slot = nullptr, bool createFails = false);
    ~SimWindowPort() override;
    SimWindowPort(const SimWindowPort&) = delete;
    SimWindowPort& operator=(const SimWindowPort&) = delete;

    bool Create(void* hostWindowObject, device::WindowEvents* events) override;
    bool RegisterDeviceEvents() override;
    bool StartTimer(unsigned timerId, unsigned periodMs) override;
    void Destroy() override;

    // One tick of the running timer. False (nothing delivered) without a live window and timer.
    bool Tick();
    // Device-interface notices reach only a live window that registered for them. The removal
    // notice's header names `deviceType`; the real system sends 5 for a device interface.
    bool NotifyArrival(const std::string& path);
    bool NotifyRemoval(const std::string& path, std::uint32_t deviceType = device::kDeviceTypeInterface);

    bool Alive() const { return created && !destroyed; }

    bool created = false;
    bool destroyed = false;
    void* parentObject = nullptr;
    bool timerRunning = false;
    unsigned timerId = 0;
    unsigned timerPeriodMs = 0;
    bool registered = false;
    int registrations = 0;
    int ticksDelivered = 0;

private:
    SimWindowPort** slot_;
    bool createFails_;
    device::WindowEvents* events_ = nullptr;
};

}  // namespace k7v::platform
