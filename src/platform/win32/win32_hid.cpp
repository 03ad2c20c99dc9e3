#include "platform/win32/win32_hid.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

extern "C" {
// The HID service's header declares its functions without C linkage of its own.
#include <hidsdi.h>
}

namespace k7v::platform {
namespace {

// The record sizes the device-setup and HID services check on the 32-bit platform.
#ifndef _WIN64
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 28);
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5);
static_assert(sizeof(HIDD_ATTRIBUTES) == 12);
#endif
static_assert(DIGCF_PRESENT + DIGCF_DEVICEINTERFACE == 0x12);

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE ToHandle(device::Handle h)
{
    return reinterpret_cast<HANDLE>(h);
}
device::Handle FromHandle(HANDLE h)
{
    return reinterpret_cast<device::Handle>(h);
}
bool IsOpen(device::Handle h)
{
    return h != device::kInvalidHandle;
}

}  // namespace

// The overlapped read's record and the bytes the system writes. The system may write into both
// until the read completes, so a read that a cancellation could not end keeps them for good
// (AbandonSlot) instead of letting the system write into freed memory.
struct Win32HidPort::ReadSlot {
    OVERLAPPED overlapped{};
    HANDLE event = nullptr;
    std::uint8_t data[64]{};  // the largest full-speed HID report
    bool pending = false;
    HANDLE handle = INVALID_HANDLE_VALUE;  // the handle the pending read was started on
    std::uint8_t* target = nullptr;        // the caller's buffer, filled when the read completes
    std::size_t size = 0;
};

Win32HidPort::Win32HidPort() : slot_(new ReadSlot) {}

Win32HidPort::~Win32HidPort()
{
    EndEnumeration();
    // A read still outstanding is cancelled; if it will not end, its record is abandoned to it.
    if (slot_->pending) CancelRead(FromHandle(slot_->handle));
    if (slot_->event) CloseHandle(slot_->event);
    delete slot_;
}

bool Win32HidPort::BeginEnumeration()
{
    EndEnumeration();
    HidD_GetHidGuid(&hidGuid_);
    deviceInfo_ = SetupDiGetClassDevsA(&hidGuid_, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    return deviceInfo_ != INVALID_HANDLE_VALUE;
}

bool Win32HidPort::InterfacePath(int index, std::string& path)
{
    path.clear();
    if (deviceInfo_ == INVALID_HANDLE_VALUE || index < 0) return false;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    if (!SetupDiEnumDeviceInterfaces(deviceInfo_, nullptr, &hidGuid_, static_cast<DWORD>(index), &interfaceData)) {
        return false;
    }
    // From here on the interface exists: a detail that cannot be had leaves the path empty, the
    // open of an empty path fails, and discovery goes on with the next index.
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailA(deviceInfo_, &interfaceData, nullptr, 0, &required, nullptr);
    constexpr std::size_t kFixedPart = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    if (required <= kFixedPart) return true;
    // DWORD storage keeps the record's size field aligned.
    std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!SetupDiGetDeviceInterfaceDetailA(deviceInfo_, &interfaceData, detail, required, nullptr, nullptr)) {
        return true;
    }
    const std::size_t room = required - kFixedPart;
    path.assign(detail->DevicePath, strnlen(detail->DevicePath, room));
    return true;
}

void Win32HidPort::EndEnumeration()
{
    if (deviceInfo_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(deviceInfo_);
    deviceInfo_ = INVALID_HANDLE_VALUE;
}

device::Handle Win32HidPort::OpenForAttributes(const std::string& path)
{
    return FromHandle(CreateFileA(path.c_str(), 0, kShareReadWrite, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool Win32HidPort::GetAttributes(device::Handle handle, device::HidAttributes& attributes)
{
    if (!IsOpen(handle)) return false;
    HIDD_ATTRIBUTES raw{};
    raw.Size = sizeof raw;
    if (!HidD_GetAttributes(ToHandle(handle), &raw)) return false;
    attributes.VendorID = raw.VendorID;
    attributes.ProductID = raw.ProductID;
    attributes.VersionNumber = raw.VersionNumber;
    return true;
}

device::Handle Win32HidPort::OpenForRead(const std::string& path)
{
    return FromHandle(CreateFileA(path.c_str(), GENERIC_READ, kShareReadWrite, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr));
}

device::Handle Win32HidPort::OpenForWrite(const std::string& path)
{
    return FromHandle(CreateFileA(path.c_str(), GENERIC_WRITE, kShareReadWrite, nullptr, OPEN_EXISTING, 0, nullptr));
}

void Win32HidPort::Close(device::Handle handle)
{
    if (IsOpen(handle)) CloseHandle(ToHandle(handle));
}

bool Win32HidPort::CreateReadEvent()
{
    if (slot_->event) return true;
    // Manual reset, initially signalled, empty name.
    slot_->event = CreateEventA(nullptr, TRUE, TRUE, "");
    slot_->overlapped = OVERLAPPED{};
    slot_->overlapped.hEvent = slot_->event;
    return slot_->event != nullptr;
}

bool Win32HidPort::HasReadEvent() const
{
    return slot_->event != nullptr;
}

device::ReadStart Win32HidPort::StartRead(device::Handle handle, std::uint8_t* buffer, std::size_t size)
{
    if (slot_->pending) {
        // One read at a time: the outstanding read on this handle goes on. One on another handle
        // belongs to a handle the caller has given up; end it before starting afresh.
        if (slot_->handle == ToHandle(handle)) return device::ReadStart::Pending;
        CancelRead(FromHandle(slot_->handle));
    }
    if (!slot_->event || !IsOpen(handle) || !buffer || size == 0 || size > sizeof slot_->data) {
        return device::ReadStart::Failed;
    }
    OVERLAPPED& overlapped = slot_->overlapped;
    overlapped = OVERLAPPED{};
    overlapped.hEvent = slot_->event;
    const HANDLE file = ToHandle(handle);
    if (ReadFile(file, slot_->data, static_cast<DWORD>(size), nullptr, &overlapped)) {
        DWORD got = 0;
        GetOverlappedResult(file, &overlapped, &got, FALSE);
        std::memcpy(buffer, slot_->data, std::min<std::size_t>(got, size));
        return device::ReadStart::Completed;
    }
    if (GetLastError() != ERROR_IO_PENDING) return device::ReadStart::Failed;
    slot_->pending = true;
    slot_->handle = file;
    slot_->target = buffer;
    slot_->size = size;
    return device::ReadStart::Pending;
}

bool Win32HidPort::WaitForRead(unsigned milliseconds)
{
    return slot_->event && WaitForSingleObject(slot_->event, milliseconds) == WAIT_OBJECT_0;
}

bool Win32HidPort::FinishRead(device::Handle)
{
    if (!slot_->pending) return false;
    DWORD got = 0;
    const BOOL ok = GetOverlappedResult(slot_->handle, &slot_->overlapped, &got, FALSE);
    if (!ok && GetLastError() == ERROR_IO_INCOMPLETE) return false;  // still under way
    slot_->pending = false;
    if (!ok || got == 0) return false;
    std::memcpy(slot_->target, slot_->data, std::min<std::size_t>(got, slot_->size));
    return true;
}

void Win32HidPort::CancelRead(device::Handle)
{
    if (!slot_->pending) return;
    // CancelIo ends the reads this thread started on the handle; every read starts on the thread
    // that owns the pendant window, which is the thread that cancels.
    CancelIo(slot_->handle);
    DWORD got = 0;
    if (WaitForSingleObject(slot_->event, kCancelWaitMs) == WAIT_OBJECT_0 &&
        (GetOverlappedResult(slot_->handle, &slot_->overlapped, &got, FALSE) ||
         GetLastError() != ERROR_IO_INCOMPLETE)) {
        slot_->pending = false;
        return;
    }
    AbandonSlot();
}

Win32HidPort::ReadSlot* Win32HidPort::NewSlot()
{
    auto* slot = new ReadSlot;
    if (slot_ && slot_->event) {
        slot->event = CreateEventA(nullptr, TRUE, TRUE, "");
        slot->overlapped.hEvent = slot->event;
    }
    return slot;
}

void Win32HidPort::AbandonSlot()
{
    // The cancelled read did not complete in time. The system may still write into the record,
    // its bytes and its event, so all three are left alive for good (a small, rare leak) and the
    // port goes on with a fresh record; the caller's buffer is never written after this.
    slot_ = NewSlot();
}

bool Win32HidPort::Write(device::Handle handle, const std::uint8_t* data, std::size_t size)
{
    if (!IsOpen(handle)) return false;
    DWORD written = 0;
    return WriteFile(ToHandle(handle), data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

bool Win32HidPort::SamePath(const std::string& a, const std::string& b) const
{
    // The system's own case-insensitive compare in the ANSI code page, so multibyte characters are
    // compared whole.
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace k7v::platform
