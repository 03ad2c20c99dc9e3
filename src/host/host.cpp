#include "host/host.h"

#include "host/host_string.h"

namespace k7v::host {

void Host::SetStatusText(const char* text) const
{
    if (!records.machine) return;
    HostStringAssign(records.machine + fields::HostStatusTextOffset, text);
}

}  // namespace k7v::host
