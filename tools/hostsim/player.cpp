#include "player.h"

#include <cstdio>

#include "device/shuttle_win.h"
#include "host/host_string.h"
#include "plugin/exports.h"
#include "plugin/plugin.h"
#include "settings/dialog_port.h"
#include "settings/pendant_settings.h"

namespace k7v::hostsim {
namespace {

using platform::SimDevice;
using platform::SimFeedback;
using platform::SimReport;

// Stands in for the host's window object; the simulated window only keeps it as its parent.
int hostWindowObject = 0;

class Player {
public:
    Player(const Session& session, const PlayOptions& options, Trace& trace)
        : session_(session), trace_(trace), host_(trace), profile_(options.profilePath),
          showFeedback_(options.showFeedback)
    {
        plugin::Plugin::Instance().SetPlatform(&platform_);
    }

    // A session cut short still stops the plug-in, as the host does when it closes: the plug-in
    // must not keep a window that points into this host's records after they are gone.
    ~Player()
    {
        if (started_ && !stopped_) StopPlug();
        plugin::Plugin::Instance().SetPlatform(nullptr);
    }

    void Run()
    {
        for (const Step& step : session_.steps) {
            line_ = step.line;
            Do(step);
        }
        if (started_ && !stopped_) {
            trace_.Note(Now(), "StopPlug (end of session)");
            StopPlug();
            host_.ReportRecordChanges();
            stopped_ = true;
        }
    }

private:
    std::int64_t Now() { return platform_.Bus().Now(); }

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw SessionError(session_.file + ":" + std::to_string(line_) + ": " + what);
    }

    void Do(const Step& s)
    {
        using host::fields::HostAxisAux;
        using host::fields::HostAxisVelocity;
        switch (s.op) {
        case Op::Pendant:
            pendantPath_ = s.text.empty() ? kDefaultPendantPath : s.text;
            platform_.Bus().AddDevice(pendantPath_, device::kPendantVendorId, device::kPendantProductId);
            break;
        case Op::Device: platform_.Bus().AddDevice(s.text, static_cast<std::uint16_t>(s.a), static_cast<std::uint16_t>(s.b)); break;
        case Op::Profile: profile_ = s.text; break;
        case Op::Start: Start(); break;
        case Op::Led: host_.led[static_cast<int>(s.a)] = s.b != 0; break;
        case Op::Dro: host_.dro[static_cast<int>(s.a)] = s.value; break;
        case Op::Rotation: host_.Set(host::fields::HostRotationAngle, s.value); break;
        case Op::Busy: host_.Set(host::fields::HostBusyFlag, s.a); break;
        case Op::NoG90: host_.Set(host::fields::HostNoG90Flag, s.a); break;
        case Op::StopFlag: host_.Set(host::fields::HostStopFlag, s.a); break;
        case Op::MachineCounts:
            host_.Set(host::fields::MachineCountA, s.a);
            host_.Set(host::fields::MachineCountB, s.b);
            break;
        case Op::MotionCounts:
            host_.Set(host::fields::MotionCountA, s.a);
            host_.Set(host::fields::MotionCountB, s.b);
            break;
        case Op::AxisVelocity: host_.Set(HostAxisVelocity[static_cast<int>(s.a)], s.b); break;
        case Op::AxisAux: host_.Set(HostAxisAux[static_cast<int>(s.a)], s.b); break;
        case Op::Report: SendReport(s); break;
        case Op::Tick:
            for (std::int64_t i = 0; i < s.a; ++i) Tick();
            break;
        case Op::Update:
            trace_.Note(Now(), s.a == 1 ? "Update" : "Update x" + std::to_string(s.a));
            for (std::int64_t i = 0; i < s.a; ++i) ::Update();
            break;
        case Op::Unplug: Unplug(); break;
        case Op::Replug: Replug(s.text); break;
        case Op::ConfigOk:
        case Op::ConfigEscape: RunConfig(s); break;
        case Op::Feedback: showFeedback_ = s.a != 0; break;
        case Op::Stop:
            trace_.Note(Now(), "StopPlug");
            StopPlug();
            host_.ReportRecordChanges();
            stopped_ = true;
            break;
        }
    }

    void Start()
    {
        if (profile_.empty()) Fail("no profile file: name one with 'profile' or --profile");
        const host::Callbacks cb = SimHost::CallbackTable();
        SetDoButton(cb.doButton);
        SetSetDRO(cb.setDro);
        SetGetDRO(cb.getDro);
        SetGetLED(cb.getLed);
        SetSetLED(cb.setLed);
        SetCode(cb.code);
        const char* name = SetProName(host::HostStringCreate(profile_.c_str()));
        trace_.Note(Now(), std::string("SetProName -> \"") + name + "\"");
        trace_.Note(Now(), "InitControl");
        InitControl(host_.Motion(), host_.Options(), host_.Machine(), &hostWindowObject);
        trace_.Note(Now(), "PostInitControl");
        PostInitControl();
        NoteSettings();
        trace_.Note(Now(), pendantPath_.empty() || !Window() || !Window()->Link().DeviceConnected
                               ? "no pendant found"
                               : "pendant connected");
        started_ = true;
    }

    void NoteSettings()
    {
        const settings::PendantSettings& s = plugin::Plugin::Instance().settings;
        trace_.Note(Now(), "settings: StepJogRate " + std::to_string(s.StepJogRate) + ", DelaySteps " +
                               std::to_string(s.DelaySteps) + ", VelocityInAuto " + std::to_string(s.VelocityInAuto) +
                               ", reverse X/Y/Z " + std::to_string(s.Xreverse) + "/" + std::to_string(s.Yreverse) +
                               "/" + std::to_string(s.Zreverse) + ", Stepsize " + std::to_string(s.Stepsize));
    }

    device::ShuttleWin* Window() const { return plugin::Plugin::Instance().Window(); }

    void SendReport(const Step& s)
    {
        if (pendantPath_.empty()) Fail("a report needs a pendant: add 'pendant' before 'start'");
        SimReport report;
        std::copy(std::begin(s.bytes), std::end(s.bytes), report.begin());
        if (!platform_.Bus().Send(pendantPath_, report)) Fail("the pendant cannot take more reports at this time");
    }

    void Tick()
    {
        platform_.Bus().Advance(device::kPollPeriodMs);
        host_.SetTime(Now());
        SimDevice* pendant = pendantPath_.empty() ? nullptr : platform_.Bus().Find(pendantPath_);
        const std::uint64_t writesBefore = pendant ? pendant->writeCount : 0;
        if (platform::SimWindowPort* window = platform_.Window()) window->Tick();
        host_.ReportRecordChanges();
        if (showFeedback_ && pendant && pendant->writeCount != writesBefore) {
            const SimFeedback f = pendant->LastWrite();
            char text[32];
            std::snprintf(text, sizeof text, "%02x %02x %02x %02x %02x", f[0], f[1], f[2], f[3], f[4]);
            trace_.Event(Now(), "Feedback", text);
        }
    }

    void Unplug()
    {
        if (pendantPath_.empty()) Fail("there is no pendant to unplug");
        trace_.Note(Now(), "pendant unplugged");
        platform_.Bus().Unplug(pendantPath_);
        if (platform::SimWindowPort* window = platform_.Window()) window->NotifyRemoval(pendantPath_);
        host_.ReportRecordChanges();
    }

    void Replug(const std::string& path)
    {
        const std::string where = path.empty() ? pendantPath_ : path;
        if (platform_.Bus().Find(where))
            platform_.Bus().Replug(where);
        else
            platform_.Bus().AddDevice(where, device::kPendantVendorId, device::kPendantProductId);
        if (!path.empty()) pendantPath_ = where;
        trace_.Note(Now(), path.empty() ? "pendant plugged in again" : "pendant plugged in at " + where);
        if (platform::SimWindowPort* window = platform_.Window()) window->NotifyArrival(where);
        host_.ReportRecordChanges();
    }

    void RunConfig(const Step& s)
    {
        platform::DialogAnswer answer;
        if (s.op == Op::ConfigOk) {
            for (const std::string& field : s.fields) answer.push_back(DialogStepFor(field));
            answer.push_back(platform::DialogStep::Ok());
        } else {
            answer.push_back(platform::DialogStep::Escape());
        }
        platform_.dialog.Enqueue(answer);
        const std::size_t messagesBefore = platform_.dialog.messages.size();
        trace_.Note(Now(), s.op == Op::ConfigOk ? "Config (the user presses OK)" : "Config (the user presses Escape)");
        ::Config();
        for (std::size_t i = messagesBefore; i < platform_.dialog.messages.size(); ++i)
            trace_.Event(Now(), "MessageBox", "\"" + platform_.dialog.messages[i] + "\"");
        if (platform_.dialog.messages.size() != messagesBefore) trace_.Note(Now(), "the user gives up and presses Escape");
        NoteSettings();
        host_.ReportRecordChanges();
    }

    // "StepJogRate=200" types into the edit; "Sensitivity=6" chooses that level from the list;
    // "click=Xreverse" clicks a check box.
    platform::DialogStep DialogStepFor(const std::string& field) const
    {
        const auto eq = field.find('=');
        const std::string key = field.substr(0, eq), value = field.substr(eq + 1);
        if (key == "StepJogRate") return platform::DialogStep::Type(settings::kIdStepJogRate, value);
        if (key == "DelaySteps") return platform::DialogStep::Type(settings::kIdDelaySteps, value);
        if (key == "Sensitivity") {
            for (int i = 0; i < static_cast<int>(settings::SpeedSensitivityList.size()); ++i)
                if (value == settings::SensitivityLevel(i)) return platform::DialogStep::Choose(i);
            Fail("the sensitivity list has levels 1 to 10, not '" + value + "'");
        }
        if (key == "click") {
            if (value == "Xreverse") return platform::DialogStep::Click(settings::kIdXreverse);
            if (value == "Yreverse") return platform::DialogStep::Click(settings::kIdYreverse);
            if (value == "Zreverse") return platform::DialogStep::Click(settings::kIdZreverse);
            if (value == "Stepsize") return platform::DialogStep::Click(settings::kIdStepsize);
            Fail("'click' takes Xreverse, Yreverse, Zreverse or Stepsize, not '" + value + "'");
        }
        Fail("unknown dialog field '" + key + "' (StepJogRate, DelaySteps, Sensitivity, click)");
    }

    const Session& session_;
    Trace& trace_;
    platform::SimPlatform platform_;
    SimHost host_;
    std::string profile_;
    std::string pendantPath_;
    bool showFeedback_;
    bool started_ = false;
    bool stopped_ = false;
    int line_ = 0;
};

}  // namespace

void Play(const Session& session, const PlayOptions& options, Trace& trace)
{
    Player(session, options, trace).Run();
}

}  // namespace k7v::hostsim
