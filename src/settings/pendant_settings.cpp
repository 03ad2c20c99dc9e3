#include "settings/pendant_settings.h"

#include <cstring>

namespace k7v::settings {

std::int16_t ToVelocityInAuto(std::int32_t value)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu));
}

int SensitivityIndex(std::int16_t velocityInAuto)
{
    const int n = static_cast<int>(SpeedSensitivityList.size());
    return velocityInAuto >= 0 && velocityInAuto < n ? velocityInAuto : kDefaultSensitivityIndex;
}

int SensitivityDivisor(int index)
{
    int value = 0;
    for (const char* p = SpeedSensitivityList[static_cast<std::size_t>(index)]; *p >= '0' && *p <= '9'; ++p)
        value = value * 10 + (*p - '0');
    return value;
}

const char* SensitivityLevel(int index)
{
    const char* entry = SpeedSensitivityList[static_cast<std::size_t>(index)];
    const char* comma = std::strchr(entry, ',');
    return comma ? comma + 1 : "";
}

}  // namespace k7v::settings
