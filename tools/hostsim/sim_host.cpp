#include "sim_host.h"

#include <cstring>
#include <stdexcept>

#include "host/host_string.h"

namespace k7v::hostsim {
namespace {

SimHost* current = nullptr;

extern "C" void SimDoButton(int code) { current->OnDoButton(code); }
extern "C" void SimSetDro(int code, double value) { current->OnSetDro(code, value); }
extern "C" double SimGetDro(int code) { return current->OnGetDro(code); }
extern "C" bool SimGetLed(int code) { return current->OnGetLed(code); }
extern "C" void SimSetLed(int code, bool on) { current->trace.Event(current->Time(), "SetLED", std::to_string(code) + ", " + (on ? "1" : "0")); }
extern "C" void SimCode(const char* line) { current->OnCode(line); }

const char* kAxisNames[] = {"X", "Y", "Z", "A"};
constexpr std::size_t kJogBlockSize = 24;

}  // namespace

SimHost::SimHost(Trace& t)
    : trace(t), motion_(host::kMotionRecordSize), options_(host::kOptionsRecordSize), machine_(host::kMachineRecordSize)
{
    if (current) throw std::logic_error("one simulated host at a time");
    current = this;
    host::HostString status = host::HostStringCreate("", 128);
    std::memcpy(machine_.data() + host::fields::HostStatusTextOffset, &status.data, sizeof status.data);
}

SimHost::~SimHost()
{
    host::HostString status{nullptr};
    std::memcpy(&status.data, machine_.data() + host::fields::HostStatusTextOffset, sizeof status.data);
    host::HostStringRelease(status);
    current = nullptr;
}

host::Callbacks SimHost::CallbackTable() { return {SimDoButton, SimSetDro, SimGetDro, SimGetLed, SimSetLed, SimCode}; }

host::Host SimHost::Wire()
{
    host::Host h;
    h.records = {motion_.data(), options_.data(), machine_.data(), nullptr};
    return h;
}

void SimHost::ReportRecordChanges()
{
    host::Host h = Wire();
    for (int axis = 0; axis < host::kAxisCount; ++axis) {
        std::array<std::uint8_t, kJogBlockSize> block;
        std::memcpy(block.data(), motion_.data() + host::fields::JogVelocity[axis].offset, kJogBlockSize);
        if (block == lastJogBlocks_[static_cast<std::size_t>(axis)]) continue;
        lastJogBlocks_[static_cast<std::size_t>(axis)] = block;
        using namespace host::fields;
        trace.Event(now_, "JogBlock",
                    std::string(kAxisNames[axis]) + " dir=" + std::to_string(h.Get(JogDirection[axis])) +
                        " vel=" + std::to_string(h.Get(JogVelocity[axis])) +
                        " limit=" + std::to_string(h.Get(JogVelocityLimit[axis])) +
                        " aux=" + std::to_string(h.Get(JogAuxLimit[axis])) +
                        " stop=" + std::to_string(h.Get(JogStop[axis])) + " run=" + std::to_string(h.Get(JogRun[axis])));
    }
    const std::string status = host::HostStringTextAt(machine_.data() + host::fields::HostStatusTextOffset);
    if (status != lastStatus_) {
        lastStatus_ = status;
        trace.Event(now_, "Status", "\"" + status + "\"");
    }
}

void SimHost::OnDoButton(int code)
{
    ReportRecordChanges();
    trace.Event(now_, "DoButton", std::to_string(code));
}

void SimHost::OnSetDro(int code, double value)
{
    ReportRecordChanges();
    dro[code] = value;
    trace.Event(now_, "SetDRO", std::to_string(code) + ", " + FormatValue(value));
}

double SimHost::OnGetDro(int code)
{
    ReportRecordChanges();
    const auto it = dro.find(code);
    const double value = it == dro.end() ? 0.0 : it->second;
    trace.Event(now_, "GetDRO", std::to_string(code), FormatValue(value));
    return value;
}

bool SimHost::OnGetLed(int code)
{
    ReportRecordChanges();
    const auto it = led.find(code);
    const bool on = it != led.end() && it->second;
    trace.Event(now_, "GetLED", std::to_string(code), on ? "on" : "off");
    return on;
}

void SimHost::OnCode(const char* line)
{
    ReportRecordChanges();
    trace.Event(now_, "Code", line);
}

}  // namespace k7v::hostsim
