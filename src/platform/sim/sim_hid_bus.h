// A simulated HID bus for native builds: devices with interface paths, vendor and product numbers,
// unplug and replug, timed input reports, the feedback reports written to them, and a clock in
// milliseconds that only the test or the simulated host moves.
//
// Input reports model the system's HID input buffer. A report carries the time at which the device
// sends it. When it arrives (the clock reaches that time) it completes a pending read of the
// device, or else joins the device's input buffer, which holds at most 32 reports: a report
// arriving at a full buffer pushes out the oldest. A read takes the oldest buffered report at
// once; with none buffered it stays pending. Waiting for a pending read moves no clock: the wait
// of `ms` completes when the next report's time lies within now + ms. So a report queued for `now`
// is read at once, one for now + 3 completes a 5 ms wait, and one for now + 10 is taken after the
// clock has been advanced to it.
//
// The bus also counts misuse that would be a fault on the real system (a second read while one is
// outstanding, closing a handle with a read still pending, closing what is not open); tests expect
// every count to stay 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/hid_port.h"

namespace k7v::platform {

using SimReport = std::array<std::uint8_t, 8>;
using SimFeedback = std::array<std::uint8_t, 5>;

inline constexpr std::size_t kSimInputBufferReports = 32;  // the system's default HID input buffer
inline constexpr std::size_t kSimScheduleCapacity = 256;
inline constexpr std::size_t kSimWriteHistory = 64;

// A fixed-capacity queue, so that feeding and reading reports never allocates.
template <typename T, std::size_t N>
class FixedQueue {
public:
    bool Empty() const { return count_ == 0; }
    bool Full() const { return count_ == N; }
    std::size_t Size() const { return count_; }
    const T& Front() const { return items_[head_]; }
    const T& Back() const { return items_[(head_ + count_ - 1) % N]; }
    const T& At(std::size_t i) const { return items_[(head_ + i) % N]; }
    void Push(const T& item)
    {
        if (Full()) Pop();
        items_[(head_ + count_) % N] = item;
        ++count_;
    }
    void Pop()
    {
        head_ = (head_ + 1) % N;
        --count_;
    }
    void Clear() { head_ = count_ = 0; }

private:
    std::array<T, N> items_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

struct TimedReport {
    SimReport bytes{};
    std::int64_t sentAtMs = 0;
};

struct SimDevice {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    bool present = true;
    bool openFails = false;       // CreateFileA refuses every open
    bool readOpenFails = false;   // ... only the open for reading
    bool writeOpenFails = false;  // ... only the open for writing
    bool attributesFail = false;  // HidD_GetAttributes fails
    int generation = 0;           // advanced at every unplug; handles of an older one are dead

    FixedQueue<TimedReport, kSimScheduleCapacity> scheduled;      // not yet sent, in time order
    FixedQueue<TimedReport, kSimInputBufferReports> inputBuffer;  // arrived, not yet read
    std::uint64_t reportsDropped = 0;                             // pushed out of a full input buffer
    std::uint64_t reportsDelivered = 0;                           // handed to a read
    std::int64_t lastDeliveredSentAtMs = -1;

    std::uint64_t writeCount = 0;
    FixedQueue<SimFeedback, kSimWriteHistory> writes;  // the newest written feedback reports

    SimFeedback LastWrite() const { return writes.Empty() ? SimFeedback{} : writes.Back(); }
};

struct SimFaults {
    int secondRead = 0;                // StartRead while a read is outstanding on the port
    int closedWithPendingRead = 0;     // CloseHandle of a handle whose read was not cancelled
    int destroyedWithPendingRead = 0;  // the port (and its buffer's owner) went with a read pending
    int badClose = 0;                  // closing an invalid, unknown or already closed handle
    int Total() const { return secondRead + closedWithPendingRead + destroyedWithPendingRead + badClose; }
};

class SimHidPort;

class SimHidBus {
public:
    SimHidBus() = default;
    SimHidBus(const SimHidBus&) = delete;
    SimHidBus& operator=(const SimHidBus&) = delete;

    // Devices enumerate in the order they were added. The reference stays valid.
    SimDevice& AddDevice(const std::string& path, std::uint16_t vendorId, std::uint16_t productId);
    // Null when no device has this path (compared without regard to ASCII case).
    SimDevice* Find(const std::string& path);

    // Unplugging makes every handle of the device fail, fails its pending read and empties its
    // input buffer. Replugging makes it present again; old handles stay dead.
    void Unplug(const std::string& path);
    void Replug(const std::string& path);

    // The device sends `report` at `sentAtMs` (at the current time when omitted). False when the
    // time lies before the last scheduled report of the device, or the schedule is full.
    bool Send(const std::string& path, const SimReport& report);
    bool SendAt(const std::string& path, const SimReport& report, std::int64_t sentAtMs);

    std::int64_t Now() const { return nowMs_; }
    // Moves the clock on and lets every report due by then arrive.
    void Advance(std::int64_t ms);

    std::unique_ptr<SimHidPort> CreatePort();
    // Handles opened and not closed yet, dead ones included.
    int OpenHandleCount() const;

    SimFaults faults;
    int enumerationsOpen = 0;       // BeginEnumeration without EndEnumeration yet
    int writesRefused = 0;          // WriteFile on a handle that is not a live write handle
    bool enumerationFails = false;  // SetupDiGetClassDevsA fails

    // Path comparison as the system does it for device paths: ASCII letters without regard to case.
    static bool SamePath(const std::string& a, const std::string& b);

private:
    friend class SimHidPort;

    enum class HandleKind { Attributes, Read, Write };
    struct HandleRecord {
        std::size_t device = 0;
        HandleKind kind = HandleKind::Attributes;
        int generation = 0;
        bool open = false;
    };

    device::Handle Open(const std::string& path, HandleKind kind);
    // The device behind a live handle of the given kind (any kind when null), or null.
    SimDevice* Live(device::Handle handle, const HandleKind* kind = nullptr);
    HandleRecord* Record(device::Handle handle);
    void Arrive(std::size_t device, const TimedReport& report);
    void Deliver(SimDevice& device, const TimedReport& report, std::uint8_t* buffer, std::size_t size);

    std::vector<std::unique_ptr<SimDevice>> devices_;
    std::vector<HandleRecord> handles_;
    std::vector<SimHidPort*> ports_;
    std::int64_t nowMs_ = 0;
};

// One window's HID port on the bus: its read event and its one outstanding read.
class SimHidPort : public device::HidPort {
public:
    explicit SimHidPort(SimHidBus& bus);
    ~SimHidPort() override;

    bool BeginEnumeration() override;
    bool InterfacePath(int index, std::string& path) override;
    void EndEnumeration() override;
    device::Handle OpenForAttributes(const std::string& path) override;
    bool GetAttributes(device::Handle handle, device::HidAttributes& attributes) override;
    device::Handle OpenForRead(const std::string& path) override;
    device::Handle OpenForWrite(const std::string& path) override;
    void Close(device::Handle handle) override;
    bool CreateReadEvent() override;
    bool HasReadEvent() const override { return hasEvent_; }
    device::ReadStart StartRead(device::Handle handle, std::uint8_t* buffer, std::size_t size) override;
    bool WaitForRead(unsigned milliseconds) override;
    bool FinishRead(device::Handle handle) override;
    void CancelRead(device::Handle handle) override;
    bool Write(device::Handle handle, const std::uint8_t* data, std::size_t size) override;
    bool SamePath(const std::string& a, const std::string& b) const override { return SimHidBus::SamePath(a, b); }

    bool ReadOutstanding() const { return read_.outstanding; }
    int readsStarted = 0;
    int eventsCreated = 0;

private:
    friend class SimHidBus;

    struct Read {
        bool outstanding = false;
        bool completed = false;
        bool succeeded = false;
        device::Handle handle = device::kInvalidHandle;
        std::uint8_t* buffer = nullptr;
        std::size_t size = 0;
    };

    // Completes the outstanding read; the event is signalled.
    void Complete(bool succeeded);

    SimHidBus& bus_;
    bool hasEvent_ = false;
    bool signalled_ = false;
    Read read_;
    std::vector<std::string> enumeration_;
    bool enumerating_ = false;
};

}  // namespace k7v::platform
