#include "settings/persistence.h"

namespace k7v::settings {

void LoadSettings(XmlProfile& store, PendantSettings& settings)
{
    const PendantSettings d = PendantSettings::Defaults();
    auto read = [&store](int key, std::int32_t fallback) { return store.ReadInt(kSectionName, kKeys[key], fallback); };
    settings.StepJogRate = read(0, d.StepJogRate);
    settings.DelaySteps = read(1, d.DelaySteps);
    settings.VelocityInAuto = ToVelocityInAuto(read(2, d.VelocityInAuto));
    settings.Xreverse = read(3, d.Xreverse);
    settings.Yreverse = read(4, d.Yreverse);
    settings.Zreverse = read(5, d.Zreverse);
    settings.Stepsize = read(6, d.Stepsize);
}

void SaveSettings(XmlProfile& store, const PendantSettings& settings)
{
    auto write = [&store](int key, std::int32_t value) { store.WriteInt(kSectionName, kKeys[key], value); };
    write(0, settings.StepJogRate);
    write(1, settings.DelaySteps);
    write(2, static_cast<std::int32_t>(settings.VelocityInAuto));
    write(3, settings.Xreverse);
    write(4, settings.Yreverse);
    write(5, settings.Zreverse);
    write(6, settings.Stepsize);
}

}  // namespace k7v::settings
