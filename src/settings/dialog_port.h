// How the configuration dialog ends. Placeholder: the dialog work defines its controls port.
#pragma once

namespace k7v::settings {

enum class DialogResult { Ok, Cancel, Failed };

}  // namespace k7v::settings
