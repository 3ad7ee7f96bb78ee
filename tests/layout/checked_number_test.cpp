#include "layout/checked_number.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>
#include <optional>

namespace fambridge {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Each row: the value and what the conversion gives, nullopt where it refuses.
template <typename T, typename Convert>
void expectConversions(Convert convert, std::initializer_list<std::pair<double, std::optional<T>>> cases) {
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(convert(value), expected);
    }
}

TEST(CheckedNumber, Int16RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
    expectConversions<qint16>(toInt16, {{0.5, 0},
                                        {1.5, 2},
                                        {2.5, 2},
                                        {-2.5, -2},
                                        {32767.4, 32767},
                                        {32767.5, std::nullopt},
                                        {-32768.5, -32768},
                                        {-32768.6, std::nullopt},
                                        {kNaN, std::nullopt},
                                        {-kInfinity, std::nullopt}});
}

TEST(CheckedNumber, SingleRoundsToNearestFloatAndRefusesWhatWouldBecomeInfinite) {
    expectConversions<float>(toSingle, {{1024.0 / 800.0, 1.28f},
                                        {1024.0 / 600.0, 1.7066667f},
                                        // A quarter of a unit in the last place above the largest float
                                        // still rounds down to it; half a unit rounds to even, infinity.
                                        {0x1.fffffe8p127, FLT_MAX},
                                        {0x1.ffffffp127, std::nullopt},
                                        {kNaN, std::nullopt},
                                        {kInfinity, std::nullopt}});
}

} // namespace
} // namespace fambridge
