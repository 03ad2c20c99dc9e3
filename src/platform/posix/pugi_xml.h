// The XML DOM port on pugixml, for native builds (tests and the simulated host).
#pragma once

#include <memory>

#include "settings/xml_dom.h"

namespace k7v::posix {

// A fresh, empty document. It keeps the comments, white space, declaration and node order of the
// file it loads, writes them back unchanged (no indentation added) and saves through a temporary
// file in the same folder, renamed over the old one once it is complete on disk.
std::unique_ptr<settings::XmlDocument> CreatePugiXmlDocument();

}  // namespace k7v::posix
