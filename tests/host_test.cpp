#include <gtest/gtest.h>

#include <cstring>

#include "host/host.h"
#include "host/host_string.h"
#include "support/fake_host.h"

namespace k7v {
namespace {

using host::fields::JogStop;

// Where a field lies: its record, the offset of axis 0, the step to the next axis (0 for a single
// field) and the bytes it spans.
struct Placement {
    host::Record record;
    std::size_t offset, stride, width;
    bool operator==(const Placement&) const = default;
};

template <typename T>
Placement PlacementOf(host::Field<T> field)
{
    return {field.record, field.offset, 0, sizeof(T)};
}
template <typename T>
Placement PlacementOf(host::AxisField<T> field)
{
    return {field.record, field.base, field.stride, sizeof(T)};
}

std::size_t RecordSize(host::Record record)
{
    switch (record) {
        case host::Record::Motion:
            return host::kMotionRecordSize;
        case host::Record::Options:
            return host::kOptionsRecordSize;
        case host::Record::Machine:
            return host::kMachineRecordSize;
    }
    return 0;
}

TEST(HostFields, EveryFieldLiesWhereTheHostKeepsItAndFitsItsRecord)
{
    namespace f = host::fields;
    using host::Record;
    struct Row {
        const char* name;
        Placement actual, expected;
    };
    // clang-format off
    const Row rows[] = {
        {"MotionCountA", PlacementOf(f::MotionCountA), {Record::Motion, 163840, 0, 4}},
        {"MotionCountB", PlacementOf(f::MotionCountB), {Record::Motion, 163844, 0, 4}},
        {"JogVelocity", PlacementOf(f::JogVelocity), {Record::Motion, 163940, 96, 4}},
        {"JogVelocityLimit", PlacementOf(f::JogVelocityLimit), {Record::Motion, 163944, 96, 4}},
        {"JogAuxLimit", PlacementOf(f::JogAuxLimit), {Record::Motion, 163948, 96, 4}},
        {"JogStop", PlacementOf(f::JogStop), {Record::Motion, 163954, 96, 1}},
        {"JogRun", PlacementOf(f::JogRun), {Record::Motion, 163956, 96, 1}},
        {"JogDirection", PlacementOf(f::JogDirection), {Record::Motion, 163960, 96, 4}},
        {"HostStopFlag", PlacementOf(f::HostStopFlag), {Record::Motion, 166367, 0, 1}},
        {"HostNoG90Flag", PlacementOf(f::HostNoG90Flag), {Record::Options, 1192, 0, 4}},
        {"HostRotationAngle", PlacementOf(f::HostRotationAngle), {Record::Options, 133672, 0, 8}},
        {"MachineCountA", PlacementOf(f::MachineCountA), {Record::Machine, 800092, 0, 4}},
        {"MachineCountB", PlacementOf(f::MachineCountB), {Record::Machine, 800096, 0, 4}},
        {"HostAxisVelocity", PlacementOf(f::HostAxisVelocity), {Record::Machine, 801608, 4, 4}},
        {"HostAxisAux", PlacementOf(f::HostAxisAux), {Record::Machine, 801632, 4, 4}},
        {"HostBusyFlag", PlacementOf(f::HostBusyFlag), {Record::Machine, 801968, 0, 4}},
        {"HostStatusText", {Record::Machine, f::HostStatusTextOffset, 0, sizeof(void*)},
         {Record::Machine, 1161996, 0, sizeof(void*)}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Placement& p = row.actual;
        EXPECT_EQ(p, row.expected) << "offset " << p.offset << ", stride " << p.stride << ", width " << p.width;
        const std::size_t end = p.offset + p.stride * (host::kAxisCount - 1) + p.width;
        EXPECT_LE(end, RecordSize(p.record)) << "the field of the last axis runs past the record";
    }
    // Each record is exactly as large as its last field needs: the fake host allocates these sizes,
    // so the sanitizers see any access past them.
    EXPECT_EQ(host::kMotionRecordSize, 166368u);
    EXPECT_EQ(host::kOptionsRecordSize, 133680u);
    EXPECT_EQ(host::kMachineRecordSize, 1161996u + sizeof(void*));
}

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
