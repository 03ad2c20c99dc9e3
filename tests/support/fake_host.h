// A host for tests: records of their real sizes, a DRO and LED store, and a log of every callback
// as one line of text ("DoButton(1021)", "SetDRO(821, 100)", "Code(G91G1 F100 X 0.0030)").
//
// The host's callbacks are plain C functions, so only one FakeHost may be alive at a time.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/host.h"

namespace k7v::test {

class FakeHost {
public:
    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // A Host wired to this fake's callbacks and records.
    host::Host Wire() const;
    static host::Callbacks CallbackTable();

    template <typename T>
    T Get(host::Field<T> field) const
    {
        host::Host h = Wire();
        return h.Get(field);
    }
    template <typename T, typename V>
    void Set(host::Field<T> field, V value)
    {
        host::Host h = Wire();
        h.Set(field, value);
    }

    std::string StatusText() const;

    // Every call since the last Take, in order; Take clears the log.
    std::vector<std::string> Take();
    // The same without the GetDRO and GetLED lines: only what the plug-in made the host do.
    std::vector<std::string> TakeActions();

    std::vector<std::uint8_t> motion;
    std::vector<std::uint8_t> options;
    std::vector<std::uint8_t> machine;
    std::map<int, double> dro;  // a missing code reads 0.0
    std::map<int, bool> led;    // a missing code is dark
    std::vector<std::string> calls;
};

// A double as the call log writes it: shortest text that reads back the same, "100" for 100.0.
std::string FormatNumber(double value);

}  // namespace k7v::test
