// The HID port on the system's HID and device-setup services and overlapped file I/O.
#pragma once

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include "device/hid_port.h"

namespace k7v::platform {

class Win32HidPort : public device::HidPort {
public:
    Win32HidPort();
    ~Win32HidPort() override;
    Win32HidPort(const Win32HidPort&) = delete;
    Win32HidPort& operator=(const Win32HidPort&) = delete;

    bool BeginEnumeration() override;
    bool InterfacePath(int index, std::string& path) override;
    void EndEnumeration() override;

    device::Handle OpenForAttributes(const std::string& path) override;
    bool GetAttributes(device::Handle handle, device::HidAttributes& attributes) override;
    device::Handle OpenForRead(const std::string& path) override;
    device::Handle OpenForWrite(const std::string& path) override;
    void Close(device::Handle handle) override;

    bool CreateReadEvent() override;
    bool HasReadEvent() const override;

    device::ReadStart StartRead(device::Handle handle, std::uint8_t* buffer, std::size_t size) override;
    bool WaitForRead(unsigned milliseconds) override;
    bool FinishRead(device::Handle handle) override;
    void CancelRead(device::Handle handle) override;

    bool Write(device::Handle handle, const std::uint8_t* data, std::size_t size) override;

    bool SamePath(const std::string& a, const std::string& b) const override;

    // How long CancelRead waits for a cancelled read to complete before giving its I/O record up.
    static constexpr DWORD kCancelWaitMs = 100;

private:
    struct ReadSlot;
    ReadSlot* NewSlot();
    void AbandonSlot();

    GUID hidGuid_{};
    HDEVINFO deviceInfo_ = INVALID_HANDLE_VALUE;
    ReadSlot* slot_ = nullptr;  // the read record; owned, unless abandoned to an unfinished read
};

}  // namespace k7v::platform
