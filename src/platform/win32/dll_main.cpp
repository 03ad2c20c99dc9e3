// The library's entry point: start-up at load, shut-down at unload (win32_startup.h).
//
// DllMain runs under the loader lock. It therefore starts no thread, waits on no other thread and
// loads no library itself. Two calls are made there anyway because only DllMain can fail the load:
// WSAStartup (ws2_32 is an import of ours, so it is initialised before us) and, on its failure, the
// message box. At unload by FreeLibrary, WSACleanup balances the start-up; at process exit it is
// skipped (the reserved argument is non-null then).
#include "platform/win32/win32_startup.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            // The plug-in has no use for per-thread notifications.
            DisableThreadLibraryCalls(module);
            try {
                return k7v::platform::StartLibrary() ? TRUE : FALSE;
            } catch (...) {
                return FALSE;
            }
        case DLL_PROCESS_DETACH:
            k7v::platform::StopLibrary(reserved != nullptr);
            break;
        default:
            break;
    }
    return TRUE;
}
