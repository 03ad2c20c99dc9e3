// The Windows back-end of the plug-in's platform: the real HID and window services and the module
// file name. Further services (the XML profile document, the configuration dialog) are added to this
// class as overrides beside these.
#pragma once

#include "plugin/platform.h"

namespace k7v::platform {

class Win32Platform : public plugin::Platform {
public:
    std::string ModuleFileName() const override;
    std::unique_ptr<device::HidPort> CreateHidPort() override;
    std::unique_ptr<device::WindowPort> CreateWindowPort() override;
    std::unique_ptr<settings::XmlDocument> CreateXmlDocument() override;
    settings::DialogResult RunConfigDialog(settings::PendantSettings& settings) override;
};

// The one instance the DLL installs into plugin::Plugin::Instance() when it loads.
Win32Platform& TheWin32Platform();

}  // namespace k7v::platform
