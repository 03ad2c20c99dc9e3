// The plug-in's process-wide state and the work behind each export.
//
// One Plugin exists per loaded library (Plugin::Instance). Tests make their own to start clean.
// Every method is called on the host's user-interface thread; nothing here locks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "control/plugin_wide.h"
#include "host/host.h"
#include "host/host_string.h"
#include "settings/pendant_settings.h"

namespace k7v::device {
class ShuttleWin;
}

namespace k7v::plugin {

class Platform;

inline constexpr const char* kVersionText = " Pendant --Halvorn Ver 3.3.0";

// The base name of a module path: without its folders and without its last extension.
std::string ModuleBaseName(const std::string& path);

class Plugin {
public:
    static Plugin& Instance();

    explicit Plugin(Platform* platform = nullptr);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    void SetPlatform(Platform* platform) { platform_ = platform; }
    Platform* GetPlatform() const { return platform_; }

    // The exports' work.
    const char* SetProName(host::HostString name);
    bool InitControl(void* motion, void* options, void* machine, void* window);
    void PostInitControl();
    void Config();
    void StopPlug();
    void Update() { wide.ticks.OnUpdate(); }

    // The pendant window object: made at InitControl, gone after StopPlug.
    device::ShuttleWin* Window() const { return window_.get(); }

    host::Host host;
    settings::PendantSettings settings;
    control::PluginWide wide;
    std::string ProfileName;
    std::string DisplayName;

private:
    Platform* platform_;
    std::unique_ptr<device::ShuttleWin> window_;
    bool configRunning_ = false;  // a Config call is inside its dialog
};

}  // namespace k7v::plugin
