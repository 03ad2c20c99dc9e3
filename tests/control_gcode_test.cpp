#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "control/gcode.h"

namespace k7v::control {
namespace {

TEST(CommandLine, FillsEachConversionLikeTheCLocale)
{
    CommandLine line;
    EXPECT_STREQ(line.Format("G91G1 F%d %s %.4f", {-100, "X", 0.003}), "G91G1 F-100 X 0.0030");
    EXPECT_STREQ(line.Format("G91G1 F%.4f %s %.4f", {60.0, "Y", -1.27}), "G91G1 F60.0000 Y -1.2700");
    EXPECT_STREQ(line.Format("G91G1 %s %.4f", {"A", 0.00005}), "G91G1 A 0.0001");  // rounds half away
    EXPECT_STREQ(line.Format("G91G1 X%.4f Y%.4f ", {-4.4e-11, -0.0}), "G91G1 X-0.0000 Y-0.0000 ");
    EXPECT_STREQ(line.Format("G91G1 X%.4f Y%.4f ", {0.0, 123456.78915}), "G91G1 X0.0000 Y123456.7891 ");
    EXPECT_STREQ(line.Format("G90", {}), "G90");
    EXPECT_EQ(line.size(), 3u);
}

TEST(CommandLine, TheLargestValuesAreNeverCutShort)
{
    CommandLine line;
    const double big = -std::numeric_limits<double>::max();
    line.Format("G91G1 F%.4f %s %.4f", {big, "X", big});
    const std::string text = line.c_str();
    ASSERT_EQ(text.size(), 7u + 315 + 3 + 315);  // "G91G1 F", value, " X ", value
    EXPECT_EQ(text.substr(0, 10), "G91G1 F-17");
    EXPECT_EQ(text.substr(text.size() - 5), ".0000");
    EXPECT_EQ(std::strlen(line.c_str()), line.size());
}

TEST(CommandLine, AConversionWithoutAMatchingArgumentWritesNothing)
{
    CommandLine line;
    EXPECT_STREQ(line.Format("F%d %s %.4f", {2.5, "X"}), "F X ");
    EXPECT_STREQ(line.Format("%s|%d|100%", {"Z", 7}), "Z|7|100%");
}

}  // namespace
}  // namespace k7v::control
