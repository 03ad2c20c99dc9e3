// The entry points the host calls, with C linkage and undecorated names (see k7v.def).
// No exception crosses them: every failure is absorbed and the plug-in goes on with what it has.
#pragma once

#include "host/host.h"
#include "host/host_string.h"

extern "C" {
void SetDoButton(k7v::host::DoButtonFn fn);
void SetSetDRO(k7v::host::SetDroFn fn);
void SetGetDRO(k7v::host::GetDroFn fn);
void SetGetLED(k7v::host::GetLedFn fn);
void SetSetLED(k7v::host::SetLedFn fn);
void SetCode(k7v::host::CodeFn fn);

const char* SetProName(k7v::host::HostString name);
bool InitControl(void* motion, void* options, void* machine, void* window);
void PostInitControl();
void Config();
void StopPlug();
void Update();

// Entry points the host may call that this plug-in has no use for.
void DoDwell();
void Reset();
void JogOn();
void JogOff();
void Purge();
void Probe();
void Home();
}
