// What the library does when it is loaded and unloaded. DllMain calls these with the system's own
// functions; the tests pass stand-ins to see the failure path.
#pragma once

// clang-format off
#include <winsock2.h>  // before windows.h, which would bring in the older sockets header
#include <windows.h>
// clang-format on

namespace k7v::platform {

struct StartupCalls {
    int(WSAAPI* startup)(WORD version, LPWSADATA data) = WSAStartup;
    int(WSAAPI* cleanup)() = WSACleanup;
    int(WINAPI* messageBox)(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = MessageBoxA;
};

// Installs the Windows platform into plugin::Plugin::Instance() and starts Windows Sockets 1.1.
// When the sockets cannot be started, shows "Sockets Init Failed" with an OK button and returns
// false, which fails the load.
bool StartLibrary(const StartupCalls& calls = {});

// Ends the sockets use that StartLibrary began. At process exit nothing is called: the other threads
// are gone already and the system releases everything.
void StopLibrary(bool processExiting, const StartupCalls& calls = {});

}  // namespace k7v::platform
