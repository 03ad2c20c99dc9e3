// What the plug-in needs from the system it runs on. The Windows DLL installs the real back-end
// when it loads; native builds (tests, the simulated host) install the simulated one.
#pragma once

#include <memory>
#include <string>

#include "device/hid_port.h"
#include "device/window_port.h"
#include "settings/dialog_port.h"
#include "settings/pendant_settings.h"
#include "settings/xml_dom.h"

namespace k7v::plugin {

class Platform {
public:
    virtual ~Platform() = default;

    // Full path of the plug-in's own module file.
    virtual std::string ModuleFileName() const = 0;

    // One HID port and one window per pendant window; null when the platform has none.
    virtual std::unique_ptr<device::HidPort> CreateHidPort() { return nullptr; }
    virtual std::unique_ptr<device::WindowPort> CreateWindowPort() { return nullptr; }

    // A fresh XML document for one profile store; null when the DOM service cannot be created.
    virtual std::unique_ptr<settings::XmlDocument> CreateXmlDocument() { return nullptr; }

    // Runs the configuration dialog modally on `settings`.
    virtual settings::DialogResult RunConfigDialog(settings::PendantSettings& settings)
    {
        (void)settings;
        return settings::DialogResult::Failed;
    }
};

}  // namespace k7v::plugin
