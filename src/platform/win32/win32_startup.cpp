#include "platform/win32/win32_startup.h"

#include "platform/win32/win32_platform.h"
#include "plugin/plugin.h"

namespace k7v::platform {
namespace {

bool g_socketsStarted = false;

}  // namespace

bool StartLibrary(const StartupCalls& calls)
{
    // The platform first: made first, it is destroyed after the plug-in at unload.
    Win32Platform& platform = TheWin32Platform();
    plugin::Plugin::Instance().SetPlatform(&platform);
    WSADATA data;
    if (calls.startup(MAKEWORD(1, 1), &data) != 0) {
        calls.messageBox(nullptr, "Sockets Init Failed", nullptr, MB_OK);
        return false;
    }
    g_socketsStarted = true;
    return true;
}

void StopLibrary(bool processExiting, const StartupCalls& calls)
{
    if (g_socketsStarted && !processExiting) calls.cleanup();
    g_socketsStarted = false;
}

}  // namespace k7v::platform
