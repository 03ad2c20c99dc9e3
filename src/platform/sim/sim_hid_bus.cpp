#include "platform/sim/sim_hid_bus.h"

#include <algorithm>
#include <cstring>

namespace k7v::platform {
namespace {

// Handle values look like the system's: small multiples of 4, never 0 or the invalid value.
constexpr device::Handle kFirstHandle = 0x100;

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool SimHidBus::SamePath(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

SimDevice& SimHidBus::AddDevice(const std::string& path, std::uint16_t vendorId, std::uint16_t productId)
{
    auto device = std::make_unique<SimDevice>();
    device->path = path;
    device->vendorId = vendorId;
    device->productId = productId;
    devices_.push_back(std::move(device));
    return *devices_.back();
}

SimDevice* SimHidBus::Find(const std::string& path)
{
    for (auto& device : devices_)
        if (SamePath(device->path, path)) return device.get();
    return nullptr;
}

void SimHidBus::Unplug(const std::string& path)
{
    SimDevice* device = Find(path);
    if (!device || !device->present) return;
    // A read pending on the device completes with an error, as the system ends it.
    for (SimHidPort* port : ports_) {
        const SimHidPort::Read& read = port->read_;
        if (!read.outstanding || read.completed) continue;
        const HandleRecord* record = Record(read.handle);
        if (record && devices_[record->device].get() == device) port->Complete(false);
    }
    device->present = false;
    ++device->generation;
    device->inputBuffer.Clear();
}

void SimHidBus::Replug(const std::string& path)
{
    if (SimDevice* device = Find(path)) device->present = true;
}

bool SimHidBus::Send(const std::string& path, const SimReport& report)
{
    return SendAt(path, report, nowMs_);
}

bool SimHidBus::SendAt(const std::string& path, const SimReport& report, std::int64_t sentAtMs)
{
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        SimDevice& device = *devices_[i];
        if (!SamePath(device.path, path)) continue;
        // Every report still scheduled lies in the future, so one due now arrives at once.
        if (sentAtMs <= nowMs_) {
            Arrive(i, {report, sentAtMs});
            return true;
        }
        if (device.scheduled.Full()) return false;
        if (!device.scheduled.Empty() && sentAtMs < device.scheduled.Back().sentAtMs) return false;
        device.scheduled.Push({report, sentAtMs});
        return true;
    }
    return false;
}

void SimHidBus::Advance(std::int64_t ms)
{
    nowMs_ += ms;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        FixedQueue<TimedReport, kSimScheduleCapacity>& scheduled = devices_[i]->scheduled;
        while (!scheduled.Empty() && scheduled.Front().sentAtMs <= nowMs_) {
            const TimedReport report = scheduled.Front();
            scheduled.Pop();
            Arrive(i, report);
        }
    }
}

void SimHidBus::Arrive(std::size_t index, const TimedReport& report)
{
    SimDevice& device = *devices_[index];
    if (!device.present) return;  // an unplugged device sends nothing
    for (SimHidPort* port : ports_) {
        SimHidPort::Read& read = port->read_;
        if (!read.outstanding || read.completed) continue;
        const HandleKind kind = HandleKind::Read;
        if (Live(read.handle, &kind) != &device) continue;
        Deliver(device, report, read.buffer, read.size);
        port->Complete(true);
        return;
    }
    if (device.inputBuffer.Full()) ++device.reportsDropped;
    device.inputBuffer.Push(report);
}

void SimHidBus::Deliver(SimDevice& device, const TimedReport& report, std::uint8_t* buffer, std::size_t size)
{
    std::memcpy(buffer, report.bytes.data(), std::min(size, report.bytes.size()));
    ++device.reportsDelivered;
    device.lastDeliveredSentAtMs = report.sentAtMs;
}

std::unique_ptr<SimHidPort> SimHidBus::CreatePort()
{
    return std::make_unique<SimHidPort>(*this);
}

int SimHidBus::OpenHandleCount() const
{
    return static_cast<int>(
        std::count_if(handles_.begin(), handles_.end(), [](const HandleRecord& h) { return h.open; }));
}

device::Handle SimHidBus::Open(const std::string& path, HandleKind kind)
{
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        const SimDevice& device = *devices_[i];
        if (!device.present || !SamePath(device.path, path)) continue;
        if (device.openFails || (kind == HandleKind::Read && device.readOpenFails) ||
            (kind == HandleKind::Write && device.writeOpenFails))
            return device::kInvalidHandle;
        handles_.push_back({i, kind, device.generation, true});
        return kFirstHandle + 4 * static_cast<device::Handle>(handles_.size() - 1);
    }
    return device::kInvalidHandle;
}

SimHidBus::HandleRecord* SimHidBus::Record(device::Handle handle)
{
    if (handle < kFirstHandle || (handle - kFirstHandle) % 4 != 0) return nullptr;
    const auto index = static_cast<std::size_t>((handle - kFirstHandle) / 4);
    return index < handles_.size() ? &handles_[index] : nullptr;
}

SimDevice* SimHidBus::Live(device::Handle handle, const HandleKind* kind)
{
    const HandleRecord* record = Record(handle);
    if (!record || !record->open || (kind && record->kind != *kind)) return nullptr;
    SimDevice& device = *devices_[record->device];
    return device.present && device.generation == record->generation ? &device : nullptr;
}

// ---- SimHidPort ----

SimHidPort::SimHidPort(SimHidBus& bus) : bus_(bus)
{
    bus_.ports_.push_back(this);
}

SimHidPort::~SimHidPort()
{
    if (read_.outstanding && !read_.completed) ++bus_.faults.destroyedWithPendingRead;
    if (enumerating_) EndEnumeration();
    std::erase(bus_.ports_, this);
}

bool SimHidPort::BeginEnumeration()
{
    if (bus_.enumerationFails) return false;
    enumeration_.clear();
    for (const auto& device : bus_.devices_)
        if (device->present) enumeration_.push_back(device->path);
    enumerating_ = true;
    ++bus_.enumerationsOpen;
    return true;
}

bool SimHidPort::InterfacePath(int index, std::string& path)
{
    if (!enumerating_ || index < 0 || static_cast<std::size_t>(index) >= enumeration_.size()) return false;
    path = enumeration_[static_cast<std::size_t>(index)];
    return true;
}

void SimHidPort::EndEnumeration()
{
    if (!enumerating_) return;
    enumerating_ = false;
    enumeration_.clear();
    --bus_.enumerationsOpen;
}

device::Handle SimHidPort::OpenForAttributes(const std::string& path)
{
    return bus_.Open(path, SimHidBus::HandleKind::Attributes);
}

bool SimHidPort::GetAttributes(device::Handle handle, device::HidAttributes& attributes)
{
    const SimDevice* device = bus_.Live(handle);
    if (!device || device->attributesFail) return false;
    attributes.VendorID = device->vendorId;
    attributes.ProductID = device->productId;
    attributes.VersionNumber = 0x0100;
    return true;
}

device::Handle SimHidPort::OpenForRead(const std::string& path)
{
    return bus_.Open(path, SimHidBus::HandleKind::Read);
}

device::Handle SimHidPort::OpenForWrite(const std::string& path)
{
    return bus_.Open(path, SimHidBus::HandleKind::Write);
}

void SimHidPort::Close(device::Handle handle)
{
    SimHidBus::HandleRecord* record = bus_.Record(handle);
    if (!record || !record->open) {
        ++bus_.faults.badClose;
        return;
    }
    // The system would still complete such a read into its buffer after the handle is gone.
    for (SimHidPort* port : bus_.ports_) {
        Read& read = port->read_;
        if (!read.outstanding || read.handle != handle) continue;
        if (!read.completed) ++bus_.faults.closedWithPendingRead;
        read.outstanding = false;
    }
    record->open = false;
}

bool SimHidPort::CreateReadEvent()
{
    ++eventsCreated;
    hasEvent_ = true;
    signalled_ = true;  // created signalled
    return true;
}

device::ReadStart SimHidPort::StartRead(device::Handle handle, std::uint8_t* buffer, std::size_t size)
{
    ++readsStarted;
    if (read_.outstanding) {
        ++bus_.faults.secondRead;
        return device::ReadStart::Failed;
    }
    const auto kind = SimHidBus::HandleKind::Read;
    SimDevice* device = bus_.Live(handle, &kind);
    if (!hasEvent_ || !device) return device::ReadStart::Failed;
    signalled_ = false;  // ReadFile resets the event of its overlapped record
    if (!device->inputBuffer.Empty()) {
        bus_.Deliver(*device, device->inputBuffer.Front(), buffer, size);
        device->inputBuffer.Pop();
        signalled_ = true;
        return device::ReadStart::Completed;
    }
    read_ = {true, false, false, handle, buffer, size};
    return device::ReadStart::Pending;
}

bool SimHidPort::WaitForRead(unsigned milliseconds)
{
    if (!read_.outstanding) return signalled_;
    if (!read_.completed) {
        const auto kind = SimHidBus::HandleKind::Read;
        SimDevice* device = bus_.Live(read_.handle, &kind);
        if (device && !device->scheduled.Empty() &&
            device->scheduled.Front().sentAtMs <= bus_.Now() + static_cast<std::int64_t>(milliseconds)) {
            const TimedReport report = device->scheduled.Front();
            device->scheduled.Pop();
            bus_.Deliver(*device, report, read_.buffer, read_.size);
            Complete(true);
        }
    }
    return read_.completed;
}

bool SimHidPort::FinishRead(device::Handle handle)
{
    // GetOverlappedResult without waiting: an unfinished read stays outstanding.
    if (!read_.outstanding || !read_.completed || read_.handle != handle) return false;
    read_.outstanding = false;
    return read_.succeeded;
}

void SimHidPort::CancelRead(device::Handle handle)
{
    if (!read_.outstanding || read_.handle != handle) return;
    read_.outstanding = false;
    signalled_ = true;  // the cancelled read completes
}

bool SimHidPort::Write(device::Handle handle, const std::uint8_t* data, std::size_t size)
{
    const auto kind = SimHidBus::HandleKind::Write;
    SimDevice* device = bus_.Live(handle, &kind);
    if (!device) {
        ++bus_.writesRefused;
        return false;
    }
    SimFeedback feedback{};
    std::memcpy(feedback.data(), data, std::min(size, feedback.size()));
    device->writes.Push(feedback);
    ++device->writeCount;
    return true;
}

void SimHidPort::Complete(bool succeeded)
{
    read_.completed = true;
    read_.succeeded = succeeded;
    signalled_ = true;
}

}  // namespace k7v::platform
