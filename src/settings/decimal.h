// The integer text both the profile and the dialog's edits hold: optional leading white space, an
// optional sign, decimal digits up to the first other character. What follows is ignored.
#pragma once

#include <cstdint>
#include <string_view>

namespace k7v::settings {

struct LeadingInteger {
    bool hasDigits = false;  // no digits: the text does not begin with a number
    bool overflow = false;   // the digits lie outside the signed 32-bit range
    std::int32_t value = 0;  // saturated to the 32-bit range; 0 without digits
};

// The six ASCII white-space characters, whatever the process locale says.
bool IsAsciiSpace(char c);

LeadingInteger ScanLeadingInteger(std::string_view text);

}  // namespace k7v::settings
