// The plug-in's life as the host drives it, on the simulated platform: InitControl makes the
// pendant window, PostInitControl finds the pendant and starts the poll timer, Update and timer
// ticks run the cycle, StopPlug ends the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "device/shuttle_win.h"
#include "device_fixture.h"
#include "host/host_fields.h"
#include "platform/sim/sim_platform.h"
#include "plugin/plugin.h"

namespace k7v::test {
namespace {

class PluginLifecycleTest : public testing::Test {
protected:
    PluginLifecycleTest() : plugin(&platform)
    {
        std::remove(profile.c_str());
        platform.Bus().AddDevice(kPendantPath, 0x04D8, 0xFCE6);
        plugin.host.callbacks = FakeHost::CallbackTable();
        plugin.SetProName(host::HostStringCreate(profile.c_str()));
    }
    ~PluginLifecycleTest() override
    {
        plugin.StopPlug();
        EXPECT_EQ(platform.Bus().faults.Total(), 0);
        EXPECT_EQ(platform.Bus().OpenHandleCount(), 0);
        std::remove(profile.c_str());
    }

    bool InitControl(void* hostWindow)
    {
        return plugin.InitControl(fake.motion.data(), fake.options.data(), fake.machine.data(), hostWindow);
    }
    void Period()
    {
        platform.Bus().Advance(device::kPollPeriodMs);
        if (platform.Window()) platform.Window()->Tick();
    }
    platform::SimDevice& Pendant() { return *platform.Bus().Find(kPendantPath); }

    const std::string profile = testing::TempDir() + "k7v_lifecycle_profile.xml";
    FakeHost fake;
    platform::SimPlatform platform;
    plugin::Plugin plugin;
    int hostWindow = 0;
};

TEST_F(PluginLifecycleTest, StartRunAndStop)
{
    EXPECT_TRUE(InitControl(&hostWindow));
    platform::SimWindowPort* window = platform.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->created);
    EXPECT_EQ(window->parentObject, &hostWindow);
    EXPECT_FALSE(window->timerRunning) << "discovery waits for PostInitControl";
    EXPECT_EQ(platform.Bus().OpenHandleCount(), 0);

    plugin.PostInitControl();
    ASSERT_NE(plugin.Window(), nullptr);
    EXPECT_EQ(plugin.Window()->Link().DeviceConnected, 1);
    EXPECT_TRUE(window->timerRunning);
    EXPECT_TRUE(window->registered);

    platform.Bus().Send(kPendantPath, Marked(1));
    plugin.Update();
    plugin.Update();
    Period();
    EXPECT_EQ(Pendant().LastWrite(), (platform::SimFeedback{0, 0, 0, 3, 0}));
    EXPECT_EQ(plugin.Window()->Controller().State().CurrentReport[0] & 0xFF, 1u);
    Period();  // the read stays pending across StopPlug's cancel

    plugin.StopPlug();
    EXPECT_EQ(plugin.Window(), nullptr);
    EXPECT_EQ(platform.Window(), nullptr) << "the system window went with it";
    EXPECT_EQ(platform.Bus().OpenHandleCount(), 0);
    plugin.StopPlug();  // without a window: nothing
    plugin.Update();
    EXPECT_EQ(plugin.wide.ticks.HeartbeatCounter, 4);
    EXPECT_EQ(Pendant().writeCount, 2u);
}

TEST_F(PluginLifecycleTest, InitControlAlwaysSucceedsAndASecondOneReplacesTheWindow)
{
    EXPECT_TRUE(InitControl(nullptr)) << "no parent window object";
    EXPECT_TRUE(platform.Window()->created);
    plugin.PostInitControl();
    EXPECT_EQ(platform.Bus().OpenHandleCount(), 3);

    platform.windowCreateFails = true;
    EXPECT_TRUE(InitControl(&hostWindow)) << "the system window could not be made";
    ASSERT_NE(platform.Window(), nullptr);
    EXPECT_FALSE(platform.Window()->created);
    EXPECT_EQ(plugin.Window()->Link().DeviceConnected, 0) << "a fresh window";
    EXPECT_EQ(platform.Bus().OpenHandleCount(), 0) << "the old window closed its handles";

    plugin.PostInitControl();
    EXPECT_EQ(plugin.Window()->Link().DeviceConnected, 1);
    EXPECT_FALSE(platform.Window()->timerRunning);
}

TEST_F(PluginLifecycleTest, StopPlugStopsARunningJog)
{
    InitControl(&hostWindow);
    plugin.PostInitControl();
    fake.led[83] = true;
    fake.Set(host::fields::HostAxisVelocity[0], 1000);
    platform.Bus().Send(kPendantPath, {0, 0, 0, 0x01, 0x04, 0, 0, 0});
    Period();
    platform.Bus().Send(kPendantPath, {0, 6, 40, 0x01, 0x04, 0, 0, 0});
    Period();
    ASSERT_TRUE(plugin.Window()->Controller().State().JogActive) << "precondition: the wheel started a jog";
    fake.Take();

    plugin.StopPlug();
    const auto calls = fake.TakeActions();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Code(ENDJOG)"), calls.end());
    EXPECT_EQ(fake.Get(host::fields::JogStop[0]), 1);
}

TEST(PluginWithoutPlatform, RunsTheLifecycleWithoutAPendant)
{
    FakeHost fake;
    plugin::Plugin plugin;
    plugin.host.callbacks = FakeHost::CallbackTable();
    EXPECT_TRUE(plugin.InitControl(fake.motion.data(), fake.options.data(), fake.machine.data(), nullptr));
    plugin.PostInitControl();
    ASSERT_NE(plugin.Window(), nullptr);
    plugin.Window()->OnPollTimer(device::kPollTimerId);
    EXPECT_TRUE(fake.Take().empty());
    plugin.StopPlug();
    EXPECT_EQ(plugin.Window(), nullptr);
}

}  // namespace
}  // namespace k7v::test
