// Integer and text values under a section and a key in the host's XML profile file.
//
// A store lives for one host call: it loads the whole file when created, works on the document in
// memory, and writes the whole document back when destroyed. It touches only the section and key
// elements it is asked for; the rest of the host's document is written back as it was loaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "settings/xml_dom.h"

namespace k7v::settings {

class XmlProfile {
public:
    // `document` may be null (no DOM service): reads then give their defaults, writes are lost and
    // nothing is saved. `location` is the profile file, used as given.
    XmlProfile(std::unique_ptr<XmlDocument> document, std::string location);
    // Saves the document to the file location, unless the file there failed to load.
    virtual ~XmlProfile();
    XmlProfile(const XmlProfile&) = delete;
    XmlProfile& operator=(const XmlProfile&) = delete;

    // The value of the key; `fallback` when the section or key is missing or the text is empty (an
    // empty key element is removed). Text that does not start with a number reads as 0.
    std::int32_t ReadInt(const std::string& section, const std::string& key, std::int32_t fallback);
    // Stores `value` in decimal as the key's whole content, creating section and key as needed.
    bool WriteInt(const std::string& section, const std::string& key, std::int32_t value);

    // The first key element of the first section of that name, or null. Creates nothing.
    XmlNode FindKey(const std::string& section, const std::string& key);
    // The same, appending the section to the root and the key to the section when missing. Null
    // only without a document.
    XmlNode FindOrCreateKey(const std::string& section, const std::string& key);

    std::string ReadText(const std::string& section, const std::string& key, const std::string& fallback);
    bool WriteText(const std::string& section, const std::string& key, const std::string& text);
    // The first child of the root whose name without prefix is `section`, or a new section element
    // appended to the root.
    XmlNode FindOrCreateSection(const std::string& section);

    // The conversion of a key's text: leading white space, one optional sign, decimal digits up to
    // the first other character; no digits give 0, values beyond 32 bits saturate.
    static std::int32_t ParseInt(const std::string& text);

private:
    // Fills `text` with the key element's text; false when the key is missing or was empty (an
    // empty key element is removed).
    bool ReadKeyText(const std::string& section, const std::string& key, std::string& text);
    bool WriteKeyText(const std::string& section, const std::string& key, const std::string& text);
    XmlNode Root();

    std::unique_ptr<XmlDocument> document_;
    std::string location_;
    bool save_on_close_ = true;
};

}  // namespace k7v::settings
