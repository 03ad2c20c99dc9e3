#include "platform/sim/sim_platform.h"

#include "platform/posix/pugi_xml.h"

namespace k7v::platform {

std::unique_ptr<device::HidPort> SimPlatform::CreateHidPort() { return bus_.CreatePort(); }

std::unique_ptr<device::WindowPort> SimPlatform::CreateWindowPort()
{
    return std::make_unique<SimWindowPort>(&window_, windowCreateFails);
}

std::unique_ptr<settings::XmlDocument> SimPlatform::CreateXmlDocument() { return posix::CreatePugiXmlDocument(); }

}  // namespace k7v::platform
