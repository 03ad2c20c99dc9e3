// The Windows back-ends against the real system services, run under Wine: the HID port on Wine's
// own HID devices and on a named pipe standing in for a device's overlapped reads, the hidden
// window with its timer and device-change messages, and the host window layer's checks.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <dbt.h>
// clang-format on
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "device/shuttle_win.h"
#include "host/host_window.h"
#include "platform/win32/win32_hid.h"
#include "platform/win32/win32_host_window.h"
#include "platform/win32/win32_module.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_startup.h"
#include "platform/win32/win32_window.h"
#include "plugin/plugin.h"

namespace k7v::platform {
namespace {

using device::Handle;
using device::kInvalidHandle;
using device::ReadStart;

Handle H(HANDLE h)
{
    return reinterpret_cast<Handle>(h);
}

// Serves this thread's messages until `done` holds or `limitMs` of real time have passed: the
// window manager's timer can only be observed in real time.
template <typename Done>
bool PumpUntil(Done done, DWORD limitMs = 5000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

// ---- HID port on the system's devices -------------------------------------------------------

TEST(Win32HidPort, EnumeratesTheSystemsHidDevicesAndNoneIsThePendant)
{
    Win32HidPort port;
    ASSERT_TRUE(port.BeginEnumeration());
    int interfaces = 0;
    std::string path;
    for (int index = 0; index < 256 && port.InterfacePath(index, path); ++index) {
        ++interfaces;
        const Handle handle = port.OpenForAttributes(path);
        device::HidAttributes attributes;
        if (handle != kInvalidHandle && port.GetAttributes(handle, attributes)) {
            std::printf("  HID interface %d: vendor 0x%04X product 0x%04X %s\n", index, attributes.VendorID,
                        attributes.ProductID, path.c_str());
            EXPECT_FALSE(attributes.VendorID == device::kPendantVendorId &&
                         attributes.ProductID == device::kPendantProductId);
        }
        port.Close(handle);
    }
    port.EndEnumeration();
    EXPECT_LT(interfaces, 256);
    EXPECT_FALSE(port.InterfacePath(0, path)) << "no enumeration after EndEnumeration";
}

TEST(Win32HidPort, DiscoveryOnTheRealPortsPassesOverEveryDeviceAndLeavesNothingOpen)
{
    host::Host host;
    settings::PendantSettings settings;
    control::PluginWide wide;
    device::ShuttleWin window(host, settings, wide, std::make_unique<Win32HidPort>(),
                              std::make_unique<Win32WindowPort>(OwnModule()));
    window.CreatePendantWindow(nullptr);
    EXPECT_FALSE(window.DiscoverPendant());
    EXPECT_EQ(window.Link().DeviceConnected, 0);
    EXPECT_EQ(window.Link().AttributeHandle, kInvalidHandle);
    EXPECT_EQ(window.Link().ReadHandle, kInvalidHandle);
    EXPECT_EQ(window.Link().WriteHandle, kInvalidHandle);
}

TEST(Win32HidPort, FailuresAreReportedNotRaised)
{
    Win32HidPort port;
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(port.OpenForAttributes(""), kInvalidHandle);
    EXPECT_EQ(port.OpenForRead("\\\\?\\hid#no_such_device"), kInvalidHandle);
    EXPECT_EQ(port.OpenForWrite("\\\\?\\hid#no_such_device"), kInvalidHandle);
    device::HidAttributes attributes;
    EXPECT_FALSE(port.GetAttributes(kInvalidHandle, attributes));
    EXPECT_FALSE(port.HasReadEvent());
    EXPECT_EQ(port.StartRead(kInvalidHandle, buffer.data(), buffer.size()), ReadStart::Failed) << "no event yet";
    ASSERT_TRUE(port.CreateReadEvent());
    EXPECT_TRUE(port.CreateReadEvent()) << "a second call keeps the one event";
    EXPECT_TRUE(port.HasReadEvent());
    EXPECT_EQ(port.StartRead(kInvalidHandle, buffer.data(), buffer.size()), ReadStart::Failed);
    EXPECT_FALSE(port.FinishRead(kInvalidHandle)) << "no read outstanding";
    port.CancelRead(kInvalidHandle);  // nothing outstanding: nothing to do
    EXPECT_FALSE(port.Write(kInvalidHandle, buffer.data(), buffer.size()));
    port.Close(kInvalidHandle);
}

TEST(Win32HidPort, SamePathIgnoresLetterCaseOnly)
{
    const Win32HidPort port;
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"\\\\?\\hid#vid_04d8&pid_fce6#7&1a2b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
         "\\\\?\\HID#VID_04D8&PID_FCE6#7&1A2B&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030}", true},
        {"\\\\?\\hid#vid_04d8&pid_fce6#1", "\\\\?\\hid#vid_04d8&pid_fce6#2", false},
        {"\\\\?\\hid#vid_04d8&pid_fce6", "\\\\?\\hid#vid_04d8&pid_fce6#2", false},
        {"", "", true},
        {"a-b", "ab", false},
    };
    for (const Case& c : cases) EXPECT_EQ(port.SamePath(c.a, c.b), c.same) << c.a << " vs " << c.b;
}

// ---- Overlapped reads, on a named pipe whose far end plays the device -------------------------

class Win32HidPortRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[64];
        std::snprintf(name, sizeof name, "\\\\.\\pipe\\k7v-read-%lu-%d", GetCurrentProcessId(), counter_++);
        // Our end reads overlapped, as the pendant's read handle does; the far end writes plainly.
        device_ = CreateNamedPipeA(name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                   4096, 4096, 0, nullptr);
        ASSERT_NE(device_, INVALID_HANDLE_VALUE);
        writer_ = CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(writer_, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(port_.CreateReadEvent());
    }
    void TearDown() override
    {
        port_.CancelRead(H(device_));
        CloseHandle(writer_);
        CloseHandle(device_);
    }
    void Send(const std::array<std::uint8_t, 8>& report) { ASSERT_TRUE(port_.Write(H(writer_), report.data(), 8)); }

    static inline int counter_ = 0;
    Win32HidPort port_;
    HANDLE device_ = INVALID_HANDLE_VALUE;
    HANDLE writer_ = INVALID_HANDLE_VALUE;
    std::array<std::uint8_t, 8> buffer_{};
    const std::array<std::uint8_t, 8> first_{1, 2, 3, 4, 5, 6, 7, 8};
    const std::array<std::uint8_t, 8> second_{9, 10, 11, 12, 13, 14, 15, 16};
};

TEST_F(Win32HidPortRead, AReportAlreadyThereCompletesTheReadAtOnce)
{
    Send(first_);
    EXPECT_EQ(port_.StartRead(H(device_), buffer_.data(), 8), ReadStart::Completed);
    EXPECT_EQ(buffer_, first_);
}

TEST_F(Win32HidPortRead, AReportArrivingDuringTheWaitIsDeliveredByFinishRead)
{
    ASSERT_EQ(port_.StartRead(H(device_), buffer_.data(), 8), ReadStart::Pending);
    EXPECT_FALSE(port_.WaitForRead(5)) << "nothing sent yet";
    Send(first_);
    ASSERT_TRUE(port_.WaitForRead(2000));
    EXPECT_TRUE(port_.FinishRead(H(device_)));
    EXPECT_EQ(buffer_, first_);
}

TEST_F(Win32HidPortRead, OnlyOneReadIsEverOutstanding)
{
    ASSERT_EQ(port_.StartRead(H(device_), buffer_.data(), 8), ReadStart::Pending);
    // Asked again while the first read is under way, the port starts no second read: the second
    // report below is still in the pipe afterwards, not swallowed by a duplicate read.
    EXPECT_EQ(port_.StartRead(H(device_), buffer_.data(), 8), ReadStart::Pending);
    Send(first_);
    Send(second_);
    ASSERT_TRUE(port_.WaitForRead(2000));
    ASSERT_TRUE(port_.FinishRead(H(device_)));
    EXPECT_EQ(buffer_, first_);
    EXPECT_EQ(port_.StartRead(H(device_), buffer_.data(), 8), ReadStart::Completed);
    EXPECT_EQ(buffer_, second_);
}

TEST_F(Win32HidPortRead, ACancelledReadNeverWritesIntoTheCallersBuffer)
{
    ASSERT_EQ(port_.StartRead(H(device_), buffer_.data(), 8), ReadStart::Pending);
    port_.CancelRead(H(device_));
    EXPECT_FALSE(port_.FinishRead(H(device_))) << "the cancelled read is no longer outstanding";
    Send(first_);
    PumpUntil([] { return false; }, 50);  // give a wrongly surviving read the chance to land
    EXPECT_EQ(buffer_, (std::array<std::uint8_t, 8>{})) << "the report went into the cancelled read";
    // The report is still there for the next read.
    EXPECT_EQ(port_.StartRead(H(device_), buffer_.data(), 8), ReadStart::Completed);
    EXPECT_EQ(buffer_, first_);
}

// Starts a read on a thread of its own and keeps the thread alive until released.
struct ReadOnOtherThread {
    Win32HidPort* port;
    HANDLE device;
    std::uint8_t* buffer;
    HANDLE started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ReadStart result = ReadStart::Failed;

    static DWORD WINAPI Run(void* param)
    {
        auto* self = static_cast<ReadOnOtherThread*>(param);
        self->result = self->port->StartRead(H(self->device), self->buffer, 8);
        SetEvent(self->started);
        WaitForSingleObject(self->release, 10000);  // a thread's reads end with the thread
        return 0;
    }
};

TEST_F(Win32HidPortRead, AReadThatCancellationCannotEndNeverWritesIntoTheCallersBuffer)
{
    // CancelIo ends only the reads of the calling thread, so a read started on another thread
    // stands in for a driver that does not honour the cancellation.
    ReadOnOtherThread starter{&port_, device_, buffer_.data()};
    const HANDLE thread = CreateThread(nullptr, 0, &ReadOnOtherThread::Run, &starter, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(starter.started, 10000), WAIT_OBJECT_0);
    ASSERT_EQ(starter.result, ReadStart::Pending);

    port_.CancelRead(H(device_));  // gives the read up after its bounded wait
    EXPECT_FALSE(port_.FinishRead(H(device_))) << "the given-up read is no longer the port's";
    Send(first_);  // the given-up read takes this one, into the record it keeps
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(buffer_, (std::array<std::uint8_t, 8>{})) << "a late completion reached the caller's buffer";
    Send(second_);
    EXPECT_EQ(port_.StartRead(H(device_), buffer_.data(), 8), ReadStart::Completed) << "a fresh record serves";
    EXPECT_EQ(buffer_, second_);

    SetEvent(starter.release);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseHandle(starter.started);
    CloseHandle(starter.release);
}

TEST_F(Win32HidPortRead, AReportLargerThanTheReadRecordIsRefused)
{
    std::vector<std::uint8_t> large(65);
    EXPECT_EQ(port_.StartRead(H(device_), large.data(), large.size()), ReadStart::Failed);
}

// ---- The hidden window ------------------------------------------------------------------------

struct RecordingEvents : device::WindowEvents {
    struct Change {
        std::uint32_t event;
        std::optional<device::DeviceNotice> notice;
    };
    std::vector<unsigned> ticks;
    std::vector<Change> changes;
    void OnPollTimer(unsigned timerId) override { ticks.push_back(timerId); }
    bool OnDeviceChange(std::uint32_t event, const device::DeviceNotice* notice) override
    {
        changes.push_back({event, notice ? std::optional(*notice) : std::nullopt});
        return true;
    }
};

// A window object as the host's class library lays it out: a table pointer, then the handle.
struct FakeHostWindowObject {
    const void* table;
    HWND handle;
};
static_assert(offsetof(FakeHostWindowObject, handle) == host::kHostWindowHandleOffset);

class Win32WindowPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = OwnModule();
        windowClass.lpszClassName = "K7VTestHostWindow";
        RegisterClassA(&windowClass);
        host_ = CreateWindowExA(0, "K7VTestHostWindow", "host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                OwnModule(), nullptr);
        ASSERT_NE(host_, nullptr);
        object_ = {&object_, host_};
    }
    void TearDown() override
    {
        port_.Destroy();
        DestroyWindow(host_);
    }
    // Message-only windows are found desktop-wide; other test programs may run beside this one.
    static HWND MessageOnlyWindow()
    {
        for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, Win32WindowPort::kClassName, nullptr));) {
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            if (process == GetCurrentProcessId()) return w;
        }
        return nullptr;
    }

    HWND host_ = nullptr;
    FakeHostWindowObject object_{};
    RecordingEvents events_;
    Win32WindowPort port_{OwnModule()};
};

TEST_F(Win32WindowPortTest, CreatesAHiddenTenByTenChildWithIdentifierOne)
{
    ASSERT_TRUE(port_.Create(&object_, &events_));
    const HWND child = port_.Window();
    EXPECT_FALSE(port_.IsMessageOnly());
    EXPECT_EQ(GetParent(child), host_);
    EXPECT_EQ(GetDlgItem(host_, 1), child);
    EXPECT_EQ(GetWindowLongA(child, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_POPUP), WS_CHILD);
    EXPECT_EQ(GetWindowTextLengthA(child), 0);
    RECT rect{};
    GetClientRect(child, &rect);
    EXPECT_EQ(rect.right - rect.left, 10);
    EXPECT_EQ(rect.bottom - rect.top, 10);
    EXPECT_EQ(MessageOnlyWindow(), nullptr);
}

TEST_F(Win32WindowPortTest, AWindowObjectWithoutAUsableWindowFallsBackToAMessageOnlyWindow)
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    auto* pages = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
    // An object whose table pointer is readable but whose handle lies in the page beyond.
    std::uint8_t* straddling = pages + page - sizeof(void*);
    std::memset(straddling, 0x11, sizeof(void*));
    auto* reserved = VirtualAlloc(nullptr, page, MEM_RESERVE, PAGE_NOACCESS);
    const HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, OwnModule(), nullptr);
    DestroyWindow(gone);
    FakeHostWindowObject unattached{&unattached, nullptr};
    FakeHostWindowObject stale{&stale, gone};
    FakeHostWindowObject garbage{&garbage, reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x5A5A5A5A))};

    struct Case {
        const char* what;
        void* object;
    };
    const Case cases[] = {
        {"null", nullptr},
        {"no window attached", &unattached},
        {"a destroyed window", &stale},
        {"a garbage handle", &garbage},
        {"an unreadable object", pages + page},
        {"a handle beyond the readable page", straddling},
        {"reserved, uncommitted memory", reserved},
        {"a small integer", reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x10))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(port_.Create(c.object, &events_));
        EXPECT_TRUE(port_.IsMessageOnly());
        EXPECT_EQ(MessageOnlyWindow(), port_.Window());
        EXPECT_TRUE(port_.StartTimer(1, 25));
        EXPECT_TRUE(port_.RegisterDeviceEvents());
        port_.Destroy();
        EXPECT_EQ(MessageOnlyWindow(), nullptr);
    }
    VirtualFree(reserved, 0, MEM_RELEASE);
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(Win32WindowPortTest, TimerTicksReachThePollHandlerThroughTheMessageLoop)
{
    ASSERT_TRUE(port_.Create(&object_, &events_));
    ASSERT_TRUE(port_.StartTimer(1, 25));
    ASSERT_TRUE(PumpUntil([&] { return events_.ticks.size() >= 4; }));
    for (unsigned id : events_.ticks) EXPECT_EQ(id, 1u);
    port_.Destroy();
    const std::size_t seen = events_.ticks.size();
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(events_.ticks.size(), seen) << "no tick after Destroy";
}

TEST_F(Win32WindowPortTest, DeviceChangeMessagesCarryTheEventAndTheNoticeOfTheRecord)
{
    ASSERT_TRUE(port_.Create(&object_, &events_));
    EXPECT_TRUE(port_.RegisterDeviceEvents());
    const char* path = "\\\\?\\HID#VID_04D8&PID_FCE6#1#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    struct {
        DEV_BROADCAST_DEVICEINTERFACE_A record;
        char rest[96];
    } interfaceRecord{};
    interfaceRecord.record.dbcc_size = sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) + std::strlen(path);
    interfaceRecord.record.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::strcpy(interfaceRecord.record.dbcc_name, path);
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    const HWND w = port_.Window();

    EXPECT_EQ(SendMessageA(w, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&interfaceRecord)),
              TRUE);
    EXPECT_EQ(SendMessageA(w, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume)), TRUE);
    EXPECT_EQ(SendMessageA(w, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), TRUE);

    ASSERT_EQ(events_.changes.size(), 3u);
    EXPECT_EQ(events_.changes[0].event, device::kDeviceRemoveComplete);
    ASSERT_TRUE(events_.changes[0].notice);
    EXPECT_EQ(events_.changes[0].notice->deviceType, device::kDeviceTypeInterface);
    EXPECT_EQ(events_.changes[0].notice->name, path);
    EXPECT_EQ(events_.changes[1].event, device::kDeviceArrival);
    ASSERT_TRUE(events_.changes[1].notice);
    EXPECT_EQ(events_.changes[1].notice->deviceType, static_cast<std::uint32_t>(DBT_DEVTYP_VOLUME));
    EXPECT_EQ(events_.changes[1].notice->name, "");
    EXPECT_EQ(events_.changes[2].event, static_cast<std::uint32_t>(DBT_DEVNODES_CHANGED));
    EXPECT_FALSE(events_.changes[2].notice) << "an event without a record";
}

TEST_F(Win32WindowPortTest, ANameIsReadOnlyAsFarAsTheRecordsSizeSays)
{
    ASSERT_TRUE(port_.Create(&object_, &events_));
    struct {
        DEV_BROADCAST_DEVICEINTERFACE_A record;
        char rest[16];
    } unterminated{};
    std::memset(unterminated.record.dbcc_name, 'x', 4 + sizeof unterminated.rest);  // no terminator
    unterminated.record.dbcc_size = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) + 4;
    unterminated.record.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    SendMessageA(port_.Window(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&unterminated));
    ASSERT_EQ(events_.changes.size(), 1u);
    EXPECT_EQ(events_.changes[0].notice->name, "xxxx");
}

TEST_F(Win32WindowPortTest, DestroyEndsTheWindowAndAllowsANewOne)
{
    ASSERT_TRUE(port_.Create(&object_, &events_));
    const HWND first = port_.Window();
    port_.Destroy();
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(GetDlgItem(host_, 1), nullptr);
    EXPECT_FALSE(port_.StartTimer(1, 25));
    port_.Destroy();  // a second Destroy does nothing
    ASSERT_TRUE(port_.Create(&object_, &events_)) << "the class was unregistered and registers again";
    EXPECT_EQ(GetDlgItem(host_, 1), port_.Window());
}

// ---- Library start-up ------------------------------------------------------------------------

struct StartupLog {
    WORD version = 0;
    int cleanups = 0;
    std::vector<std::string> messages;
    UINT messageType = 0;
    int startupResult = 0;
};
StartupLog g_startup;

int WSAAPI FakeStartup(WORD version, LPWSADATA)
{
    g_startup.version = version;
    return g_startup.startupResult;
}
int WSAAPI FakeCleanup()
{
    ++g_startup.cleanups;
    return 0;
}
int WINAPI FakeMessageBox(HWND, LPCSTR text, LPCSTR, UINT type)
{
    g_startup.messages.push_back(text);
    g_startup.messageType = type;
    return IDOK;
}

TEST(LibraryStartup, SocketsFailureShowsTheMessageAndFailsTheLoad)
{
    const StartupCalls calls{FakeStartup, FakeCleanup, FakeMessageBox};
    g_startup = {};
    g_startup.startupResult = WSASYSNOTREADY;
    EXPECT_FALSE(StartLibrary(calls));
    EXPECT_EQ(g_startup.version, MAKEWORD(1, 1));
    EXPECT_EQ(g_startup.messages, std::vector<std::string>{"Sockets Init Failed"});
    EXPECT_EQ(g_startup.messageType & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    StopLibrary(false, calls);
    EXPECT_EQ(g_startup.cleanups, 0) << "sockets that never started are not cleaned up";
}

TEST(LibraryStartup, StartsSocketsOneOneInstallsThePlatformAndCleansUpOnlyAtFreeLibrary)
{
    const StartupCalls calls{FakeStartup, FakeCleanup, FakeMessageBox};
    g_startup = {};
    ASSERT_TRUE(StartLibrary(calls));
    EXPECT_EQ(g_startup.version, MAKEWORD(1, 1));
    EXPECT_TRUE(g_startup.messages.empty());
    EXPECT_EQ(plugin::Plugin::Instance().GetPlatform(), &TheWin32Platform());
    StopLibrary(true, calls);
    EXPECT_EQ(g_startup.cleanups, 0) << "at process exit";

    ASSERT_TRUE(StartLibrary(calls));
    StopLibrary(false, calls);
    StopLibrary(false, calls);
    EXPECT_EQ(g_startup.cleanups, 1) << "one cleanup for one start-up";
}

}  // namespace
}  // namespace k7v::platform
