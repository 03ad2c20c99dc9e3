#include <gtest/gtest.h>

#include "host/host.h"
#include "host/host_string.h"
#include "support/fake_host.h"

namespace k7v {
namespace {

using host::fields::JogStop;

TEST(HostFields, PerAxisOffsetsFollowTheStride)
{
    const std::size_t expected[] = {163954, 164050, 164146, 164242};
    for (int axis = 0; axis < host::kAxisCount; ++axis) EXPECT_EQ(JogStop[axis].offset, expected[axis]);
    EXPECT_EQ(host::fields::HostAxisAux[3].offset, 801644u);
}

TEST(HostFields, UnalignedFieldsRoundTripThroughTheRecords)
{
    test::FakeHost fake;
    fake.Set(host::fields::HostRotationAngle, 30.5);
    fake.Set(host::fields::JogDirection[2], -7);
    fake.Set(host::fields::HostStopFlag, 1);
    EXPECT_EQ(fake.Get(host::fields::HostRotationAngle), 30.5);
    EXPECT_EQ(fake.Get(host::fields::JogDirection[2]), -7);
    EXPECT_EQ(fake.motion.back(), 1);  // the stop flag is the last byte of the motion record
}

TEST(Host, CallbacksNotHandedOverAreNeverCalled)
{
    host::Host h;  // no callbacks, no records
    h.DoButton(1021);
    h.SetDRO(3, 1.0);
    h.Code("ENDJOG");
    h.SetStatusText(" Jog OFF. ");
    h.Set(JogStop[0], 1);
    EXPECT_EQ(h.GetDRO(22), 0.0);
    EXPECT_FALSE(h.GetLED(800));
    EXPECT_EQ(h.Get(host::fields::MotionCountA), 0);
}

TEST(Host, CallsReachTheHostInOrder)
{
    test::FakeHost fake;
    fake.dro[818] = 60.0;
    fake.led[83] = true;
    host::Host h = fake.Wire();
    h.DoButton(1021);
    h.SetDRO(821, 100.0);
    EXPECT_EQ(h.GetDRO(818), 60.0);
    EXPECT_TRUE(h.GetLED(83));
    h.Code("G90");
    EXPECT_EQ(fake.Take(), (std::vector<std::string>{"DoButton(1021)", "SetDRO(821, 100)", "GetDRO(818)",
                                                     "GetLED(83)", "Code(G90)"}));
}

TEST(HostString, StatusTextIsReplacedWholeAndInPlaceWhenItFits)
{
    test::FakeHost fake;
    host::Host h = fake.Wire();
    const void* object = fake.machine.data() + host::fields::HostStatusTextOffset;
    const char* before = host::HostStringTextAt(object);
    h.SetStatusText(" Jog OFF. ");
    EXPECT_EQ(fake.StatusText(), " Jog OFF. ");
    EXPECT_EQ(host::HostStringTextAt(object), before);  // same block: no allocation
    h.SetStatusText("");
    EXPECT_EQ(fake.StatusText(), "");
}

TEST(HostString, AssignGrowsASharedOrSmallStringIntoANewBlock)
{
    host::HostString small = host::HostStringCreate("ab");
    host::HostString shared = small;
    reinterpret_cast<host::HostStringHeader*>(small.data)[-1].refs = 2;

    char* object = small.data;
    ASSERT_TRUE(host::HostStringAssign(&object, "a longer text"));
    EXPECT_STREQ(host::HostStringTextAt(&object), "a longer text");
    EXPECT_STREQ(host::HostStringText(shared), "ab");  // the other owner keeps its text

    host::HostStringRelease(shared);
    host::HostString fresh{object};
    host::HostStringRelease(fresh);
    EXPECT_EQ(fresh.data, nullptr);
}

}  // namespace
}  // namespace k7v
