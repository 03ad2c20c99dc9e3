#include "platform/win32/win32_window.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>

#include "platform/win32/win32_host_window.h"

extern "C" {
// The HID service's header declares its functions without C linkage of its own.
#include <hidsdi.h>
}

namespace k7v::platform {
namespace {

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) == 32);
static_assert(DBT_DEVTYP_DEVICEINTERFACE == device::kDeviceTypeInterface);
static_assert(DBT_DEVICEARRIVAL == device::kDeviceArrival);
static_assert(DBT_DEVICEREMOVECOMPLETE == device::kDeviceRemoveComplete);

// Reads the notification record that came with a device-change message. Its size field bounds every
// read, so a short or malformed record yields what it holds and nothing beyond it.
device::DeviceNotice ReadNotice(const DEV_BROADCAST_HDR& header)
{
    device::DeviceNotice notice;
    notice.deviceType = header.dbch_devicetype;
    constexpr std::size_t kNameAt = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
    if (header.dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE && header.dbch_size > kNameAt) {
        const char* name = reinterpret_cast<const char*>(&header) + kNameAt;
        notice.name.assign(name, strnlen(name, header.dbch_size - kNameAt));
    }
    return notice;
}

}  // namespace

Win32WindowPort::Win32WindowPort(HINSTANCE module) : module_(module) {}

Win32WindowPort::~Win32WindowPort()
{
    Destroy();
}

bool Win32WindowPort::Create(void* hostWindowObject, device::WindowEvents* events)
{
    Destroy();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Win32WindowPort::WindowProc;
    windowClass.hInstance = module_;
    windowClass.lpszClassName = kClassName;
    // A class left behind by an earlier window of ours is reused; Destroy unregisters it again,
    // because a class outlives an unloaded DLL and would keep a window procedure that is gone.
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    events_ = events;
    HWND parent = HostParentWindow(hostWindowObject);
    messageOnly_ = parent == nullptr;
    if (messageOnly_) parent = HWND_MESSAGE;
    window_ = CreateWindowExA(0, kClassName, "", WS_CHILD, 0, 0, 10, 10, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)), module_, this);
    if (!window_) {
        events_ = nullptr;
        messageOnly_ = false;
        UnregisterClassA(kClassName, module_);
        return false;
    }
    return true;
}

bool Win32WindowPort::RegisterDeviceEvents()
{
    if (!window_) return false;
    if (notification_) return true;
    DEV_BROADCAST_DEVICEINTERFACE_A filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HidD_GetHidGuid(&filter.dbcc_classguid);
    notification_ = RegisterDeviceNotificationA(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    return notification_ != nullptr;
}

bool Win32WindowPort::StartTimer(unsigned timerId, unsigned periodMs)
{
    return window_ && SetTimer(window_, timerId, periodMs, nullptr) != 0;
}

void Win32WindowPort::Destroy()
{
    events_ = nullptr;  // nothing reaches the pendant window from here on
    // The system keeps a registration until it is withdrawn, even after its window is gone.
    if (notification_) UnregisterDeviceNotification(notification_);
    notification_ = nullptr;
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);  // ends the timer with the window
        window_ = nullptr;
        UnregisterClassA(kClassName, module_);
    }
    messageOnly_ = false;
}

LRESULT CALLBACK Win32WindowPort::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* port = reinterpret_cast<Win32WindowPort*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (port && port->events_ && (message == WM_TIMER || message == WM_DEVICECHANGE)) {
        // No exception may unwind through the window manager's frames.
        try {
            return port->Handle(message, wParam, lParam);
        } catch (...) {
            return message == WM_DEVICECHANGE ? TRUE : 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Win32WindowPort::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        events_->OnPollTimer(static_cast<unsigned>(wParam));
        return 0;
    }
    // Only the device events carry a notification record in lParam; the others carry 0 or data.
    const bool hasRecord = wParam >= DBT_DEVICEARRIVAL && wParam <= DBT_CUSTOMEVENT;
    const auto* header = hasRecord ? reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam) : nullptr;
    if (!header) return events_->OnDeviceChange(static_cast<std::uint32_t>(wParam), nullptr) ? TRUE : FALSE;
    const device::DeviceNotice notice = ReadNotice(*header);
    return events_->OnDeviceChange(static_cast<std::uint32_t>(wParam), &notice) ? TRUE : FALSE;
}

}  // namespace k7v::platform
