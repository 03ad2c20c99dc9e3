#include <gtest/gtest.h>

#include "plugin/platform.h"
#include "plugin/plugin.h"

namespace k7v::plugin {
namespace {

class NamedPlatform : public Platform {
public:
    explicit NamedPlatform(std::string path) : path_(std::move(path)) {}
    std::string ModuleFileName() const override { return path_; }

private:
    std::string path_;
};

TEST(TickCounters, AdvanceAsTheHostUpdates)
{
    control::TickCounters t;
    for (int i = 0; i < 254; ++i) t.OnUpdate();
    EXPECT_EQ(t.HeartbeatCounter, 255);
    t.OnUpdate();
    EXPECT_EQ(t.HeartbeatCounter, 2);

    t.ReversalTicks = 1001;
    t.OnUpdate();
    EXPECT_EQ(t.ReversalTicks, 101);
    t.ReversalTicks = 0;
    for (int i = 0; i < 3; ++i) t.OnUpdate();
    EXPECT_EQ(t.ReversalTicks, 3);

    t.WheelActiveTicks = 3;
    t.WheelRestTicks = 5;
    for (int i = 0; i < 3; ++i) t.OnUpdate();
    EXPECT_EQ(t.WheelActiveTicks, 0);
    EXPECT_EQ(t.WheelRestTicks, 2);
    for (int i = 0; i < 3; ++i) t.OnUpdate();
    EXPECT_EQ(t.WheelActiveTicks, 0);
    EXPECT_EQ(t.WheelRestTicks, 0);
}

TEST(ModuleBaseName, DropsFoldersAndTheLastExtension)
{
    struct Case {
        const char* path;
        const char* base;
    };
    for (const Case c : {Case{"C:\\Host\\PlugIns\\OrvaneK7V.dll", "OrvaneK7V"}, Case{"/opt/k7v/OrvaneK7V.dll", "OrvaneK7V"},
                         Case{"C:\\p\\Orvane.K7V.dll", "Orvane.K7V"}, Case{"plain", "plain"}, Case{"", ""}})
        EXPECT_EQ(ModuleBaseName(c.path), c.base) << c.path;
}

TEST(Plugin, SetProNameStoresTheProfileAndBuildsTheDisplayName)
{
    NamedPlatform platform("C:\\Host\\PlugIns\\Orvane.K7V.dll");
    Plugin plugin(&platform);
    EXPECT_STREQ(plugin.SetProName(host::HostStringCreate("Mill")), "Orvane.K7V Pendant --Halvorn Ver 3.3.0");
    EXPECT_EQ(plugin.ProfileName, "Mill");
    plugin.SetProName(host::HostStringCreate("Lathe"));
    EXPECT_EQ(plugin.ProfileName, "Lathe");
}

TEST(Plugin, InitControlStoresTheRecordsAndReturnsTrueWithoutAWindow)
{
    Plugin plugin;
    std::uint8_t motion[4], options[4], machine[4];
    EXPECT_TRUE(plugin.InitControl(motion, options, machine, nullptr));
    EXPECT_EQ(plugin.host.records.motion, motion);
    EXPECT_EQ(plugin.host.records.machine, machine);
}

}  // namespace
}  // namespace k7v::plugin
