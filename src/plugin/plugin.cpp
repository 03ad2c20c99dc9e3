#include "plugin/plugin.h"

#include "plugin/platform.h"

namespace k7v::plugin {

std::string ModuleBaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

Plugin& Plugin::Instance()
{
    static Plugin instance;
    return instance;
}

Plugin::Plugin(Platform* platform) : platform_(platform) {}

Plugin::~Plugin() = default;

const char* Plugin::SetProName(host::HostString name)
{
    ProfileName = host::HostStringText(name);
    const std::string module = platform_ ? platform_->ModuleFileName() : std::string();
    DisplayName = ModuleBaseName(module) + kVersionText;
    host::HostStringRelease(name);
    return DisplayName.c_str();
}

bool Plugin::InitControl(void* motion, void* options, void* machine, void* window)
{
    host.records.motion = static_cast<std::uint8_t*>(motion);
    host.records.options = static_cast<std::uint8_t*>(options);
    host.records.machine = static_cast<std::uint8_t*>(machine);
    host.records.window = window;
    return true;
}

void Plugin::PostInitControl() {}

void Plugin::Config() {}

void Plugin::StopPlug() {}

}  // namespace k7v::plugin
