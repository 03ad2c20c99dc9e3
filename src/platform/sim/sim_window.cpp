#include "platform/sim/sim_window.h"

namespace k7v::platform {

SimWindowPort::SimWindowPort(SimWindowPort** slot, bool createFails) : slot_(slot), createFails_(createFails)
{
    if (slot_) *slot_ = this;
}

SimWindowPort::~SimWindowPort()
{
    if (slot_ && *slot_ == this) *slot_ = nullptr;
}

bool SimWindowPort::Create(void* hostWindowObject, device::WindowEvents* events)
{
    parentObject = hostWindowObject;
    if (createFails_) return false;
    events_ = events;
    created = true;
    return true;
}

bool SimWindowPort::RegisterDeviceEvents()
{
    // RegisterDeviceNotificationA needs a window to deliver to.
    if (!Alive()) return false;
    registered = true;
    ++registrations;
    return true;
}

bool SimWindowPort::StartTimer(unsigned id, unsigned periodMs)
{
    if (!Alive()) return false;  // SetTimer fails without a window
    timerRunning = true;
    timerId = id;
    timerPeriodMs = periodMs;
    return true;
}

void SimWindowPort::Destroy()
{
    destroyed = true;
    timerRunning = false;
    registered = false;
    events_ = nullptr;
}

bool SimWindowPort::Tick()
{
    if (!Alive() || !timerRunning) return false;
    ++ticksDelivered;
    events_->OnPollTimer(timerId);
    return true;
}

bool SimWindowPort::NotifyArrival(const std::string& path)
{
    if (!Alive() || !registered) return false;
    const device::DeviceNotice notice{device::kDeviceTypeInterface, path};
    events_->OnDeviceChange(device::kDeviceArrival, &notice);
    return true;
}

bool SimWindowPort::NotifyRemoval(const std::string& path, std::uint32_t deviceType)
{
    if (!Alive() || !registered) return false;
    const device::DeviceNotice notice{deviceType, path};
    events_->OnDeviceChange(device::kDeviceRemoveComplete, &notice);
    return true;
}

}  // namespace k7v::platform
