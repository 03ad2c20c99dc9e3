#include "platform/posix/pugi_xml.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <deque>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace k7v::posix {

namespace {

using settings::XmlLoadResult;
using settings::XmlNode;

// Everything of the host's file survives a load and save: comments, processing instructions, the
// declaration, the document type and white-space-only text. Line ends are kept as they are.
constexpr unsigned kParseOptions = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_eol;

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

class FdWriter : public pugi::xml_writer {
public:
    explicit FdWriter(int fd) : fd_(fd) {}
    void write(const void* data, std::size_t size) override
    {
        if (ok_) ok_ = WriteAll(fd_, static_cast<const char*>(data), size);
    }
    bool ok() const { return ok_; }

private:
    int fd_;
    bool ok_ = true;
};

bool ReadWholeFile(std::FILE* file, std::vector<char>& data)
{
    char buffer[8192];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) data.insert(data.end(), buffer, buffer + got);
    return !std::ferror(file);
}

bool StartsWithBom(const std::vector<char>& data)
{
    auto byte = [&](std::size_t i) { return i < data.size() ? static_cast<unsigned char>(data[i]) : 0u; };
    return (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) || (byte(0) == 0xFF && byte(1) == 0xFE) ||
           (byte(0) == 0xFE && byte(1) == 0xFF) || (byte(0) == 0 && byte(1) == 0 && byte(2) == 0xFE);
}

// pugixml writes any name it is given; a name that is not an XML name would leave a file that no
// parser loads, so it is refused as the Windows DOM refuses it. Bytes from 0x80 up are taken as
// parts of UTF-8 name characters.
bool IsXmlName(const std::string& name)
{
    auto starts = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
    };
    auto continues = [&](unsigned char c) { return starts(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; };
    if (name.empty() || !starts(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name) {
        if (!continues(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

// pugixml cannot hold an element outside the tree, so every handle is a slot of the document: it
// names the node, or for an element created but not yet appended, the name it will get.
struct Slot {
    pugi::xml_node node;
    std::string pending_name;
};

class PugiXmlDocument : public settings::XmlDocument {
public:
    XmlLoadResult Load(const std::string& location) override;
    bool Save(const std::string& location) override;

    XmlNode DocumentElement() override { return Handle(doc_.document_element()); }
    XmlNode CreateElement(const std::string& name) override
    {
        if (!IsXmlName(name)) return nullptr;
        slots_.push_back({pugi::xml_node(), name});
        return reinterpret_cast<XmlNode>(&slots_.back());
    }
    XmlNode AppendChild(XmlNode parent, XmlNode child) override;
    XmlNode SelectSingleNode(XmlNode context, const std::string& name) override;
    std::string Text(XmlNode node) override;
    void SetText(XmlNode node, const std::string& text) override;
    XmlNode ParentNode(XmlNode node) override { return Handle(Node(node).parent()); }
    void RemoveChild(XmlNode parent, XmlNode child) override;
    XmlNode FirstChild(XmlNode node) override { return Handle(Node(node).first_child()); }
    XmlNode NextSibling(XmlNode node) override { return Handle(Node(node).next_sibling()); }
    std::string BaseName(XmlNode node) override;

private:
    XmlNode Handle(pugi::xml_node node)
    {
        if (!node) return nullptr;
        slots_.push_back({node, {}});
        return reinterpret_cast<XmlNode>(&slots_.back());
    }
    static Slot* SlotOf(XmlNode handle) { return reinterpret_cast<Slot*>(handle); }
    static pugi::xml_node Node(XmlNode handle) { return handle ? SlotOf(handle)->node : pugi::xml_node(); }

    pugi::xml_document doc_;
    std::deque<Slot> slots_;  // a deque keeps every slot at its address while more are added
    pugi::xml_encoding encoding_ = pugi::encoding_utf8;
    bool bom_ = false;
};

XmlLoadResult PugiXmlDocument::Load(const std::string& location)
{
    doc_.reset();
    slots_.clear();
    encoding_ = pugi::encoding_utf8;
    bom_ = false;
    if (location.empty()) return XmlLoadResult::Missing;

    std::FILE* file = std::fopen(location.c_str(), "rb");
    if (!file) return errno == ENOENT || errno == ENOTDIR ? XmlLoadResult::Missing : XmlLoadResult::Failed;
    std::vector<char> data;
    bool read = ReadWholeFile(file, data);
    std::fclose(file);
    if (!read) return XmlLoadResult::Failed;
    // An empty file holds nothing that could be lost: it is written anew like a missing one.
    if (data.empty()) return XmlLoadResult::Missing;

    pugi::xml_parse_result result = doc_.load_buffer(data.data(), data.size(), kParseOptions, pugi::encoding_auto);
    if (!result) {
        // pugixml keeps what it parsed before the error; the port promises an empty document.
        doc_.reset();
        return XmlLoadResult::Failed;
    }
    encoding_ = result.encoding;
    bom_ = StartsWithBom(data);
    return XmlLoadResult::Loaded;
}

bool PugiXmlDocument::Save(const std::string& location)
{
    if (location.empty()) return false;

    // The temporary file sits beside the profile so that rename() replaces it in one step.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = location + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    // The host's file keeps its permissions.
    struct stat old_state;
    bool ok = ::stat(location.c_str(), &old_state) != 0 || ::fchmod(fd, old_state.st_mode & 07777) == 0;

    FdWriter writer(fd);
    unsigned flags = pugi::format_raw | pugi::format_no_declaration | (bom_ ? pugi::format_write_bom : 0u);
    if (ok) doc_.save(writer, "", flags, encoding_);
    ok = ok && writer.ok();
    // fsync() before rename(): otherwise a crash may leave the renamed file without its content.
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), location.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }

    // Makes the rename itself durable; the file is already whole either way.
    std::string::size_type slash = location.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : location.substr(0, slash);
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

XmlNode PugiXmlDocument::AppendChild(XmlNode parent, XmlNode child)
{
    if (!child) return nullptr;
    pugi::xml_node target = parent ? Node(parent) : static_cast<pugi::xml_node>(doc_);
    if (!target) return nullptr;
    Slot* slot = SlotOf(child);
    if (slot->node) {
        slot->node = target.append_move(slot->node);
    } else {
        slot->node = target.append_child(slot->pending_name.c_str());
        if (slot->node) slot->pending_name.clear();
    }
    return slot->node ? child : nullptr;
}

XmlNode PugiXmlDocument::SelectSingleNode(XmlNode context, const std::string& name)
{
    for (pugi::xml_node child = Node(context).first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && name == child.name()) return Handle(child);
    }
    return nullptr;
}

std::string PugiXmlDocument::Text(XmlNode node)
{
    pugi::xml_node start = Node(node);
    if (start.type() == pugi::node_pcdata || start.type() == pugi::node_cdata) return start.value();
    std::string text;
    // Depth-first, in document order, over every text and CDATA section below the node.
    for (pugi::xml_node n = start.first_child(); n && n != start;) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) text += n.value();
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != start && !n.next_sibling()) n = n.parent();
        if (n != start) n = n.next_sibling();
    }
    return text;
}

void PugiXmlDocument::SetText(XmlNode node, const std::string& text)
{
    pugi::xml_node target = Node(node);
    if (target.type() != pugi::node_element) {
        target.set_value(text.c_str());
        return;
    }
    while (pugi::xml_node child = target.first_child()) target.remove_child(child);
    if (!text.empty()) target.append_child(pugi::node_pcdata).set_value(text.c_str());
}

void PugiXmlDocument::RemoveChild(XmlNode parent, XmlNode child)
{
    pugi::xml_node from = Node(parent);
    pugi::xml_node node = Node(child);
    if (!from || !node || node.parent() != from) return;
    from.remove_child(node);
    SlotOf(child)->node = pugi::xml_node();
}

std::string PugiXmlDocument::BaseName(XmlNode node)
{
    pugi::xml_node target = Node(node);
    if (target.type() != pugi::node_element) return {};
    std::string name = target.name();
    std::string::size_type colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

}  // namespace

std::unique_ptr<settings::XmlDocument> CreatePugiXmlDocument()
{
    return std::make_unique<PugiXmlDocument>();
}

}  // namespace k7v::posix
