// The XML DOM the profile store works through: one document per store, created by the platform.
//
// Nodes cross the port as opaque handles that the document owns and frees with itself. A handle
// stays valid for the document's life, except the handles of a node handed to RemoveChild and of
// the former content of a node handed to SetText, and every handle from before a Load: those must
// not be used again. Null is "none".
// Texts are narrow: the system's ANSI code page on Windows, the bytes as given elsewhere.
#pragma once

#include <string>

namespace k7v::settings {

struct XmlNodeTag;
using XmlNode = XmlNodeTag*;

// What a load found at the file location.
enum class XmlLoadResult {
    Loaded,   // the document holds the file's content
    Missing,  // no file there, an empty file, or no usable location: the document is empty
    Failed,   // a file is there but could not be read or parsed: the document is empty
};

class XmlDocument {
public:
    virtual ~XmlDocument() = default;

    // Replaces the document by the file's content; on any failure the document is left empty.
    virtual XmlLoadResult Load(const std::string& location) = 0;
    // Writes the whole document to `location`, replacing the file only once the new content is
    // complete on disk. False when nothing was written; the old file is then as it was.
    virtual bool Save(const std::string& location) = 0;

    // The root element, or null for an empty document.
    virtual XmlNode DocumentElement() = 0;
    // A new element, not yet in the tree.
    virtual XmlNode CreateElement(const std::string& name) = 0;
    // Appends `child` as the last child of `parent` (null parent: the document itself). Returns
    // the appended node, or null when the DOM refused it.
    virtual XmlNode AppendChild(XmlNode parent, XmlNode child) = 0;
    // The first child element of `context` named exactly `name`, or null.
    virtual XmlNode SelectSingleNode(XmlNode context, const std::string& name) = 0;

    // The joined text of the node and its descendants; empty when there is none.
    virtual std::string Text(XmlNode node) = 0;
    // Replaces the node's whole content by one text.
    virtual void SetText(XmlNode node, const std::string& text) = 0;

    virtual XmlNode ParentNode(XmlNode node) = 0;
    virtual void RemoveChild(XmlNode parent, XmlNode child) = 0;

    // The walk over the children of a node, every kind of node included.
    virtual XmlNode FirstChild(XmlNode node) = 0;
    virtual XmlNode NextSibling(XmlNode node) = 0;
    // The node's name without a namespace prefix; empty for nodes without a name.
    virtual std::string BaseName(XmlNode node) = 0;

    // The DOM service's own text comparison (exact, case included).
    virtual bool SameText(const std::string& a, const std::string& b) { return a == b; }
};

}  // namespace k7v::settings
