// The hidden pendant window: it finds and opens the pendant, follows its removal and return, and
// runs the 25 ms poll cycle that reads one input report, decodes it and answers with a feedback
// report. It talks to the system only through its HidPort and WindowPort.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "control/controller.h"
#include "control/plugin_wide.h"
#include "device/hid_port.h"
#include "device/window_port.h"
#include "host/host.h"
#include "settings/pendant_settings.h"

namespace k7v::device {

using PendantReport = std::array<std::uint8_t, 8>;
using PendantFeedback = std::array<std::uint8_t, 5>;

inline constexpr unsigned kPollTimerId = 1;
inline constexpr unsigned kPollPeriodMs = 25;
inline constexpr unsigned kReportWaitMs = 5;
inline constexpr int kFeedbackLedCode = 800;

// The pendant connection as the window holds it.
struct DeviceLink {
    std::uint8_t DeviceConnected = 0;  // the poll cycle does nothing while this is 0
    std::string DevicePath;            // set at the match, never cleared
    Handle AttributeHandle = kInvalidHandle;
    Handle ReadHandle = kInvalidHandle;
    Handle WriteHandle = kInvalidHandle;
    bool ReadPending = false;  // a report read on ReadHandle is outstanding
};

class ShuttleWin : public WindowEvents {
public:
    ShuttleWin(host::Host& host, settings::PendantSettings& settings, control::PluginWide& wide,
               std::unique_ptr<HidPort> hid, std::unique_ptr<WindowPort> window);
    ~ShuttleWin() override;
    ShuttleWin(const ShuttleWin&) = delete;
    ShuttleWin& operator=(const ShuttleWin&) = delete;

    // Creates the hidden child window of the host's window object. A failure is not reported.
    void CreatePendantWindow(void* hostWindowObject);
    // Searches the HID interfaces for the pendant, connects the first match and starts the poll
    // timer whether or not it was found. True when the pendant was found.
    bool DiscoverPendant();

    bool OnDeviceChange(std::uint32_t event, const DeviceNotice* notice) override;
    void OnPollTimer(unsigned timerId) override;
    void ComposeFeedback();

    const DeviceLink& Link() const { return link_; }
    const PendantReport& ReadBuffer() const { return readBuffer_; }
    const PendantReport& PreviousReport() const { return previousReport_; }
    const PendantFeedback& Feedback() const { return feedback_; }
    control::PendantController& Controller() { return controller_; }

private:
    void Connect(const std::string& path);
    void OpenLink();
    void CloseLink();
    void CancelPendingRead();
    void ReadReport();
    void RefreshRestoreG90();

    host::Host& host_;
    control::PluginWide& wide_;
    std::unique_ptr<HidPort> hid_;
    std::unique_ptr<WindowPort> window_;
    control::PendantController controller_;
    DeviceLink link_;
    bool notificationsRegistered_ = false;  // made once, ended with the window

    // The system fills ioBuffer_ when a read completes, at a moment of its choosing; the cycle
    // copies a completed report into readBuffer_, so what decoding sees never changes under it.
    PendantReport ioBuffer_{};
    PendantReport readBuffer_{};
    PendantReport previousReport_{};
    PendantFeedback feedback_{};
};

}  // namespace k7v::device
