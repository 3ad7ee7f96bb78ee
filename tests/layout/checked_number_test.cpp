#include "layout/checked_number.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>
#include <optional>

namespace fambridge {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(CheckedNumber, Int16RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
    const struct {
        double value;
        std::optional<qint16> expected;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {832.5, 832},
        {2167.5, 2168},
        {1828.5714, 1829},
        {32767.4, 32767},
        {32767.5, std::nullopt},
        {-32768.5, -32768},
        {-32768.6, std::nullopt},
        {40000, std::nullopt},
        {kNaN, std::nullopt},
        {kInfinity, std::nullopt},
        {-kInfinity, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(toInt16(c.value), c.expected);
    }
}

TEST(CheckedNumber, Int32RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
    const struct {
        double value;
        std::optional<qint32> expected;
    } cases[] = {
        {7425.5, 7426},
        {7424.5, 7424},
        {40000, 40000},
        {2147483647.4, 2147483647},
        {2147483647.5, std::nullopt},
        {-2147483648.5, std::numeric_limits<qint32>::min()},
        {-2147483649.0, std::nullopt},
        {3e9, std::nullopt},
        {kNaN, std::nullopt},
        {kInfinity, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(toInt32(c.value), c.expected);
    }
}

TEST(CheckedNumber, SingleRoundsToNearestFloatAndRefusesWhatWouldBecomeInfinite) {
    const struct {
        double value;
        std::optional<float> expected;
    } cases[] = {
        {1024.0 / 800.0, 1.28f},
        {1024.0 / 600.0, 1.7066667f},
        {1829.0 / 800.0, 2.28625f},
        {double(FLT_MAX), FLT_MAX},
        // A quarter of a unit in the last place above the largest float still rounds down to it.
        {0x1.fffffe8p127, FLT_MAX},
        // Exactly half a unit above rounds to even, which is infinity.
        {0x1.ffffffp127, std::nullopt},
        {-0x1.ffffffp127, std::nullopt},
        {1e39, std::nullopt},
        {kNaN, std::nullopt},
        {kInfinity, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(toSingle(c.value), c.expected);
    }
}

} // namespace
} // namespace fambridge
