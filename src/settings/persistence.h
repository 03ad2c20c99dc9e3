// When and how the seven settings move between PendantSettings and the profile store.
#pragma once

#include "settings/pendant_settings.h"
#include "settings/xml_profile.h"

namespace k7v::settings {

// Reads the seven keys of the section "Orvane_K7V_Pendant" in the order of kKeys, each with its
// default; VelocityInAuto keeps the low 16 bits of what is read. Nothing is checked or clamped.
void LoadSettings(XmlProfile& store, PendantSettings& settings);

// Writes the seven keys in the same order; VelocityInAuto is widened with its sign.
void SaveSettings(XmlProfile& store, const PendantSettings& settings);

}  // namespace k7v::settings
