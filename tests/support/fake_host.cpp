#include "support/fake_host.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "host/host_string.h"

namespace k7v::test {
namespace {

FakeHost* current = nullptr;

void Log(std::string line)
{
    if (current) current->calls.push_back(std::move(line));
}

extern "C" void FakeDoButton(int code) { Log("DoButton(" + std::to_string(code) + ")"); }
extern "C" void FakeSetDro(int code, double value)
{
    Log("SetDRO(" + std::to_string(code) + ", " + FormatNumber(value) + ")");
    if (current) current->dro[code] = value;
}
extern "C" double FakeGetDro(int code)
{
    Log("GetDRO(" + std::to_string(code) + ")");
    if (!current) return 0.0;
    auto it = current->dro.find(code);
    return it == current->dro.end() ? 0.0 : it->second;
}
extern "C" bool FakeGetLed(int code)
{
    Log("GetLED(" + std::to_string(code) + ")");
    if (!current) return false;
    auto it = current->led.find(code);
    return it != current->led.end() && it->second;
}
extern "C" void FakeSetLed(int code, bool on) { Log("SetLED(" + std::to_string(code) + ", " + (on ? "1" : "0") + ")"); }
extern "C" void FakeCode(const char* line) { Log(std::string("Code(") + line + ")"); }

}  // namespace

std::string FormatNumber(double value)
{
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

FakeHost::FakeHost()
    : motion(host::kMotionRecordSize), options(host::kOptionsRecordSize), machine(host::kMachineRecordSize)
{
    if (current) throw std::logic_error("only one FakeHost at a time");
    current = this;
    // The host's status line starts empty, with room for a status text.
    host::HostString status = host::HostStringCreate("", 128);
    std::copy_n(reinterpret_cast<const std::uint8_t*>(&status.data), sizeof status.data,
                machine.begin() + static_cast<std::ptrdiff_t>(host::fields::HostStatusTextOffset));
}

FakeHost::~FakeHost()
{
    host::HostString status{nullptr};
    std::copy_n(machine.begin() + static_cast<std::ptrdiff_t>(host::fields::HostStatusTextOffset), sizeof status.data,
                reinterpret_cast<std::uint8_t*>(&status.data));
    host::HostStringRelease(status);
    current = nullptr;
}

host::Callbacks FakeHost::CallbackTable()
{
    return {FakeDoButton, FakeSetDro, FakeGetDro, FakeGetLed, FakeSetLed, FakeCode};
}

host::Host FakeHost::Wire() const
{
    host::Host h;
    h.callbacks = CallbackTable();
    auto* self = const_cast<FakeHost*>(this);
    h.records = {self->motion.data(), self->options.data(), self->machine.data(), nullptr};
    return h;
}

std::string FakeHost::StatusText() const
{
    return host::HostStringTextAt(machine.data() + host::fields::HostStatusTextOffset);
}

std::vector<std::string> FakeHost::Take()
{
    std::vector<std::string> out;
    out.swap(calls);
    return out;
}

std::vector<std::string> FakeHost::TakeActions()
{
    std::vector<std::string> out;
    for (auto& line : Take())
        if (line.rfind("GetDRO(", 0) != 0 && line.rfind("GetLED(", 0) != 0) out.push_back(std::move(line));
    return out;
}

}  // namespace k7v::test
