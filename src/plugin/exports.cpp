#include "plugin/exports.h"

#include "plugin/plugin.h"

using k7v::plugin::Plugin;

namespace {

// Runs `work` and swallows anything it throws: the host must never see an exception.
template <typename Work>
void Guarded(Work&& work) noexcept
{
    try {
        work();
    } catch (...) {
    }
}

}  // namespace

extern "C" {

void SetDoButton(k7v::host::DoButtonFn fn) { Plugin::Instance().host.callbacks.doButton = fn; }
void SetSetDRO(k7v::host::SetDroFn fn) { Plugin::Instance().host.callbacks.setDro = fn; }
void SetGetDRO(k7v::host::GetDroFn fn) { Plugin::Instance().host.callbacks.getDro = fn; }
void SetGetLED(k7v::host::GetLedFn fn) { Plugin::Instance().host.callbacks.getLed = fn; }
void SetSetLED(k7v::host::SetLedFn fn) { Plugin::Instance().host.callbacks.setLed = fn; }
void SetCode(k7v::host::CodeFn fn) { Plugin::Instance().host.callbacks.code = fn; }

const char* SetProName(k7v::host::HostString name)
{
    const char* result = "";
    Guarded([&] { result = Plugin::Instance().SetProName(name); });
    return result;
}

bool InitControl(void* motion, void* options, void* machine, void* window)
{
    Guarded([&] { Plugin::Instance().InitControl(motion, options, machine, window); });
    return true;
}

void PostInitControl()
{
    Guarded([] { Plugin::Instance().PostInitControl(); });
}

void Config()
{
    Guarded([] { Plugin::Instance().Config(); });
}

void StopPlug()
{
    Guarded([] { Plugin::Instance().StopPlug(); });
}

void Update() { Plugin::Instance().Update(); }

void DoDwell() {}
void Reset() {}
void JogOn() {}
void JogOff() {}
void Purge() {}
void Probe() {}
void Home() {}

}  // extern "C"
