// The configuration dialog on the real window system: template 4013 of our module, run modally
// with DialogBoxParamA and driven by the portable propertiesdlg.
#pragma once

#include <windows.h>

#include "settings/dialog_port.h"
#include "settings/pendant_settings.h"

namespace k7v::platform {

// Runs the dialog owned by the active top-level window, if there is one. Its modal loop dispatches
// every message of the thread, so the pendant's poll timer keeps running. Failed when
// DialogBoxParamA could not show it.
settings::DialogResult RunWin32ConfigDialog(HINSTANCE module, settings::PendantSettings& settings);

}  // namespace k7v::platform
