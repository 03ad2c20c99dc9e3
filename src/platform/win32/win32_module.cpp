#include "platform/win32/win32_module.h"

#include <vector>

namespace k7v::platform {

HMODULE OwnModule()
{
    // The address of a function of ours names our module, whatever it was loaded as; the reference
    // count is left alone so nothing has to be released.
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnModule), &module);
    return module;
}

std::string OwnModuleFileName()
{
    // GetModuleFileNameA truncates silently (returning the buffer size) when the path is longer
    // than the buffer, so grow until the path fits.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(OwnModule(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::string(buffer.data(), length);
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace k7v::platform
