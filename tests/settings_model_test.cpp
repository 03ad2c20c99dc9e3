#include <gtest/gtest.h>

#include "settings/pendant_settings.h"

namespace k7v::settings {
namespace {

TEST(PendantSettings, StartAtZeroAndLoadDefaultsInKeyOrder)
{
    EXPECT_EQ(PendantSettings{}, (PendantSettings{0, 0, 0, 0, 0, 0, 0}));
    const PendantSettings d = PendantSettings::Defaults();
    EXPECT_EQ(d.StepJogRate, 100);
    EXPECT_EQ(d.DelaySteps, 25);
    EXPECT_EQ(d.VelocityInAuto, 5);
    EXPECT_EQ(std::string(kKeys[2]), "VelocityInAuto");
}

TEST(PendantSettings, VelocityInAutoKeepsTheLowSixteenBitsSigned)
{
    struct Case {
        std::int32_t in;
        std::int16_t out;
    };
    for (const Case c : {Case{65541, 5}, Case{5, 5}, Case{65535, -1}, Case{-1, -1}, Case{32768, -32768}})
        EXPECT_EQ(ToVelocityInAuto(c.in), c.out) << c.in;
}

TEST(SpeedSensitivityList, DivisorAndLevelComeFromTheTexts)
{
    const int divisors[] = {3, 4, 5, 6, 7, 9, 11, 15, 20, 25};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(SensitivityDivisor(i), divisors[i]);
        EXPECT_EQ(std::string(SensitivityLevel(i)), std::to_string(i + 1));
    }
}

TEST(SpeedSensitivityList, AnIndexOutsideTheListFallsBackToTheDefault)
{
    for (std::int16_t v : {0, 9}) EXPECT_EQ(SensitivityIndex(v), v);
    for (std::int16_t v : {-1, 10, 32767, -32768}) EXPECT_EQ(SensitivityIndex(v), kDefaultSensitivityIndex) << v;
}

}  // namespace
}  // namespace k7v::settings
