// Byte offsets of every host record field the plug-in touches, in one table.
//
// The host is a closed program: it hands over raw pointers to its records and we address them by
// byte offset. Fields are read and written with std::memcpy through Host::Get/Set, never by casting
// a pointer, because the offsets are not aligned for their types.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k7v::host {

enum class Record { Motion, Options, Machine };

template <typename T>
struct Field {
    Record record;
    std::size_t offset;
};

// A per-axis field: axis a lives at base + stride * a (axes 0 to 3: X, Y, Z, A).
template <typename T>
struct AxisField {
    Record record;
    std::size_t base;
    std::size_t stride;
    constexpr Field<T> operator[](int axis) const
    {
        return {record, base + stride * static_cast<std::size_t>(axis)};
    }
};

inline constexpr int kAxisCount = 4;

namespace fields {
// HostMotion
inline constexpr Field<std::int32_t> MotionCountA{Record::Motion, 163840};
inline constexpr Field<std::int32_t> MotionCountB{Record::Motion, 163844};
inline constexpr AxisField<std::int32_t> JogVelocity{Record::Motion, 163940, 96};
inline constexpr AxisField<std::int32_t> JogVelocityLimit{Record::Motion, 163944, 96};
inline constexpr AxisField<std::int32_t> JogAuxLimit{Record::Motion, 163948, 96};
inline constexpr AxisField<std::uint8_t> JogStop{Record::Motion, 163954, 96};
inline constexpr AxisField<std::uint8_t> JogRun{Record::Motion, 163956, 96};
inline constexpr AxisField<std::int32_t> JogDirection{Record::Motion, 163960, 96};
inline constexpr Field<std::uint8_t> HostStopFlag{Record::Motion, 166367};

// HostOptions
inline constexpr Field<std::int32_t> HostNoG90Flag{Record::Options, 1192};
inline constexpr Field<double> HostRotationAngle{Record::Options, 133672};

// HostMachine
inline constexpr Field<std::int32_t> MachineCountA{Record::Machine, 800092};
inline constexpr Field<std::int32_t> MachineCountB{Record::Machine, 800096};
inline constexpr AxisField<std::int32_t> HostAxisVelocity{Record::Machine, 801608, 4};
inline constexpr AxisField<std::int32_t> HostAxisAux{Record::Machine, 801632, 4};
inline constexpr Field<std::int32_t> HostBusyFlag{Record::Machine, 801968};
// A string object of the host's class library: one pointer to its characters (host_string.h).
inline constexpr std::size_t HostStatusTextOffset = 1161996;
}  // namespace fields

// The smallest record sizes that hold every field above. A host's records are at least this large;
// the fake host of the tests allocates exactly these, so a wrong offset shows up under the sanitizers.
inline constexpr std::size_t kMotionRecordSize = fields::HostStopFlag.offset + 1;
inline constexpr std::size_t kOptionsRecordSize = fields::HostRotationAngle.offset + sizeof(double);
inline constexpr std::size_t kMachineRecordSize = fields::HostStatusTextOffset + sizeof(void*);

}  // namespace k7v::host
