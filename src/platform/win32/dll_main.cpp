// Library start-up and shut-down: installs the Windows platform into the plug-in and starts
// Windows Sockets, whose failure must fail the host's LoadLibrary.
//
// DllMain runs under the loader lock. It therefore starts no thread, waits on no other thread and
// loads no library itself. Two calls are made there anyway because only DllMain can fail the load:
// WSAStartup (ws2_32 is an import of ours, so it is initialised before us) and, on its failure, the
// message box. At unload by FreeLibrary, WSACleanup balances the start-up; at process exit it is
// skipped, because other threads are already gone and the system releases everything.
// clang-format off
#include <winsock2.h>  // before windows.h, which would bring in the older sockets header
#include <windows.h>
// clang-format on

#include "platform/win32/win32_platform.h"
#include "plugin/plugin.h"

namespace {

bool g_socketsStarted = false;

BOOL Attach()
{
    // The platform first: made first, it is destroyed after the plug-in at unload.
    k7v::platform::Win32Platform& platform = k7v::platform::TheWin32Platform();
    k7v::plugin::Plugin::Instance().SetPlatform(&platform);
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        MessageBoxA(nullptr, "Sockets Init Failed", nullptr, MB_OK);
        return FALSE;
    }
    g_socketsStarted = true;
    return TRUE;
}

void Detach(bool processExiting)
{
    if (g_socketsStarted && !processExiting) WSACleanup();
    g_socketsStarted = false;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            // The plug-in has no use for per-thread notifications.
            DisableThreadLibraryCalls(module);
            try {
                return Attach();
            } catch (...) {
                return FALSE;
            }
        case DLL_PROCESS_DETACH:
            Detach(reserved != nullptr);
            break;
        default:
            break;
    }
    return TRUE;
}
