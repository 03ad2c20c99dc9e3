// The profile store on the COM XML DOM with real files, run under Wine (whose DOM service is its
// own msxml3), plus what only the Windows back-end has: COM start-up and locked files.
#include <windows.h>

#include <thread>

#include "platform/win32/win32_xml.h"
#include "xml_profile_cases.h"

namespace k7v::test {

std::unique_ptr<settings::XmlDocument> NewTestXmlDocument()
{
    return platform::CreateWin32XmlDocument();
}

namespace {

TEST(Win32XmlDocument, DomServiceStarts)
{
    ASSERT_NE(NewTestXmlDocument(), nullptr);
}

// A profile the host holds open without sharing cannot be read; it must not be replaced either.
TEST(Win32XmlDocument, LockedFileIsLeftUnchanged)
{
    ProfileFolder folder;
    const std::string before = "<profile><Host>keep</Host></profile>";
    folder.Write(before);
    HANDLE lock = CreateFileA(folder.Location().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    {
        auto store = folder.Open();
        EXPECT_EQ(store->ReadInt(kS, "Stepsize", 4), 4);
        store->WriteInt(kS, "Stepsize", 1);
    }
    CloseHandle(lock);
    EXPECT_EQ(folder.Read(), before);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"profile.xml"});
}

// The host's thread may already run COM in either apartment; the store works in both and leaves
// the thread's COM as it found it.
TEST(Win32XmlDocument, WorksWhereComIsAlreadyStarted)
{
    for (DWORD model : {DWORD{COINIT_APARTMENTTHREADED}, DWORD{COINIT_MULTITHREADED}}) {
        ProfileFolder folder;
        HRESULT again = E_FAIL;
        std::thread([&] {
            HRESULT started = CoInitializeEx(nullptr, model);
            {
                auto store = folder.Open();
                store->WriteInt(kS, "DelaySteps", 30);
                EXPECT_EQ(store->ReadInt(kS, "DelaySteps", 0), 30);
            }
            again = CoInitializeEx(nullptr, model);  // S_FALSE: still started
            if (SUCCEEDED(again)) CoUninitialize();
            if (SUCCEEDED(started)) CoUninitialize();
        }).join();
        EXPECT_EQ(again, S_FALSE) << model;
        EXPECT_EQ(folder.Open()->ReadInt(kS, "DelaySteps", 0), 30) << model;
    }
}

}  // namespace
}  // namespace k7v::test
