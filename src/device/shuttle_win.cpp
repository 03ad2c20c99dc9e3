#include "device/shuttle_win.h"

#include <utility>

#include "host/host_fields.h"

namespace k7v::device {
namespace {

// Report words are little-endian whatever the machine: assemble them byte by byte.
std::uint32_t Word(const PendantReport& report, std::size_t first)
{
    return static_cast<std::uint32_t>(report[first]) | static_cast<std::uint32_t>(report[first + 1]) << 8 |
           static_cast<std::uint32_t>(report[first + 2]) << 16 | static_cast<std::uint32_t>(report[first + 3]) << 24;
}

}  // namespace

ShuttleWin::ShuttleWin(host::Host& host, settings::PendantSettings& settings, control::PluginWide& wide,
                       std::unique_ptr<HidPort> hid, std::unique_ptr<WindowPort> window)
    : host_(host), wide_(wide), hid_(std::move(hid)), window_(std::move(window)), controller_(host, settings, wide)
{
}

ShuttleWin::~ShuttleWin()
{
    // The system window goes first: a host callback below may pump messages, and no timer tick or
    // device-change message may reach this object while it is being torn down.
    if (window_) window_->Destroy();
    link_.DeviceConnected = 0;
    CloseLink();
    if (hid_ && link_.AttributeHandle != kInvalidHandle) hid_->Close(link_.AttributeHandle);
    link_.AttributeHandle = kInvalidHandle;
    // The host must not keep jogging once the wheel that drives the jog is gone.
    controller_.StopJogging();
}

void ShuttleWin::CreatePendantWindow(void* hostWindowObject)
{
    if (window_) window_->Create(hostWindowObject, this);
}

bool ShuttleWin::DiscoverPendant()
{
    // A handle kept from an earlier match would leak if it were simply overwritten.
    if (hid_ && link_.AttributeHandle != kInvalidHandle) hid_->Close(link_.AttributeHandle);
    link_.AttributeHandle = kInvalidHandle;

    bool found = false;
    if (hid_ && hid_->BeginEnumeration()) {
        std::string path;
        for (int index = 0; !found && hid_->InterfacePath(index, path); ++index) {
            link_.AttributeHandle = hid_->OpenForAttributes(path);
            HidAttributes attributes;
            const bool match = link_.AttributeHandle != kInvalidHandle &&
                               hid_->GetAttributes(link_.AttributeHandle, attributes) &&
                               attributes.VendorID == kPendantVendorId && attributes.ProductID == kPendantProductId;
            if (match) {
                Connect(path);  // the matched device's attribute handle stays open
                found = true;
            } else {
                if (link_.AttributeHandle != kInvalidHandle) hid_->Close(link_.AttributeHandle);
                link_.AttributeHandle = kInvalidHandle;
            }
        }
        hid_->EndEnumeration();
    }

    // The poll timer runs even without a pendant; every cycle then ends at once.
    if (window_) window_->StartTimer(kPollTimerId, kPollPeriodMs);
    return found;
}

void ShuttleWin::Connect(const std::string& path)
{
    link_.DeviceConnected = 1;
    link_.DevicePath = path;
    if (window_ && !notificationsRegistered_) notificationsRegistered_ = window_->RegisterDeviceEvents();
    if (!hid_->HasReadEvent()) hid_->CreateReadEvent();
    OpenLink();
    link_.DeviceConnected = 1;
}

void ShuttleWin::OpenLink()
{
    // Handles still open (an arrival without a removal before it) are closed, not leaked.
    CloseLink();
    link_.ReadHandle = hid_->OpenForRead(link_.DevicePath);
    link_.WriteHandle = hid_->OpenForWrite(link_.DevicePath);
}

void ShuttleWin::CloseLink()
{
    if (!hid_) return;
    CancelPendingRead();
    if (link_.ReadHandle != kInvalidHandle) hid_->Close(link_.ReadHandle);
    link_.ReadHandle = kInvalidHandle;
    if (link_.WriteHandle != kInvalidHandle) hid_->Close(link_.WriteHandle);
    link_.WriteHandle = kInvalidHandle;
}

void ShuttleWin::CancelPendingRead()
{
    // CloseHandle alone would let the system complete the read into ioBuffer_ later.
    if (link_.ReadPending) hid_->CancelRead(link_.ReadHandle);
    link_.ReadPending = false;
}

bool ShuttleWin::OnDeviceChange(std::uint32_t event, const DeviceNotice* notice)
{
    if (!hid_) return true;
    if (event == kDeviceArrival) {
        // Which device arrived is not examined: the stored path is opened again, and fails when
        // it was some other device. Without a match there is no path to open.
        if (link_.DevicePath.empty()) return true;
        link_.DeviceConnected = 1;
        OpenLink();
        link_.DeviceConnected = 1;
    } else if (event == kDeviceRemoveComplete) {
        if (notice && notice->deviceType == kDeviceTypeInterface && !link_.DevicePath.empty() &&
            hid_->SamePath(notice->name, link_.DevicePath)) {
            CloseLink();
            link_.DeviceConnected = 0;
            // The host must not keep jogging once the wheel that drives the jog is gone.
            controller_.StopJogging();
        }
    }
    return true;
}

void ShuttleWin::OnPollTimer(unsigned timerId)
{
    (void)timerId;  // the window has only the poll timer
    if (link_.DeviceConnected == 0) return;
    RefreshRestoreG90();
    previousReport_ = readBuffer_;
    ReadReport();
    controller_.DecodeReport(Word(readBuffer_, 0), Word(readBuffer_, 4));
    ComposeFeedback();
    if (link_.WriteHandle != kInvalidHandle) hid_->Write(link_.WriteHandle, feedback_.data(), feedback_.size());
}

void ShuttleWin::ReadReport()
{
    // Whenever no new report is taken, readBuffer_ keeps the previous one and is decoded again.
    if (link_.ReadHandle == kInvalidHandle) return;
    if (!link_.ReadPending) {
        switch (hid_->StartRead(link_.ReadHandle, ioBuffer_.data(), ioBuffer_.size())) {
        case ReadStart::Completed: readBuffer_ = ioBuffer_; return;
        case ReadStart::Failed: return;
        case ReadStart::Pending: link_.ReadPending = true; break;
        }
    }
    // A read still pending after the wait is left to complete; the next cycle waits for it
    // instead of starting another read into the same buffer.
    if (!hid_->WaitForRead(kReportWaitMs)) return;
    link_.ReadPending = false;
    if (hid_->FinishRead(link_.ReadHandle)) readBuffer_ = ioBuffer_;
}

void ShuttleWin::RefreshRestoreG90()
{
    using namespace host::fields;
    // Only an idle host with settled counters says whether it wants its G90 back.
    if (host_.Get(HostBusyFlag) == 0 && host_.Get(MachineCountB) == host_.Get(MachineCountA) &&
        host_.Get(MotionCountB) == host_.Get(MotionCountA))
        controller_.State().RestoreG90 = host_.Get(HostNoG90Flag) == 0 ? 1 : 0;
}

void ShuttleWin::ComposeFeedback()
{
    feedback_[0] = 0;  // report identifier
    feedback_[3] = static_cast<std::uint8_t>(wide_.ticks.HeartbeatCounter & 0xFF);
    feedback_[1] = host_.GetLED(kFeedbackLedCode) ? 1 : 0;
}

}  // namespace k7v::device
