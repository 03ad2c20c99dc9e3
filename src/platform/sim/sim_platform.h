// The platform of native builds: the simulated HID bus and hidden window.
#pragma once

#include <memory>
#include <string>

#include "platform/sim/sim_dialog.h"
#include "platform/sim/sim_hid_bus.h"
#include "platform/sim/sim_window.h"
#include "plugin/platform.h"

namespace k7v::platform {

inline constexpr const char* kSimModuleFileName = "/opt/k7v/OrvaneK7V.dll";

class SimPlatform : public plugin::Platform {
public:
    SimPlatform() = default;
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    std::string ModuleFileName() const override { return moduleFileName_; }
    void SetModuleFileName(std::string path) { moduleFileName_ = std::move(path); }

    std::unique_ptr<device::HidPort> CreateHidPort() override;
    std::unique_ptr<device::WindowPort> CreateWindowPort() override;
    // Profile documents on pugixml, read from and written to real files.
    std::unique_ptr<settings::XmlDocument> CreateXmlDocument() override;
    // Plays the next answer queued on `dialog`; with none queued the user presses Escape.
    settings::DialogResult RunConfigDialog(settings::PendantSettings& settings) override { return dialog.Run(settings); }

    SimHidBus& Bus() { return bus_; }
    // The window port created last, while it lives; null before InitControl and after StopPlug.
    SimWindowPort* Window() const { return window_; }
    // The windows made from now on cannot be created (SetTimer and the notifications then fail too).
    bool windowCreateFails = false;
    // What the user does in each configuration dialog, and the messages it showed.
    ScriptedDialog dialog;

private:
    std::string moduleFileName_ = kSimModuleFileName;
    SimHidBus bus_;
    SimWindowPort* window_ = nullptr;
};

}  // namespace k7v::platform
