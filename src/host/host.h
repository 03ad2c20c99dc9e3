// The one place that calls the host's callbacks and touches the host's records.
//
// Every pendant function talks to the host through a Host. A callback that the host has not handed
// over yet is never called: a getter then answers as a quiet host would (DRO 0.0, LED dark). A record
// that was not handed over reads as zeros and ignores writes, so a host that calls us out of order
// cannot crash the plug-in.
#pragma once

#include <cstdint>
#include <cstring>

#include "host/host_fields.h"

namespace k7v::host {

// Callback signatures, plain C functions of the host.
extern "C" {
using DoButtonFn = void (*)(int code);
using SetDroFn = void (*)(int code, double value);
using GetDroFn = double (*)(int code);
using GetLedFn = bool (*)(int code);  // a one-byte boolean
using SetLedFn = void (*)(int code, bool on);
using CodeFn = void (*)(const char* line);
}

struct Callbacks {
    DoButtonFn doButton = nullptr;
    SetDroFn setDro = nullptr;
    GetDroFn getDro = nullptr;
    GetLedFn getLed = nullptr;
    SetLedFn setLed = nullptr;  // stored, never called
    CodeFn code = nullptr;
};

struct Records {
    std::uint8_t* motion = nullptr;
    std::uint8_t* options = nullptr;
    std::uint8_t* machine = nullptr;
    void* window = nullptr;  // the host's window object, parent of our hidden window
};

class Host {
public:
    Callbacks callbacks;
    Records records;

    void DoButton(int code) const
    {
        if (callbacks.doButton) callbacks.doButton(code);
    }
    void SetDRO(int code, double value) const
    {
        if (callbacks.setDro) callbacks.setDro(code, value);
    }
    double GetDRO(int code) const { return callbacks.getDro ? callbacks.getDro(code) : 0.0; }
    bool GetLED(int code) const { return callbacks.getLed ? callbacks.getLed(code) : false; }
    void Code(const char* line) const
    {
        if (callbacks.code) callbacks.code(line);
    }

    template <typename T>
    T Get(Field<T> field) const
    {
        T value{};
        if (const std::uint8_t* base = RecordBase(field.record)) std::memcpy(&value, base + field.offset, sizeof value);
        return value;
    }

    template <typename T, typename V>
    void Set(Field<T> field, V value) const
    {
        const T typed = static_cast<T>(value);
        if (std::uint8_t* base = RecordBase(field.record)) std::memcpy(base + field.offset, &typed, sizeof typed);
    }

    // Replaces the host's status text (a string object in HostMachine) with `text`, whole.
    void SetStatusText(const char* text) const;

private:
    std::uint8_t* RecordBase(Record r) const
    {
        switch (r) {
        case Record::Motion: return records.motion;
        case Record::Options: return records.options;
        case Record::Machine: return records.machine;
        }
        return nullptr;
    }
};

}  // namespace k7v::host
