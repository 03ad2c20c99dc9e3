// The XML DOM the profile store works through. Placeholder: the profile-store work defines the
// operations; the platform creates one document per store.
#pragma once

namespace k7v::settings {

class XmlDocument {
public:
    virtual ~XmlDocument() = default;
};

}  // namespace k7v::settings
