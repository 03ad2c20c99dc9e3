#include <gtest/gtest.h>

#include <cstring>

#include "session.h"

namespace k7v::hostsim {
namespace {

TEST(HostsimSession, ReportsCarryEveryControlAndTurnsWrapTheWheel)
{
    const Session s = ParseSession(
        "pendant   # the pendant is there at start-up\n"
        "start\n"
        "report wheel=254 speed=20 axis=Z function=1 suspend=on\n"
        "turn +3\n"
        "raw 00 0a 00 17 06 00 00 ff\n",
        "s.session");
    ASSERT_EQ(s.steps.size(), 5u);
    const std::uint8_t first[8] = {0, 254, 20, 0x13, 1, 0, 0, 0};
    const std::uint8_t turned[8] = {0, 1, 20, 0x13, 1, 0, 0, 0};
    const std::uint8_t raw[8] = {0, 0x0a, 0, 0x17, 6, 0, 0, 0xff};
    EXPECT_EQ(0, std::memcmp(s.steps[2].bytes, first, 8));
    EXPECT_EQ(0, std::memcmp(s.steps[3].bytes, turned, 8));
    EXPECT_EQ(0, std::memcmp(s.steps[4].bytes, raw, 8));
    EXPECT_EQ(s.steps[3].line, 4);
}

TEST(HostsimSession, MistakesNameTheFileAndLine)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"start\nwiggle\n", "s:2: unknown word 'wiggle'"},
        {"start\nreport wheel=256\n", "s:2: wheel count 256 is out of range (0 to 255)"},
        {"start\nreport wheel=12x\n", "s:2: wheel count must be a whole number, not '12x'"},
        {"start\nreport colour=red\n", "s:2: unknown report field 'colour' (wheel, speed, axis, function, suspend, command)"},
        {"start\nturn +200\n", "s:2: wheel counts +200 is out of range (-127 to 127)"},
        {"tick\n", "s:1: 'tick' needs 'start' first"},
        {"start\npendant\n", "s:2: 'pendant' belongs before 'start'"},
        {"start\nreplug\n", "s:2: 'replug' needs an 'unplug' first"},
        {"start\nstop\ntick\n", "s:3: nothing can follow 'stop'"},
        {"start\nled 83 maybe\n", "s:2: expected on or off, not 'maybe'"},
        {"start\nconfig later\n", "s:2: 'config' takes ok or escape, not 'later'"},
        {"start\ntick 1 2\n", "s:2: 'tick' takes at most 1 argument, not 2"},
        {"pendant\n", "s: the session never says 'start'"},
    };
    for (const Case& c : cases) {
        try {
            ParseSession(c.text, "s");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const SessionError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(HostsimSession, AMissingFileIsAnError)
{
    EXPECT_THROW(LoadSession("/nonexistent/folder/none.session"), SessionError);
}

}  // namespace
}  // namespace k7v::hostsim
