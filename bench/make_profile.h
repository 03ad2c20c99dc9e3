// A host profile of a chosen size for the store benchmark: a root "profile" with many sections,
// each with several keys holding decimal text, indented, with a comment every few sections. The
// pendant's own section comes last, as in a profile the plug-in has saved before, so every lookup
// walks past all the host's sections first.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "settings/pendant_settings.h"

namespace k7v::bench {

// `pendant` is what the pendant's section holds.
inline std::string MakeProfile(std::size_t targetBytes, const settings::PendantSettings& pendant)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n";
    char line[160];
    const std::string tail = [&pendant] {
        std::string t = "  <" + std::string(settings::kSectionName) + ">\r\n";
        const settings::PendantSettings& d = pendant;
        const int values[7] = {d.StepJogRate, d.DelaySteps, d.VelocityInAuto, d.Xreverse,
                               d.Yreverse,    d.Zreverse,   d.Stepsize};
        for (std::size_t k = 0; k < settings::kKeys.size(); ++k)
            t += "    <" + std::string(settings::kKeys[k]) + ">" + std::to_string(values[k]) + "</" +
                 settings::kKeys[k] + ">\r\n";
        return t + "  </" + settings::kSectionName + ">\r\n</profile>\r\n";
    }();

    for (int section = 0; xml.size() + tail.size() < targetBytes; ++section) {
        if (section % 5 == 0) {
            std::snprintf(line, sizeof line, "  <!-- settings group %d, written by the host -->\r\n", section / 5);
            xml += line;
        }
        std::snprintf(line, sizeof line, "  <HostSection%04d>\r\n", section);
        xml += line;
        for (int key = 0; key < 8 && xml.size() + tail.size() < targetBytes; ++key) {
            const double value = (section * 37 + key * 11) % 2000 / 8.0 - 25.0;
            std::snprintf(line, sizeof line, "    <Key%d>%.4f</Key%d>\r\n", key, value, key);
            xml += line;
        }
        std::snprintf(line, sizeof line, "  </HostSection%04d>\r\n", section);
        xml += line;
    }
    return xml + tail;
}

}  // namespace k7v::bench
