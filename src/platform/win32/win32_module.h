// The plug-in's own module, as the system knows it.
#pragma once

#include <windows.h>

#include <string>

namespace k7v::platform {

// The module that holds this code: the DLL when loaded by the host, the program in a test build.
HMODULE OwnModule();

// Full path of OwnModule() in the ANSI code page (GetModuleFileNameA); empty if the call fails.
std::string OwnModuleFileName();

}  // namespace k7v::platform
