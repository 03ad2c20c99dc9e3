#include "settings/xml_profile.h"

#include <utility>

#include "settings/decimal.h"

namespace k7v::settings {

namespace {

constexpr const char* kRootName = "profile";

}  // namespace

XmlProfile::XmlProfile(std::unique_ptr<XmlDocument> document, std::string location)
    : document_(std::move(document)), location_(std::move(location))
{
    if (!document_) return;
    // Writing the near-empty document over a profile that exists but did not load would destroy
    // the host's whole profile: such a file is left exactly as it is.
    if (document_->Load(location_) == XmlLoadResult::Failed) save_on_close_ = false;
    if (!document_->DocumentElement()) {
        document_->AppendChild(nullptr, document_->CreateElement(kRootName));
    }
}

XmlProfile::~XmlProfile()
{
    // A failed save is not reported: the changes of this store are lost, the old file stays whole.
    if (document_ && save_on_close_) document_->Save(location_);
}

XmlNode XmlProfile::Root()
{
    return document_ ? document_->DocumentElement() : nullptr;
}

XmlNode XmlProfile::FindKey(const std::string& section, const std::string& key)
{
    XmlNode root = Root();
    if (!root) return nullptr;
    XmlNode section_node = document_->SelectSingleNode(root, section);
    if (!section_node) return nullptr;
    return document_->SelectSingleNode(section_node, key);
}

XmlNode XmlProfile::FindOrCreateKey(const std::string& section, const std::string& key)
{
    XmlNode root = Root();
    if (!root) return nullptr;
    XmlNode section_node = document_->SelectSingleNode(root, section);
    if (!section_node) {
        section_node = document_->AppendChild(root, document_->CreateElement(section));
        if (!section_node) return nullptr;
        return document_->AppendChild(section_node, document_->CreateElement(key));
    }
    XmlNode key_node = document_->SelectSingleNode(section_node, key);
    if (!key_node) key_node = document_->AppendChild(section_node, document_->CreateElement(key));
    return key_node;
}

XmlNode XmlProfile::FindOrCreateSection(const std::string& section)
{
    XmlNode root = Root();
    if (!root) return nullptr;
    for (XmlNode child = document_->FirstChild(root); child; child = document_->NextSibling(child)) {
        if (document_->SameText(document_->BaseName(child), section)) return child;
    }
    return document_->AppendChild(root, document_->CreateElement(section));
}

bool XmlProfile::ReadKeyText(const std::string& section, const std::string& key, std::string& text)
{
    XmlNode key_node = FindKey(section, key);
    if (!key_node) return false;
    text = document_->Text(key_node);
    if (document_->SameText(text, "")) {
        // The section stays, even when this leaves it empty.
        if (XmlNode parent = document_->ParentNode(key_node)) document_->RemoveChild(parent, key_node);
        return false;
    }
    return true;
}

bool XmlProfile::WriteKeyText(const std::string& section, const std::string& key, const std::string& text)
{
    if (XmlNode key_node = FindOrCreateKey(section, key)) document_->SetText(key_node, text);
    return true;
}

std::int32_t XmlProfile::ParseInt(const std::string& text)
{
    // Beyond the 32-bit range the value saturates.
    return ScanLeadingInteger(text).value;
}

std::int32_t XmlProfile::ReadInt(const std::string& section, const std::string& key, std::int32_t fallback)
{
    std::string text;
    if (!ReadKeyText(section, key, text)) return fallback;
    return ParseInt(text);
}

bool XmlProfile::WriteInt(const std::string& section, const std::string& key, std::int32_t value)
{
    return WriteKeyText(section, key, std::to_string(value));
}

std::string XmlProfile::ReadText(const std::string& section, const std::string& key, const std::string& fallback)
{
    std::string text;
    if (!ReadKeyText(section, key, text)) return fallback;
    return text;
}

bool XmlProfile::WriteText(const std::string& section, const std::string& key, const std::string& text)
{
    return WriteKeyText(section, key, text);
}

}  // namespace k7v::settings
