// End to end: the real DLL's configuration dialog under Wine, driven as a user would.
//
//     dialog_e2e.exe PATH_OF_OrvaneK7V.dll [--hold TICKS]
//
// Acting as the host, the program loads the DLL, hands over callbacks and records, and runs
// SetProName with a profile file on disk, InitControl, PostInitControl and twice Config. While a
// Config call sits in the dialog's modal loop, a thread timer of ours (served by that same loop)
// finds the dialog by its caption "01" and plays the user: letters in the feed-rate field and OK
// (the "Please enter an integer." box must appear, once, and is closed), then valid values and
// OK; in the second run a change and Escape. Finally it parses the profile file with the system's
// XML DOM and checks what the plug-in wrote. With --hold the first dialog stays open for TICKS
// timer ticks before Escape closes it (for a screenshot) and nothing is checked.
#include <msxml.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/host_fields.h"
#include "host/host_string.h"

namespace {

int g_failures = 0;

void Check(bool ok, const std::string& what)
{
    if (!ok) {
        ++g_failures;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

void CheckEq(const std::string& actual, const std::string& expected, const std::string& what)
{
    Check(actual == expected, what + ": expected \"" + expected + "\", got \"" + actual + "\"");
}

// Host callbacks: this host has nothing to report.
void DoButton(int) {}
void SetDro(int, double) {}
double GetDro(int)
{
    return 0.0;
}
bool GetLed(int)
{
    return false;
}
void SetLed(int, bool) {}
void Code(const char*) {}

std::string WindowText(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string ItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

// The visible dialog-class windows of this thread: the configuration dialog ("01") and any
// message box it opened.
struct Windows {
    HWND dialog = nullptr;
    HWND box = nullptr;
    int dialogs = 0;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    auto* found = reinterpret_cast<Windows*>(param);
    if (!IsWindowVisible(window) || ClassName(window) != "#32770") return TRUE;
    if (WindowText(window) == "01") {
        found->dialog = window;
        ++found->dialogs;
    } else {
        found->box = window;
    }
    return TRUE;
}

Windows FindDialogs()
{
    Windows found;
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param)
{
    if (ClassName(child) == "Static" && !WindowText(child).empty())
        reinterpret_cast<std::vector<std::string>*>(param)->push_back(WindowText(child));
    return TRUE;
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// What the user does, one phase at a time; each timer tick moves on at most one phase.
enum class Phase { OpenFirst, CloseMessage, CorrectAndOk, OpenSecond, Hold, Done };

Phase g_phase = Phase::OpenFirst;
void (*g_config)() = nullptr;
HWND g_outerDialog = nullptr;  // set while a Config call is made from inside the open dialog
HWND g_hostWindow = nullptr;   // the host's main window, active when Config is called

BOOL CALLBACK CancelNestedDialog(HWND window, LPARAM)
{
    if (window != g_outerDialog && ClassName(window) == "#32770" && WindowText(window) == "01") {
        Check(false, "a second configuration dialog opened");
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}
int g_ticks = 0;
int g_holdTicks = 0;
int g_messages = 0;
constexpr int kTickMs = 50;
constexpr int kPhaseTicks = 200;  // ten seconds for any one phase, then the run is abandoned

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_outerDialog) {
        EnumThreadWindows(GetCurrentThreadId(), CancelNestedDialog, 0);
        return;
    }
    const Windows w = FindDialogs();
    ++g_ticks;
    if (g_phase == Phase::Hold) {
        if (w.dialog && g_ticks >= g_holdTicks) {
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
            g_phase = Phase::Done;
        }
        return;
    }
    if (g_ticks > kPhaseTicks) {
        Check(false, "the dialog did not reach phase " + std::to_string(static_cast<int>(g_phase)) + " in time");
        if (w.box) PostMessageA(w.box, WM_COMMAND, IDOK, 0);
        if (w.dialog) PostMessageA(w.dialog, WM_COMMAND, IDCANCEL, 0);
        g_ticks = 0;
        return;
    }

    switch (g_phase) {
        case Phase::OpenFirst: {
            if (!w.dialog || w.box) return;
            // The profile on disk held 150, an empty DelaySteps, 65541 and Xreverse 1.
            CheckEq(ItemText(w.dialog, 4170), "150", "opening feed rate");
            CheckEq(ItemText(w.dialog, 4174), "25", "opening delay (the default)");
            Check(SendDlgItemMessageA(w.dialog, 4022, CB_GETCOUNT, 0, 0) == 10, "ten sensitivity levels");
            Check(SendDlgItemMessageA(w.dialog, 4022, CB_GETCURSEL, 0, 0) == 5, "level of index 5 selected");
            CheckEq(ItemText(w.dialog, 4022), "6", "selected level shown");
            Check(IsDlgButtonChecked(w.dialog, 4176) == BST_CHECKED, "X reversal checked");
            Check(IsDlgButtonChecked(w.dialog, 4177) == BST_UNCHECKED, "Y reversal unchecked");
            Check(GetFocus() == GetDlgItem(w.dialog, IDOK), "focus on OK");
            // The dialog takes the host's active window as its owner and disables it while it runs.
            Check(GetWindow(w.dialog, GW_OWNER) == g_hostWindow, "the host's window owns the dialog");
            Check(!IsWindowEnabled(g_hostWindow), "the host's window is disabled while the dialog runs");
            if (g_holdTicks > 0) {
                g_phase = Phase::Hold;
                g_ticks = 0;
                return;
            }
            SetDlgItemTextA(w.dialog, 4170, "abc");
            Click(w.dialog, IDOK);
            g_phase = Phase::CloseMessage;
            break;
        }
        case Phase::CloseMessage: {
            if (!w.box) return;
            std::vector<std::string> texts;
            EnumChildWindows(w.box, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
            bool found = false;
            for (const std::string& t : texts) found = found || t == "Please enter an integer.";
            Check(found, "the message box says \"Please enter an integer.\"");
            ++g_messages;
            PostMessageA(w.box, WM_COMMAND, IDOK, 0);
            g_phase = Phase::CorrectAndOk;
            break;
        }
        case Phase::CorrectAndOk: {
            if (!w.dialog || w.box) return;
            const HWND edit = GetDlgItem(w.dialog, 4170);
            Check(GetFocus() == edit, "focus back on the feed-rate field");
            DWORD start = 0, end = 0;
            SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            Check(start == 0 && end == 3, "all of the field's text selected");
            SetDlgItemTextA(w.dialog, 4170, "250");
            SetDlgItemTextA(w.dialog, 4174, "40 steps");
            CheckDlgButton(w.dialog, 4177, BST_CHECKED);
            SendDlgItemMessageA(w.dialog, 4022, CB_SETCURSEL, 0, 0);
            Click(w.dialog, IDOK);
            g_phase = Phase::OpenSecond;
            break;
        }
        case Phase::OpenSecond: {
            if (!w.dialog || w.box) return;
            CheckEq(ItemText(w.dialog, 4170), "250", "second opening feed rate");
            CheckEq(ItemText(w.dialog, 4174), "40", "second opening delay");
            Check(SendDlgItemMessageA(w.dialog, 4022, CB_GETCURSEL, 0, 0) == 0, "level 1 selected");
            // The host's window stays enabled: the host may ask for the configuration again. That
            // call returns at once and no second dialog opens.
            g_outerDialog = w.dialog;
            g_config();
            g_outerDialog = nullptr;
            Check(FindDialogs().dialogs == 1, "one configuration dialog at a time");
            SetDlgItemTextA(w.dialog, 4170, "999");
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
            g_phase = Phase::Done;
            break;
        }
        case Phase::Hold:
        case Phase::Done:
            return;
    }
    g_ticks = 0;
}

// The element children of `parent` in document order: name=text, or the name alone.
std::vector<std::string> ElementChildren(IXMLDOMNode* parent, bool withText)
{
    std::vector<std::string> out;
    IXMLDOMNode* node = nullptr;
    parent->get_firstChild(&node);
    while (node) {
        DOMNodeType type;
        node->get_nodeType(&type);
        if (type == NODE_ELEMENT) {
            BSTR name = nullptr, text = nullptr;
            node->get_nodeName(&name);
            node->get_text(&text);
            char buffer[512] = {};
            std::string entry;
            WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, sizeof buffer, nullptr, nullptr);
            entry = buffer;
            WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
            out.push_back(withText ? entry + "=" + buffer : entry);
            SysFreeString(name);
            SysFreeString(text);
        }
        IXMLDOMNode* next = nullptr;
        node->get_nextSibling(&next);
        node->Release();
        node = next;
    }
    return out;
}

// The names of the root's element children, and the plug-in section's keys as name=text.
struct Profile {
    bool loaded = false;
    std::vector<std::string> root;
    std::vector<std::string> section;
};

Profile ReadProfile(const std::string& path)
{
    // The DOM service's own identifiers, as the plug-in uses them.
    const CLSID clsid = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
    const IID iid = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
    Profile profile;
    IXMLDOMDocument* doc = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&doc)))) return {};
    doc->put_async(VARIANT_FALSE);
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    VARIANT location;
    VariantInit(&location);
    location.vt = VT_BSTR;
    location.bstrVal = SysAllocString(wide);
    VARIANT_BOOL ok = VARIANT_FALSE;
    doc->load(location, &ok);
    VariantClear(&location);
    IXMLDOMElement* root = nullptr;
    if (ok == VARIANT_TRUE && SUCCEEDED(doc->get_documentElement(&root)) && root) {
        profile.loaded = true;
        profile.root = ElementChildren(root, false);
        IXMLDOMNode* section = nullptr;
        BSTR query = SysAllocString(L"Orvane_K7V_Pendant");
        if (SUCCEEDED(root->selectSingleNode(query, &section)) && section) {
            profile.section = ElementChildren(section, true);
            section->Release();
        }
        SysFreeString(query);
        root->Release();
    }
    doc->Release();
    return profile;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines) out += (out.empty() ? "" : " ") + line;
    return out;
}

std::string WindowsPath(std::string path)
{
    // ctest hands over the build tree's Unix path; Wine shows the Unix root as drive Z:.
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

template <typename T>
T Export(HMODULE dll, const char* name)
{
    FARPROC proc = GetProcAddress(dll, name);
    Check(proc != nullptr, std::string("export ") + name);
    return reinterpret_cast<T>(reinterpret_cast<void*>(proc));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: dialog_e2e PATH_OF_DLL [--hold TICKS]\n");
        return 2;
    }
    if (argc >= 4 && std::string(argv[2]) == "--hold") g_holdTicks = std::atoi(argv[3]);
    CoInitialize(nullptr);

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string profilePath =
        std::string(temp) + "k7v_dialog_e2e_" + std::to_string(GetCurrentProcessId()) + ".xml";
    {
        // The host's own content around the plug-in's section, which holds an empty key element.
        const char* text =
            "<?xml version=\"1.0\"?>\n<profile>\n  <!-- host settings -->\n  <Host><Units>mm</Units></Host>\n"
            "  <Orvane_K7V_Pendant><StepJogRate>150</StepJogRate><DelaySteps></DelaySteps>"
            "<VelocityInAuto>65541</VelocityInAuto><Xreverse>1</Xreverse></Orvane_K7V_Pendant>\n"
            "  <Trailer>x</Trailer>\n</profile>\n";
        FILE* f = std::fopen(profilePath.c_str(), "wb");
        Check(f != nullptr, "write the profile " + profilePath);
        if (f) {
            std::fputs(text, f);
            std::fclose(f);
        }
    }

    const HMODULE dll = LoadLibraryA(WindowsPath(argv[1]).c_str());
    if (!dll) {
        std::printf("FAILED: LoadLibraryA(%s) error %lu\n", argv[1], GetLastError());
        return 1;
    }
    Export<void (*)(void (*)(int))>(dll, "SetDoButton")(DoButton);
    Export<void (*)(void (*)(int, double))>(dll, "SetSetDRO")(SetDro);
    Export<void (*)(double (*)(int))>(dll, "SetGetDRO")(GetDro);
    Export<void (*)(bool (*)(int))>(dll, "SetGetLED")(GetLed);
    Export<void (*)(void (*)(int, bool))>(dll, "SetSetLED")(SetLed);
    Export<void (*)(void (*)(const char*))>(dll, "SetCode")(Code);
    const auto setProName = Export<const char* (*)(k7v::host::HostString)>(dll, "SetProName");
    const auto initControl = Export<bool (*)(void*, void*, void*, void*)>(dll, "InitControl");
    const auto postInitControl = Export<void (*)()>(dll, "PostInitControl");
    const auto config = Export<void (*)()>(dll, "Config");
    g_config = config;
    const auto stopPlug = Export<void (*)()>(dll, "StopPlug");
    if (g_failures) return 1;

    std::vector<unsigned char> motion(k7v::host::kMotionRecordSize), options(k7v::host::kOptionsRecordSize),
        machine(k7v::host::kMachineRecordSize);
    CheckEq(setProName(k7v::host::HostStringCreate(profilePath.c_str())), "OrvaneK7V Pendant --Halvorn Ver 3.3.0",
            "display name");
    initControl(motion.data(), options.data(), machine.data(), nullptr);
    postInitControl();

    // The host's main window, active as it is when the user asks for the configuration. It sits below
    // the dialog, out of the way of the picture docs/make_dialog_png.sh takes.
    g_hostWindow = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 650, 200, 100, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    Check(g_hostWindow != nullptr, "create the host's window");
    SetActiveWindow(g_hostWindow);

    const UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, OnTick);
    Check(timer != 0, "SetTimer");
    if (g_holdTicks > 0) {
        config();
    } else {
        // Start-up removed the empty key and wrote nothing else.
        CheckEq(Joined(ReadProfile(profilePath).section), "StepJogRate=150 VelocityInAuto=65541 Xreverse=1",
                "section after start-up");
        config();
        Check(g_phase == Phase::OpenSecond, "the first dialog closed with OK");
        Check(g_messages == 1, "one message box");
        const Profile afterOk = ReadProfile(profilePath);
        Check(afterOk.loaded, "the profile parses after the first Config");
        CheckEq(Joined(afterOk.section),
                "StepJogRate=250 VelocityInAuto=0 Xreverse=1 DelaySteps=40 Yreverse=1 Zreverse=0 Stepsize=0",
                "section after OK");
        CheckEq(Joined(afterOk.root), "Host Orvane_K7V_Pendant Trailer", "the host's content kept around the section");

        config();
        Check(g_phase == Phase::Done, "the second dialog closed with Escape");
        CheckEq(Joined(ReadProfile(profilePath).section),
                "StepJogRate=250 VelocityInAuto=0 Xreverse=1 DelaySteps=40 Yreverse=1 Zreverse=0 Stepsize=0",
                "section after Escape");
    }
    Check(IsWindowEnabled(g_hostWindow) != FALSE, "the host's window is enabled again after Config");
    KillTimer(nullptr, timer);
    DestroyWindow(g_hostWindow);
    stopPlug();
    FreeLibrary(dll);
    DeleteFileA(profilePath.c_str());
    CoUninitialize();
    std::printf("%s\n", g_failures ? "dialog_e2e: FAILED" : "dialog_e2e: passed");
    return g_failures ? 1 : 0;
}
