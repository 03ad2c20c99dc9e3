#include "plugin/plugin.h"

#include "device/shuttle_win.h"
#include "plugin/platform.h"
#include "settings/persistence.h"
#include "settings/xml_profile.h"

namespace k7v::plugin {

std::string ModuleBaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

namespace {

// A profile store on the file named by ProfileName. It lives for one host call: it loads the file
// here and writes it back when the caller's scope ends.
std::unique_ptr<settings::XmlProfile> OpenProfile(Platform* platform, const std::string& profileName)
{
    return std::make_unique<settings::XmlProfile>(platform ? platform->CreateXmlDocument() : nullptr, profileName);
}

}  // namespace

Plugin& Plugin::Instance()
{
    static Plugin instance;
    return instance;
}

Plugin::Plugin(Platform* platform) : platform_(platform) {}

Plugin::~Plugin() = default;

const char* Plugin::SetProName(host::HostString name)
{
    // The string object is ours to release, also when something below throws.
    struct Release {
        host::HostString& s;
        ~Release() { host::HostStringRelease(s); }
    } release{name};
    ProfileName = host::HostStringText(name);
    {
        // Touches the profile once: a document without a root gains one, a missing file is created.
        const auto store = OpenProfile(platform_, ProfileName);
        const std::string module = platform_ ? platform_->ModuleFileName() : std::string();
        DisplayName = ModuleBaseName(module) + kVersionText;
    }
    return DisplayName.c_str();
}

bool Plugin::InitControl(void* motion, void* options, void* machine, void* window)
{
    host.records.motion = static_cast<std::uint8_t*>(motion);
    host.records.options = static_cast<std::uint8_t*>(options);
    host.records.machine = static_cast<std::uint8_t*>(machine);
    host.records.window = window;
    // A second InitControl replaces the window: the old one closes its handles before the new
    // one exists.
    window_.reset();
    window_ = std::make_unique<device::ShuttleWin>(host, settings, wide,
                                                   platform_ ? platform_->CreateHidPort() : nullptr,
                                                   platform_ ? platform_->CreateWindowPort() : nullptr);
    window_->CreatePendantWindow(window);
    return true;  // also when no system window could be made
}

void Plugin::PostInitControl()
{
    const auto store = OpenProfile(platform_, ProfileName);
    if (window_) window_->DiscoverPendant();
    // The poll timer that discovery starts is served only after this call returns to the host's
    // message loop, so the settings below are in place before the first poll cycle.
    settings::LoadSettings(*store, settings);
}

void Plugin::Config()
{
    // The dialog's modal loop dispatches the host's messages, so the host may ask for the
    // configuration again while it is open. That call opens no second store over the same file:
    // the platform only brings the open dialog to the front.
    if (configRunning_) {
        if (platform_) platform_->RunConfigDialog(settings);
        return;
    }
    configRunning_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{configRunning_};

    const auto store = OpenProfile(platform_, ProfileName);
    // Reloading first makes hand edits of the profile since start-up take effect here.
    settings::LoadSettings(*store, settings);
    if (platform_) platform_->RunConfigDialog(settings);
    // Saved whatever the dialog's outcome: after Escape the values just loaded go back unchanged,
    // so missing keys are written with their defaults.
    settings::SaveSettings(*store, settings);
}

void Plugin::StopPlug() { window_.reset(); }

}  // namespace k7v::plugin
