// The standard self-registration exports. The plug-in serves no COM classes; what it registers is
// its (empty) type library, embedded in the DLL as TYPELIB resource 1.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
// clang-format on

#include <string>
#include <vector>

#include "platform/win32/win32_module.h"

namespace {

// {0C9FB259-B864-40A5-B59F-65E11E209FC4}, the identifier in resources/k7v.idl.
constexpr GUID kTypeLibId = {0x0C9FB259, 0xB864, 0x40A5, {0xB5, 0x9F, 0x65, 0xE1, 0x1E, 0x20, 0x9F, 0xC4}};
constexpr WORD kTypeLibMajor = 1;
constexpr WORD kTypeLibMinor = 0;

static_assert(SELFREG_E_TYPELIB == static_cast<HRESULT>(0x80040200));
static_assert(SELFREG_E_CLASS == static_cast<HRESULT>(0x80040201));

std::wstring ModulePathW()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(k7v::platform::OwnModule(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

// Loads the type library embedded in our module (LoadTypeLibEx finds TYPELIB resource 1 on the
// module's path), without registering it.
ITypeLib* LoadOwnTypeLib(const std::wstring& path)
{
    ITypeLib* library = nullptr;
    if (path.empty() || FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library))) return nullptr;
    return library;
}

HRESULT RegisterOwnTypeLib()
{
    const std::wstring path = ModulePathW();
    ITypeLib* library = LoadOwnTypeLib(path);
    if (!library) return SELFREG_E_TYPELIB;
    std::vector<wchar_t> pathText(path.begin(), path.end());
    pathText.push_back(L'\0');
    const HRESULT result = RegisterTypeLib(library, pathText.data(), nullptr);
    library->Release();
    return SUCCEEDED(result) ? S_OK : SELFREG_E_TYPELIB;
}

HRESULT UnregisterOwnTypeLib()
{
    // The registration is keyed by the library's locale and system kind as well; take them from
    // the embedded library, falling back to the neutral locale of a 32-bit library.
    LCID locale = LANG_NEUTRAL;
    SYSKIND kind = SYS_WIN32;
    if (ITypeLib* library = LoadOwnTypeLib(ModulePathW())) {
        TLIBATTR* attributes = nullptr;
        if (SUCCEEDED(library->GetLibAttr(&attributes)) && attributes) {
            locale = attributes->lcid;
            kind = attributes->syskind;
            library->ReleaseTLibAttr(attributes);
        }
        library->Release();
    }
    const HRESULT result = UnRegisterTypeLib(kTypeLibId, kTypeLibMajor, kTypeLibMinor, locale, kind);
    return SUCCEEDED(result) ? S_OK : SELFREG_E_TYPELIB;
}

}  // namespace

// The plug-in adds no class factories of its own, so the class step of both exports has nothing
// to register and SELFREG_E_CLASS does not arise.
STDAPI DllRegisterServer()
{
    return RegisterOwnTypeLib();
}

STDAPI DllUnregisterServer()
{
    return UnregisterOwnTypeLib();
}

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* object)
{
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    return S_OK;
}
