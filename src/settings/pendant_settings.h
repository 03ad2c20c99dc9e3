// The seven settings of the pendant and the speed-change sensitivity list.
#pragma once

#include <array>
#include <cstdint>

namespace k7v::settings {

inline constexpr const char* kSectionName = "Orvane_K7V_Pendant";

struct PendantSettings {
    // All zero until the first load from the profile.
    std::int32_t StepJogRate = 0;     // F word of step moves; 0 = the host's current feed rate
    std::int32_t DelaySteps = 0;      // wheel counts before a rate jog starts
    std::int16_t VelocityInAuto = 0;  // index into SpeedSensitivityList; kept in 16 bits
    std::int32_t Xreverse = 0;        // only 1 reverses
    std::int32_t Yreverse = 0;
    std::int32_t Zreverse = 0;
    std::int32_t Stepsize = 0;  // 0 = fine step distances, 1 = coarse

    static PendantSettings Defaults() { return {100, 25, 5, 0, 0, 0, 0}; }
    bool operator==(const PendantSettings&) const = default;
};

// The profile keys, in the fixed order in which the settings are loaded and saved.
inline constexpr std::array<const char*, 7> kKeys = {
    "StepJogRate", "DelaySteps", "VelocityInAuto", "Xreverse", "Yreverse", "Zreverse", "Stepsize",
};

// Each entry is "<divisor>,<level>": the divisor slows velocity jogging, the level is what the
// configuration dialog shows. Both are taken from these texts.
inline constexpr std::array<const char*, 10> SpeedSensitivityList = {
    "3,1", "4,2", "5,3", "6,4", "7,5", "9,6", "11,7", "15,8", "20,9", "25,10",
};

inline constexpr int kDefaultSensitivityIndex = 5;

// An int assigned to VelocityInAuto keeps its low 16 bits, read as signed (65541 becomes 5).
std::int16_t ToVelocityInAuto(std::int32_t value);

// VelocityInAuto as an index the list can be read at. A value outside 0 to 9 (a hand-edited
// profile) falls back to the default index, so the list is never read outside its entries.
int SensitivityIndex(std::int16_t velocityInAuto);

// The leading decimal integer of the entry at `index` (which must be valid).
int SensitivityDivisor(int index);

// The text after the first comma of the entry at `index` (which must be valid).
const char* SensitivityLevel(int index);

}  // namespace k7v::settings
