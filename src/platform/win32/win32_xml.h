// The XML DOM port on the Windows XML DOM service (COM `DOMDocument`, interface IXMLDOMDocument).
#pragma once

#include <memory>

#include "settings/xml_dom.h"

namespace k7v::platform {

// A fresh, empty document on the calling thread, which must be the one that uses and destroys it.
// Null when COM or the DOM service cannot be started. On a system outside the NT family every
// location counts as empty: nothing is loaded and nothing is saved.
std::unique_ptr<settings::XmlDocument> CreateWin32XmlDocument();

}  // namespace k7v::platform
