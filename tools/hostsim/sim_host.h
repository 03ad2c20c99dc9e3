// The host side of the simulation: records of their real sizes, the DRO and LED values the
// session sets, and callbacks that write every call into the trace.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/host.h"
#include "trace.h"

namespace k7v::hostsim {

class SimHost {
public:
    explicit SimHost(Trace& trace);
    ~SimHost();
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

    static host::Callbacks CallbackTable();

    std::uint8_t* Motion() { return motion_.data(); }
    std::uint8_t* Options() { return options_.data(); }
    std::uint8_t* Machine() { return machine_.data(); }

    template <typename T, typename V>
    void Set(host::Field<T> field, V value)
    {
        host::Host h = Wire();
        h.Set(field, value);
    }

    void SetTime(std::int64_t ms) { now_ = ms; }
    std::int64_t Time() const { return now_; }

    // Writes what changed in the records since the last look: the jog blocks and the status text.
    // Called before every callback is traced, and after every tick, so changes appear in order.
    void ReportRecordChanges();

    std::map<int, double> dro;
    std::map<int, bool> led;

    // Callback bodies.
    void OnDoButton(int code);
    void OnSetDro(int code, double value);
    double OnGetDro(int code);
    bool OnGetLed(int code);
    void OnCode(const char* line);

    Trace& trace;

private:
    host::Host Wire();

    std::vector<std::uint8_t> motion_, options_, machine_;
    std::array<std::array<std::uint8_t, 24>, 4> lastJogBlocks_{};
    std::string lastStatus_;
    std::int64_t now_ = 0;
};

}  // namespace k7v::hostsim
