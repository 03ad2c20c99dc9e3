// Our stand-in for the window objects of the class library that the host and the plug-in share.
//
// The host hands InitControl one of its window objects. That class library lays a window object out
// as a pointer to its table of virtual functions followed by the system window handle, so the handle
// is read at kHostWindowHandleOffset. The object comes from outside and may be null, not yet
// attached to a system window, or not a window object at all: the platform layer checks that the
// bytes are readable and that the value names a live window of this process before using it
// (platform/win32/win32_host_window.h), and falls back to a window of its own otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace k7v::host {

inline constexpr std::size_t kHostWindowHandleOffset = sizeof(void*);
inline constexpr std::size_t kHostWindowHandleSize = sizeof(void*);

// The raw handle field of a window object whose bytes the caller has found readable.
inline std::uintptr_t HostWindowHandleField(const void* object)
{
    std::uintptr_t value = 0;
    std::memcpy(&value, static_cast<const std::uint8_t*>(object) + kHostWindowHandleOffset, sizeof value);
    return value;
}

}  // namespace k7v::host
