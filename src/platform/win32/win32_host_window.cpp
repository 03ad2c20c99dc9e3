#include "platform/win32/win32_host_window.h"

#include <cstdint>

#include "host/host_window.h"

namespace k7v::platform {

bool IsReadableMemory(const void* address, std::size_t size)
{
    // VirtualQuery reports without raising exceptions, unlike IsBadReadPtr, which probes the bytes
    // under a structured exception handler and can disarm a thread's stack guard page.
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    auto at = reinterpret_cast<std::uintptr_t>(address);
    if (!address || size == 0 || at + size < at) return false;
    const std::uintptr_t end = at + size;
    while (at < end) {
        MEMORY_BASIC_INFORMATION info{};
        if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) == 0) return false;
        if (info.State != MEM_COMMIT || !(info.Protect & kReadable) || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS))) {
            return false;
        }
        const std::uintptr_t regionEnd = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (regionEnd <= at) return false;
        at = regionEnd;
    }
    return true;
}

HWND HostParentWindow(const void* hostWindowObject)
{
    if (!IsReadableMemory(hostWindowObject, host::kHostWindowHandleOffset + host::kHostWindowHandleSize)) {
        return nullptr;
    }
    const HWND window = reinterpret_cast<HWND>(host::HostWindowHandleField(hostWindowObject));
    if (!window || !IsWindow(window)) return nullptr;
    // A stray value may still name some other program's window; the host's window is ours.
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() ? window : nullptr;
}

}  // namespace k7v::platform
