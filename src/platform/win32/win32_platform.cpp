#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_dialog.h"
#include "platform/win32/win32_hid.h"
#include "platform/win32/win32_module.h"
#include "platform/win32/win32_window.h"
#include "platform/win32/win32_xml.h"

namespace k7v::platform {

std::string Win32Platform::ModuleFileName() const
{
    return OwnModuleFileName();
}

std::unique_ptr<device::HidPort> Win32Platform::CreateHidPort()
{
    return std::make_unique<Win32HidPort>();
}

std::unique_ptr<device::WindowPort> Win32Platform::CreateWindowPort()
{
    return std::make_unique<Win32WindowPort>(OwnModule());
}

settings::DialogResult Win32Platform::RunConfigDialog(settings::PendantSettings& settings)
{
    return RunWin32ConfigDialog(OwnModule(), settings);
}

std::unique_ptr<settings::XmlDocument> Win32Platform::CreateXmlDocument() { return CreateWin32XmlDocument(); }

Win32Platform& TheWin32Platform()
{
    // Made before plugin::Plugin::Instance() (DllMain asks for it first), so it is destroyed after
    // the plug-in at unload and the plug-in never outlives its platform.
    static Win32Platform platform;
    return platform;
}

}  // namespace k7v::platform
