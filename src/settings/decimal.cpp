#include "settings/decimal.h"

#include <limits>

namespace k7v::settings {

bool IsAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

LeadingInteger ScanLeadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsAsciiSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // The magnitude stops growing once past the range, so any run of digits is safe.
    const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                        : std::int64_t{std::numeric_limits<std::int32_t>::max()};
    LeadingInteger result;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        result.hasDigits = true;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) {
            result.overflow = true;
            magnitude = limit;
        }
    }
    result.value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return result;
}

}  // namespace k7v::settings
