// Turns the host's window object into the system window our hidden window is a child of.
#pragma once

#include <windows.h>

namespace k7v::platform {

// The system window held by the host's window object (see host/host_window.h), or null when the
// object is null, its bytes cannot be read, or the value there is not a live window of this process.
HWND HostParentWindow(const void* hostWindowObject);

// True when `size` bytes from `address` are committed and readable. Asks the memory manager
// (VirtualQuery) instead of touching the bytes, so a bad pointer raises no access violation.
bool IsReadableMemory(const void* address, std::size_t size);

}  // namespace k7v::platform
