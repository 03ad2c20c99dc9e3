// A small Windows host that drives the real plug-in DLL the way the motion-control program does:
// it loads the library, resolves every export by name, hands over callbacks and records of their
// real sizes, creates its own top-level window and runs the lifecycle with a message loop.
//
// Usage: e2e_host <path of OrvaneK7V.dll>. Prints one line per check and "N passed, N failed";
// exits non-zero when a check failed.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_fields.h"
#include "host/host_string.h"
#include "host/host_window.h"

namespace {

int g_passed = 0;
int g_failed = 0;

void Check(bool ok, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", text);
    ++(ok ? g_passed : g_failed);
}

// ---- The host side of the boundary ----------------------------------------------------------

int g_callbackCalls = 0;
extern "C" void HostDoButton(int)
{
    ++g_callbackCalls;
}
extern "C" void HostSetDRO(int, double)
{
    ++g_callbackCalls;
}
extern "C" double HostGetDRO(int)
{
    ++g_callbackCalls;
    return 0.0;
}
extern "C" bool HostGetLED(int)
{
    ++g_callbackCalls;
    return false;
}
extern "C" void HostSetLED(int, bool)
{
    ++g_callbackCalls;
}
extern "C" void HostCode(const char*)
{
    ++g_callbackCalls;
}

// A window object as the host's class library lays it out (host/host_window.h).
struct HostWindowObject {
    const void* table;
    HWND handle;
};
static_assert(offsetof(HostWindowObject, handle) == k7v::host::kHostWindowHandleOffset);

struct Exports {
    void (*SetDoButton)(void (*)(int));
    void (*SetSetDRO)(void (*)(int, double));
    void (*SetGetDRO)(double (*)(int));
    void (*SetGetLED)(bool (*)(int));
    void (*SetSetLED)(void (*)(int, bool));
    void (*SetCode)(void (*)(const char*));
    const char* (*SetProName)(k7v::host::HostString);
    bool (*InitControl)(void*, void*, void*, void*);
    void (*PostInitControl)();
    void (*Config)();
    void (*StopPlug)();
    void (*Update)();
    void (*DoDwell)();
    void (*Reset)();
    void (*JogOn)();
    void (*JogOff)();
    void (*Purge)();
    void (*Probe)();
    void (*Home)();
    HRESULT(__stdcall* DllGetClassObject)(REFCLSID, REFIID, void**);
    HRESULT(__stdcall* DllCanUnloadNow)();
    HRESULT(__stdcall* DllRegisterServer)();
    HRESULT(__stdcall* DllUnregisterServer)();
};

template <typename Fn>
void Resolve(HMODULE dll, const char* name, Fn& fn, int& missing)
{
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    if (!fn) {
        std::printf("     export %s is missing\n", name);
        ++missing;
    }
}

bool ResolveAll(HMODULE dll, Exports& e)
{
    int missing = 0;
#define K7V_RESOLVE(name) Resolve(dll, #name, e.name, missing)
    K7V_RESOLVE(SetDoButton);
    K7V_RESOLVE(SetSetDRO);
    K7V_RESOLVE(SetGetDRO);
    K7V_RESOLVE(SetGetLED);
    K7V_RESOLVE(SetSetLED);
    K7V_RESOLVE(SetCode);
    K7V_RESOLVE(SetProName);
    K7V_RESOLVE(InitControl);
    K7V_RESOLVE(PostInitControl);
    K7V_RESOLVE(Config);
    K7V_RESOLVE(StopPlug);
    K7V_RESOLVE(Update);
    K7V_RESOLVE(DoDwell);
    K7V_RESOLVE(Reset);
    K7V_RESOLVE(JogOn);
    K7V_RESOLVE(JogOff);
    K7V_RESOLVE(Purge);
    K7V_RESOLVE(Probe);
    K7V_RESOLVE(Home);
    K7V_RESOLVE(DllGetClassObject);
    K7V_RESOLVE(DllCanUnloadNow);
    K7V_RESOLVE(DllRegisterServer);
    K7V_RESOLVE(DllUnregisterServer);
#undef K7V_RESOLVE
    return missing == 0;
}

const char* kPluginWindowClass = "K7VPendantWindow";

// Runs the host's message loop until `wanted` poll-timer ticks have been delivered to `pluginWindow`
// or `limitMs` of real time have passed. A tick is the timer message with the poll timer's
// identifier addressed to the plug-in's hidden window, taken from the queue before it is
// dispatched to the plug-in; the host's Update runs alongside, as the host's own timer would.
int RunMessageLoop(HWND pluginWindow, const Exports& e, int wanted, DWORD limitMs, int& foreignTimerIds)
{
    int ticks = 0;
    const DWORD start = GetTickCount();
    while (ticks < wanted && GetTickCount() - start < limitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd == pluginWindow) {
                if (msg.wParam == 1)
                    ++ticks;
                else
                    ++foreignTimerIds;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        e.Update();
    }
    return ticks;
}

// Message-only windows are found desktop-wide; other test programs may run beside this one.
HWND MessageOnlyPluginWindow()
{
    for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, kPluginWindowClass, nullptr));) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId()) return w;
    }
    return nullptr;
}

// A file in a folder of this run's own, so test programs running beside this one never share it.
std::string TempPath(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string ours = std::string(folder) + "k7v-e2e-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(ours.c_str(), nullptr);
    return ours + "\\" + name;
}

bool TypeLibRegistered()
{
    HKEY key = nullptr;
    const LONG rc =
        RegOpenKeyExA(HKEY_CLASSES_ROOT, "TypeLib\\{0C9FB259-B864-40A5-B59F-65E11E209FC4}\\1.0", 0, KEY_READ, &key);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// One start-up, run and stop of the plug-in with `windowObject` as the host's window object.
// `expectChild` says whether the hidden window should be a child of `hostWindow`.
void RunLifecycle(const char* what, const Exports& e, std::vector<std::uint8_t>& motion,
                  std::vector<std::uint8_t>& options, std::vector<std::uint8_t>& machine, void* windowObject,
                  HWND hostWindow, bool expectChild)
{
    std::printf("---- lifecycle with %s\n", what);
    const int callsBefore = g_callbackCalls;
    Check(e.InitControl(motion.data(), options.data(), machine.data(), windowObject), "InitControl returns true");
    const HWND child = GetDlgItem(hostWindow, 1);
    const HWND hidden = expectChild ? child : MessageOnlyPluginWindow();
    char className[64] = "";
    if (hidden) GetClassNameA(hidden, className, sizeof className);
    Check(hidden != nullptr && std::strcmp(className, kPluginWindowClass) == 0,
          expectChild ? "the hidden window is the host window's child with identifier 1"
                      : "the hidden window fell back to a message-only window");
    if (!expectChild) Check(child == nullptr, "no child window was made under the host window");
    if (hidden) Check(!IsWindowVisible(hidden), "the hidden window is not visible");

    e.PostInitControl();
    int foreignTimerIds = 0;
    const int ticks = RunMessageLoop(hidden, e, 8, 5000, foreignTimerIds);
    Check(ticks == 8, "8 poll-timer ticks reached the hidden window through the message loop (%d seen)", ticks);
    Check(foreignTimerIds == 0, "every timer message of the hidden window is the poll timer (identifier 1)");
    // Wine's own HID devices are not the pendant: discovery passes over them and the poll cycle,
    // with no pendant connected, calls nothing of the host.
    Check(g_callbackCalls == callsBefore, "with no pendant the poll cycle calls no host callback (%d calls)",
          g_callbackCalls - callsBefore);

    e.StopPlug();
    Check(!hidden || !IsWindow(hidden), "StopPlug destroyed the hidden window");
    Check(GetDlgItem(hostWindow, 1) == nullptr && MessageOnlyPluginWindow() == nullptr,
          "no window of the plug-in is left");
}

// One text of the version resource's US English block, or "" when it is missing.
std::string VersionText(const std::vector<char>& info, const char* name)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::string(value, strnlen(value, length));
}

void CheckVersionResource(const std::string& path)
{
    DWORD unused = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &unused));
    const bool read =
        !info.empty() && GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data());
    Check(read, "the DLL carries a version resource");
    if (!read) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    Check(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
              fixed->dwFileVersionMS == MAKELONG(3, 3) && fixed->dwFileVersionLS == 0,
          "the file version is 3.3.0.0");
    Check(VersionText(info, "FileVersion") == "3.3.0", "FileVersion \"3.3.0\"");
    Check(VersionText(info, "OriginalFilename") == "OrvaneK7V.dll", "OriginalFilename \"OrvaneK7V.dll\"");
    Check(!VersionText(info, "FileDescription").empty(), "a file description");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: e2e_host <OrvaneK7V.dll>\n");
        return 2;
    }
    // The plug-in is loaded from a folder of our own, under its own file name and under a second
    // one, so the display name is shown to come from the library's own file.
    const std::string dllPath = TempPath("OrvaneK7V.dll");
    const std::string renamedPath = TempPath("Orvane.K7V.test.dll");
    Check(CopyFileA(argv[1], dllPath.c_str(), FALSE) && CopyFileA(argv[1], renamedPath.c_str(), FALSE),
          "the DLL was copied into the temporary folder");

    CheckVersionResource(dllPath);

    HMODULE dll = LoadLibraryA(dllPath.c_str());
    Check(dll != nullptr, "LoadLibrary(%s) (error %lu)", dllPath.c_str(), dll ? 0ul : GetLastError());
    if (!dll) {
        std::printf("%d passed, %d failed\n", g_passed, g_failed);
        return 1;
    }
    Exports e{};
    Check(ResolveAll(dll, e), "all 23 exports resolve by name");
    if (g_failed) {
        std::printf("%d passed, %d failed\n", g_passed, g_failed);
        return 1;
    }

    e.SetDoButton(HostDoButton);
    e.SetSetDRO(HostSetDRO);
    e.SetGetDRO(HostGetDRO);
    e.SetGetLED(HostGetLED);
    e.SetSetLED(HostSetLED);
    e.SetCode(HostCode);

    const std::string profile = TempPath("k7v-e2e-profile.xml");
    DeleteFileA(profile.c_str());
    const char* displayName = e.SetProName(k7v::host::HostStringCreate(profile.c_str()));
    Check(displayName && std::strcmp(displayName, "OrvaneK7V Pendant --Halvorn Ver 3.3.0") == 0,
          "SetProName returns \"%s\"", displayName ? displayName : "(null)");

    std::vector<std::uint8_t> motion(k7v::host::kMotionRecordSize);
    std::vector<std::uint8_t> options(k7v::host::kOptionsRecordSize);
    std::vector<std::uint8_t> machine(k7v::host::kMachineRecordSize);

    WNDCLASSA hostClass{};
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = "K7VE2EHostWindow";
    RegisterClassA(&hostClass);
    const HWND hostWindow = CreateWindowExA(0, hostClass.lpszClassName, "e2e host", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200,
                                            nullptr, nullptr, hostClass.hInstance, nullptr);
    Check(hostWindow != nullptr, "the host's own top-level window exists");
    HostWindowObject windowObject{&windowObject, hostWindow};

    RunLifecycle("the host's window object", e, motion, options, machine, &windowObject, hostWindow, true);
    RunLifecycle("no window object", e, motion, options, machine, nullptr, hostWindow, false);
    void* noAccess = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_NOACCESS);
    RunLifecycle("an unreadable window object", e, motion, options, machine, noAccess, hostWindow, false);
    VirtualFree(noAccess, 0, MEM_RELEASE);

    // The host may call these at any time; the plug-in has no use for them.
    e.DoDwell();
    e.Reset();
    e.JogOn();
    e.JogOff();
    e.Purge();
    e.Probe();
    e.Home();
    Check(g_callbackCalls == 0, "no host callback was called in the whole session");

    Check(e.DllRegisterServer() == S_OK, "DllRegisterServer returns S_OK");
    Check(TypeLibRegistered(), "the type library 1.0 is registered");
    Check(e.DllUnregisterServer() == S_OK, "DllUnregisterServer returns S_OK");
    Check(!TypeLibRegistered(), "the type library 1.0 is no longer registered");
    void* factory = &factory;
    Check(e.DllGetClassObject(GUID{}, IID_IClassFactory, &factory) == CLASS_E_CLASSNOTAVAILABLE && factory == nullptr,
          "DllGetClassObject has no classes to give");
    Check(e.DllCanUnloadNow() == S_OK, "DllCanUnloadNow returns S_OK");

    Check(FreeLibrary(dll) != FALSE, "FreeLibrary");

    // A second load under another file name: the display name follows the library's own file,
    // up to the last dot.
    HMODULE renamed = LoadLibraryA(renamedPath.c_str());
    Check(renamed != nullptr, "LoadLibrary(%s)", renamedPath.c_str());
    if (renamed) {
        Exports r{};
        if (ResolveAll(renamed, r)) {
            const char* name = r.SetProName(k7v::host::HostStringCreate(profile.c_str()));
            Check(name && std::strcmp(name, "Orvane.K7V.test Pendant --Halvorn Ver 3.3.0") == 0,
                  "the renamed library answers \"%s\"", name ? name : "(null)");
            // A host that unloads the plug-in without StopPlug: the unload must take the hidden
            // window and its timer along, or the next tick would call into unloaded code.
            r.InitControl(motion.data(), options.data(), machine.data(), &windowObject);
            r.PostInitControl();
            int foreign = 0;
            Check(RunMessageLoop(GetDlgItem(hostWindow, 1), r, 2, 5000, foreign) == 2,
                  "the renamed library's window ticks");
        }
        Check(FreeLibrary(renamed) != FALSE, "FreeLibrary of the renamed library without StopPlug");
        Check(GetDlgItem(hostWindow, 1) == nullptr, "the unload destroyed the hidden window");
        int afterUnload = 0;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 200) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_TIMER && msg.hwnd != hostWindow) ++afterUnload;
                DispatchMessageA(&msg);
            }
        }
        Check(afterUnload == 0, "no timer message after the unload");
    }

    DestroyWindow(hostWindow);
    DeleteFileA(profile.c_str());
    DeleteFileA(dllPath.c_str());
    DeleteFileA(renamedPath.c_str());
    RemoveDirectoryA(TempPath("").c_str());
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
