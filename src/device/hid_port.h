// What the pendant window needs from the system's HID and device-setup services. The Windows
// back-end makes exactly the calls the pendant link is specified with; the simulated bus stands in
// for it in native builds. One HidPort serves one pendant window: it owns that window's read event
// and its overlapped-read record, so at most one report read is ever outstanding per port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace k7v::device {

// A system handle as an opaque value; kInvalidHandle is the system's invalid-handle value.
using Handle = std::intptr_t;
inline constexpr Handle kInvalidHandle = -1;

inline constexpr std::uint32_t kPendantVendorId = 0x04D8;   // 1240
inline constexpr std::uint32_t kPendantProductId = 0xFCE6;  // 64742

struct HidAttributes {
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

enum class ReadStart {
    Completed,  // the report is in the buffer already
    Pending,    // the read is under way; wait on the read event
    Failed,     // no read is outstanding
};

class HidPort {
public:
    virtual ~HidPort() = default;

    // Device enumeration: HidD_GetHidGuid, then SetupDiGetClassDevsA(DIGCF_PRESENT|DIGCF_DEVICEINTERFACE).
    virtual bool BeginEnumeration() = 0;
    // The device path of the interface at `index` (SetupDiEnumDeviceInterfaces and
    // SetupDiGetDeviceInterfaceDetailA). False when the list is exhausted at this index.
    virtual bool InterfacePath(int index, std::string& path) = 0;
    // SetupDiDestroyDeviceInfoList.
    virtual void EndEnumeration() = 0;

    // CreateFileA with no access rights, sharing read and write, for the attribute query.
    virtual Handle OpenForAttributes(const std::string& path) = 0;
    // HidD_GetAttributes.
    virtual bool GetAttributes(Handle handle, HidAttributes& attributes) = 0;
    // CreateFileA with GENERIC_READ and FILE_FLAG_OVERLAPPED, sharing read and write.
    virtual Handle OpenForRead(const std::string& path) = 0;
    // CreateFileA with GENERIC_WRITE, sharing read and write, no flags.
    virtual Handle OpenForWrite(const std::string& path) = 0;
    virtual void Close(Handle handle) = 0;

    // CreateEventA (manual reset, initially signalled); it becomes the event of the read record,
    // whose offsets are set to 0. Called once, at the first match.
    virtual bool CreateReadEvent() = 0;
    virtual bool HasReadEvent() const = 0;

    // Starts an overlapped ReadFile of `size` bytes into `buffer`. While a read is pending the
    // system may write into `buffer` at any time, so it must stay alive until the read completes
    // or is cancelled.
    virtual ReadStart StartRead(Handle handle, std::uint8_t* buffer, std::size_t size) = 0;
    // WaitForSingleObject on the read event for at most `milliseconds`. True when signalled.
    virtual bool WaitForRead(unsigned milliseconds) = 0;
    // After a signalled wait: GetOverlappedResult without waiting. True when the read delivered
    // its bytes; either way the read is then no longer outstanding.
    virtual bool FinishRead(Handle handle) = 0;
    // Cancels an outstanding read on `handle` (CancelIo) and awaits its completion, so nothing
    // lands in the buffer afterwards.
    virtual void CancelRead(Handle handle) = 0;

    // Blocking WriteFile of the feedback report.
    virtual bool Write(Handle handle, const std::uint8_t* data, std::size_t size) = 0;

    // Compares two device paths the way the system compares file names: without regard to case,
    // multibyte-aware.
    virtual bool SamePath(const std::string& a, const std::string& b) const = 0;
};

}  // namespace k7v::device
