// The window port on the window manager: the hidden window that receives the poll timer and the
// device-change notifications on the thread that creates it (the host's user-interface thread).
#pragma once

#include <windows.h>

#include "device/window_port.h"

namespace k7v::platform {

class Win32WindowPort : public device::WindowPort {
public:
    // Name of the window class this port registers in `module` for its hidden window.
    static constexpr const char* kClassName = "K7VPendantWindow";
    static constexpr int kControlId = 1;

    explicit Win32WindowPort(HINSTANCE module);
    ~Win32WindowPort() override;
    Win32WindowPort(const Win32WindowPort&) = delete;
    Win32WindowPort& operator=(const Win32WindowPort&) = delete;

    // A child of the host's window when the window object yields a usable one; otherwise a
    // message-only window, which still gets the timer and the device notifications.
    bool Create(void* hostWindowObject, device::WindowEvents* events) override;
    bool RegisterDeviceEvents() override;
    bool StartTimer(unsigned timerId, unsigned periodMs) override;
    void Destroy() override;

    HWND Window() const { return window_; }
    bool IsMessageOnly() const { return messageOnly_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE module_;
    HWND window_ = nullptr;
    HDEVNOTIFY notification_ = nullptr;
    device::WindowEvents* events_ = nullptr;
    bool messageOnly_ = false;
};

}  // namespace k7v::platform
