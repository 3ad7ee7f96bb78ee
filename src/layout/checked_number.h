#pragma once

#include <QtGlobal>

#include <cmath>
#include <limits>
#include <optional>

namespace fambridge {

namespace detail {

template <typename Integer> std::optional<Integer> roundInto(double value) {
    // Under the default rounding mode nearbyint sends halves to the even neighbour, as every store of a
    // floating-point value into an integer variable does. Rounding comes before the range test, so that
    // 32767.4 still fits a 16-bit variable and 32767.5 no longer does. NaN fails both comparisons.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= double(std::numeric_limits<Integer>::min()) &&
          rounded <= double(std::numeric_limits<Integer>::max())))
        return std::nullopt;
    return static_cast<Integer>(rounded);
}

} // namespace detail

// The value rounded into a 16-bit signed variable; nullopt where that variable would overflow.
inline std::optional<qint16> toInt16(double value) {
    return detail::roundInto<qint16>(value);
}

// The value rounded into a 32-bit signed variable; nullopt where that variable would overflow.
inline std::optional<qint32> toInt32(double value) {
    return detail::roundInto<qint32>(value);
}

// The value rounded to single precision; nullopt for NaN, an infinity, or a value that rounds beyond the
// largest float. Converting such a double to float would not fault, it would quietly give infinity.
inline std::optional<float> toSingle(double value) {
    // Half a unit in the last place above the largest float: from here on rounding gives infinity.
    constexpr double kFirstOverflow = 0x1.ffffffp127;
    if (!std::isfinite(value) || std::fabs(value) >= kFirstOverflow)
        return std::nullopt;
    return static_cast<float>(value);
}

} // namespace fambridge
