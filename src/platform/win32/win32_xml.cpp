#include "platform/win32/win32_xml.h"

#include <windows.h>
// <msxml.h>, not <msxml2.h>: the latter gives CLSID_DOMDocument another class identifier.
#include <msxml.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace k7v::platform {
namespace {

using settings::XmlLoadResult;
using settings::XmlNode;

// The version-independent DOMDocument class and its IXMLDOMDocument interface, spelled out so
// that no import library can hand over other values under the same names.
constexpr CLSID kDomDocumentClass = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kDomDocumentInterface = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// Windows 95, 98 and Me set the top bit of GetVersion(); the profile is only used on NT systems.
bool IsNtFamily()
{
    return (GetVersion() & 0x80000000u) == 0;
}

std::wstring Widen(const std::string& text)
{
    if (text.empty()) return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(const wchar_t* text, UINT size)
{
    if (!text || size == 0) return {};
    int length = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(size), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

// A BSTR owned for one call.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    explicit Bstr(const std::string& text) : Bstr(Widen(text)) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return value_; }
    BSTR* out() { return &value_; }
    std::string narrow() const { return Narrow(value_, SysStringLen(value_)); }

private:
    BSTR value_ = nullptr;
};

// A VARIANT holding a file path, as load and save take it.
class PathVariant {
public:
    explicit PathVariant(const std::wstring& path) : path_(path)
    {
        VariantInit(&value_);
        V_VT(&value_) = VT_BSTR;
        V_BSTR(&value_) = path_.get();
    }
    const VARIANT& get() const { return value_; }

private:
    Bstr path_;
    VARIANT value_;
};

// The location as a full path against the current folder, the way every file call reads a
// relative one. ReplaceFileW needs it: with a relative path it fails with ERROR_DIRECTORY on Wine.
std::wstring FullPath(const std::string& location)
{
    if (location.empty() || !IsNtFamily()) return {};
    std::wstring path = Widen(location);
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    return full;
}

std::wstring FolderOf(const std::wstring& path)
{
    std::wstring::size_type slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    return path.substr(0, slash + 1);
}

IXMLDOMDocument* NewDomDocument()
{
    IXMLDOMDocument* doc = nullptr;
    if (FAILED(CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER, kDomDocumentInterface,
                                reinterpret_cast<void**>(&doc)))) {
        return nullptr;
    }
    doc->put_async(VARIANT_FALSE);
    // Keeps the host's indentation and the exact text of every value.
    doc->put_preserveWhiteSpace(VARIANT_TRUE);
    return doc;
}

// Whether a fresh document loads the file without error.
bool Reloads(const wchar_t* path)
{
    IXMLDOMDocument* doc = NewDomDocument();
    if (!doc) return false;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    bool ok = doc->load(PathVariant(path).get(), &loaded) == S_OK && loaded == VARIANT_TRUE;
    doc->Release();
    return ok;
}

class ComXmlDocument : public settings::XmlDocument {
public:
    ComXmlDocument();
    ~ComXmlDocument() override;
    ComXmlDocument(const ComXmlDocument&) = delete;
    ComXmlDocument& operator=(const ComXmlDocument&) = delete;

    bool ok() const { return doc_ != nullptr; }

    XmlLoadResult Load(const std::string& location) override;
    bool Save(const std::string& location) override;

    XmlNode DocumentElement() override
    {
        IXMLDOMElement* root = nullptr;
        return doc_->get_documentElement(&root) == S_OK ? Hold(root) : Hold(nullptr);
    }
    XmlNode CreateElement(const std::string& name) override
    {
        IXMLDOMElement* element = nullptr;
        return SUCCEEDED(doc_->createElement(Bstr(name).get(), &element)) ? Hold(element) : Hold(nullptr);
    }
    XmlNode AppendChild(XmlNode parent, XmlNode child) override
    {
        if (!child) return nullptr;
        IXMLDOMNode* appended = nullptr;
        HRESULT hr = parent ? NodeOf(parent)->appendChild(NodeOf(child), &appended)
                            : doc_->appendChild(NodeOf(child), &appended);
        return SUCCEEDED(hr) ? Hold(appended) : Hold(nullptr);
    }
    XmlNode SelectSingleNode(XmlNode context, const std::string& name) override
    {
        IXMLDOMNode* found = nullptr;
        return context && NodeOf(context)->selectSingleNode(Bstr(name).get(), &found) == S_OK ? Hold(found)
                                                                                              : Hold(nullptr);
    }
    std::string Text(XmlNode node) override
    {
        Bstr text;
        if (node) NodeOf(node)->get_text(text.out());
        return text.narrow();
    }
    void SetText(XmlNode node, const std::string& text) override
    {
        if (node) NodeOf(node)->put_text(Bstr(text).get());
    }
    XmlNode ParentNode(XmlNode node) override
    {
        IXMLDOMNode* parent = nullptr;
        return node && NodeOf(node)->get_parentNode(&parent) == S_OK ? Hold(parent) : Hold(nullptr);
    }
    void RemoveChild(XmlNode parent, XmlNode child) override
    {
        IXMLDOMNode* removed = nullptr;
        if (parent && child && SUCCEEDED(NodeOf(parent)->removeChild(NodeOf(child), &removed)) && removed) {
            removed->Release();
        }
    }
    XmlNode FirstChild(XmlNode node) override
    {
        IXMLDOMNode* first = nullptr;
        return node && NodeOf(node)->get_firstChild(&first) == S_OK ? Hold(first) : Hold(nullptr);
    }
    XmlNode NextSibling(XmlNode node) override
    {
        IXMLDOMNode* next = nullptr;
        return node && NodeOf(node)->get_nextSibling(&next) == S_OK ? Hold(next) : Hold(nullptr);
    }
    std::string BaseName(XmlNode node) override
    {
        Bstr name;
        if (node) NodeOf(node)->get_baseName(name.out());
        return name.narrow();
    }
    bool SameText(const std::string& a, const std::string& b) override
    {
        return VarBstrCmp(Bstr(a).get(), Bstr(b).get(), LOCALE_USER_DEFAULT, 0) == static_cast<HRESULT>(VARCMP_EQ);
    }

private:
    // Every node handed out keeps one reference, released with the document, so a handle stays
    // valid however the store uses it and nothing leaks.
    XmlNode Hold(IXMLDOMNode* node)
    {
        if (!node) return nullptr;
        held_.push_back(node);
        return reinterpret_cast<XmlNode>(node);
    }
    static IXMLDOMNode* NodeOf(XmlNode handle) { return reinterpret_cast<IXMLDOMNode*>(handle); }
    void ReleaseHeld()
    {
        for (IXMLDOMNode* node : held_) node->Release();
        held_.clear();
    }

    bool uninitialize_ = false;
    IXMLDOMDocument* doc_ = nullptr;
    std::vector<IXMLDOMNode*> held_;
};

ComXmlDocument::ComXmlDocument()
{
    // S_FALSE: COM was already started on this thread, but the call still counts and is balanced.
    // RPC_E_CHANGED_MODE: the thread runs a multithreaded apartment, where the DOM works as well;
    // that start is not ours to end.
    HRESULT init = CoInitialize(nullptr);
    uninitialize_ = SUCCEEDED(init);
    if (FAILED(init) && init != RPC_E_CHANGED_MODE) return;
    held_.reserve(64);
    doc_ = NewDomDocument();
}

ComXmlDocument::~ComXmlDocument()
{
    ReleaseHeld();
    if (doc_) doc_->Release();
    if (uninitialize_) CoUninitialize();
}

XmlLoadResult ComXmlDocument::Load(const std::string& location)
{
    ReleaseHeld();
    std::wstring path = FullPath(location);
    // A load that fails leaves the document empty, whatever it held before.
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = doc_->load(PathVariant(path).get(), &loaded);
    long error = 0;
    IXMLDOMParseError* parse_error = nullptr;
    if (SUCCEEDED(doc_->get_parseError(&parse_error)) && parse_error) {
        parse_error->get_errorCode(&error);
        parse_error->Release();
    }
    if (hr == S_OK && loaded == VARIANT_TRUE && error == 0) return XmlLoadResult::Loaded;
    if (path.empty()) return XmlLoadResult::Missing;
    // The load does not say why it failed: only a file that is not there, or holds nothing that
    // could be lost, may be written anew.
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file)) {
        DWORD why = GetLastError();
        return why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND ? XmlLoadResult::Missing
                                                                          : XmlLoadResult::Failed;
    }
    bool empty_file =
        !(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && file.nFileSizeHigh == 0 && file.nFileSizeLow == 0;
    return empty_file ? XmlLoadResult::Missing : XmlLoadResult::Failed;
}

bool ComXmlDocument::Save(const std::string& location)
{
    std::wstring path = FullPath(location);
    if (path.empty()) return false;

    // The new content goes to a temporary file beside the profile, so that the profile is replaced
    // in one step, and only once the new content is complete.
    wchar_t temp[MAX_PATH];
    if (GetTempFileNameW(FolderOf(path).c_str(), L"k7v", 0, temp) == 0) return false;
    bool ok = SUCCEEDED(doc_->save(PathVariant(temp).get()));
    if (ok) {
        // The DOM closes the file without flushing it: FlushFileBuffers puts the content on disk
        // before the rename makes it the profile.
        HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ok = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    // Wine's msxml3 writes a UTF-16 document as 8-bit text under its UTF-16 declaration, which no
    // parser reads back: a new file that does not load never replaces the host's profile.
    ok = ok && Reloads(temp);
    if (ok && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // ReplaceFileW keeps the host file's attributes and security settings.
        if (ReplaceFileW(path.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) return true;
        // Without a backup name this error means the old profile is already gone and the new
        // content is still in the temporary file: it must reach the profile's name, not be deleted.
        if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
            return MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        }
        ok = false;
    } else if (ok) {
        ok = MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (!ok) DeleteFileW(temp);
    return ok;
}

}  // namespace

std::unique_ptr<settings::XmlDocument> CreateWin32XmlDocument()
{
    auto document = std::make_unique<ComXmlDocument>();
    if (!document->ok()) return nullptr;
    return document;
}

}  // namespace k7v::platform
