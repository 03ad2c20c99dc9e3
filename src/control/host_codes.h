// The host's DRO, LED and button codes the pendant functions use. Their meaning lies with the host;
// the names say what the plug-in relies on.
#pragma once

namespace k7v::control::codes {

// Buttons (DoButton)
inline constexpr int kCommandButton = 1021;
inline constexpr int kModeChangeBase = 334;  // + SelectedAxis
inline constexpr int kJogBurstStart = 204;
inline constexpr int kJogBurstEnd = 205;
inline constexpr int kAxisActionBase = 1008;  // + SelectedAxis

// LEDs (GetLED)
inline constexpr int kCommandTakenLed = 800;
inline constexpr int kJogEnabledLed = 83;
inline constexpr int kGateLedA = 804;  // while 804 or 805 is lit, moves need 806 lit too
inline constexpr int kGateLedB = 805;
inline constexpr int kGateOpenLed = 806;
inline constexpr int kBurstButtonLed = 15;

// DROs (GetDRO, SetDRO)
inline constexpr int kJogRateDro = 3;      // per cent of the axis's velocity limit
inline constexpr int kBusyDro = 22;        // 20 or more: the host takes no move now
inline constexpr int kAdjustedDro74 = 74;  // adjusted in mode 6
inline constexpr int kFeedDro = 818;       // the feed word of step moves when StepJogRate is 0
inline constexpr int kStepRateDro = 821;   // brought to 100 for step moves; adjusted in mode 5

}  // namespace k7v::control::codes
