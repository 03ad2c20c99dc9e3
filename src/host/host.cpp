#include "host/host.h"

#include <cstring>

#include "host/host_string.h"

namespace k7v::host {

void Host::SetStatusText(const char* text) const
{
    if (!records.machine) return;
    void* object = records.machine + fields::HostStatusTextOffset;
    // The poll cycle may show the same text every 25 ms; when the host shares its string object,
    // replacing it would take a new block each time for nothing.
    if (std::strcmp(HostStringTextAt(object), text) == 0) return;
    HostStringAssign(object, text);
}

}  // namespace k7v::host
