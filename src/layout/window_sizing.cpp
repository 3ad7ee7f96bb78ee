#include "layout/window_sizing.h"

#include "layout/checked_number.h"
#include "layout/control_scaler.h"

#include <cmath>

namespace fambridge {

namespace {

LayoutOutcome storeInt16(double value, qint16& target, LayoutStep step) {
    const std::optional<qint16> rounded = toInt16(value);
    if (!rounded)
        return LayoutFailure{step, LayoutFault::IntegerOverflow};
    target = *rounded;
    return {};
}

// The quotient is taken in double and rounded once, straight into the 16-bit variable: a detour through
// single precision would round twice and could move a quotient onto or off a half.
LayoutOutcome storeInt16Quotient(double numerator, double denominator, qint16& target, LayoutStep step) {
    const double quotient = numerator / denominator;
    if (!std::isfinite(quotient))
        return LayoutFailure{step, LayoutFault::FloatingPoint};
    return storeInt16(quotient, target, step);
}

// A scaling factor: divided in double precision, then rounded to single precision.
LayoutOutcome storeFactor(double numerator, double denominator, float& target, LayoutStep step) {
    const std::optional<float> factor = toSingle(numerator / denominator);
    if (!factor)
        return LayoutFailure{step, LayoutFault::FloatingPoint};
    target = *factor;
    return {};
}

LayoutOutcome storeSize(std::optional<float> size, qint32& target, LayoutStep step) {
    if (!size)
        return LayoutFailure{step, LayoutFault::MissingProperty};
    const std::optional<qint32> rounded = toInt32(*size);
    if (!rounded)
        return LayoutFailure{step, LayoutFault::IntegerOverflow};
    target = *rounded;
    return {};
}

LayoutOutcome storeSizeFactor(std::optional<float> size, qint32 lastSize, float& target, LayoutStep step) {
    if (!size)
        return LayoutFailure{step, LayoutFault::MissingProperty};
    return storeFactor(*size, lastSize, target, step);
}

} // namespace

LayoutOutcome WindowSizing::Form_Load(const ScreenMetrics& screen, MainFormLayout& window) {
    m_sizes.DesignWidth = kDesignScreenWidthPx;
    m_sizes.DesignHeight = kDesignScreenHeightPx;
    m_state.FirstLayout = true;
    m_state.ResizeArmed = false;

    if (auto outcome = storeInt16(screen.twipsPerPixelX, m_state.TwipsPerPixelX, LayoutStep::TwipsPerPixelX);
        !outcome)
        return outcome;
    if (auto outcome = storeInt16(screen.twipsPerPixelY, m_state.TwipsPerPixelY, LayoutStep::TwipsPerPixelY);
        !outcome)
        return outcome;
    if (auto outcome = storeInt16Quotient(screen.heightTwips, m_state.TwipsPerPixelY, m_state.ScreenHeightPx,
                                          LayoutStep::ScreenHeightPx);
        !outcome)
        return outcome;
    if (auto outcome = storeInt16Quotient(screen.widthTwips, m_state.TwipsPerPixelX, m_state.ScreenWidthPx,
                                          LayoutStep::ScreenWidthPx);
        !outcome)
        return outcome;

    float kx = 0;
    float ky = 0;
    if (auto outcome =
            storeFactor(m_state.ScreenWidthPx, m_sizes.DesignWidth, kx, LayoutStep::HorizontalFactor);
        !outcome)
        return outcome;
    if (auto outcome =
            storeFactor(m_state.ScreenHeightPx, m_sizes.DesignHeight, ky, LayoutStep::VerticalFactor);
        !outcome)
        return outcome;

    if (auto outcome = ResizeControls(kx, ky, window, m_state.FirstLayout); !outcome)
        return outcome;
    return storeLastSizes(window);
}

LayoutOutcome WindowSizing::Form_Resize(MainFormLayout& window) {
    if (!m_state.ResizeArmed) {
        m_state.ResizeArmed = true;
        return {};
    }
    m_state.FirstLayout = false;

    float kx = 0;
    float ky = 0;
    if (auto outcome = storeSizeFactor(window.Width(), m_sizes.LastWidth, kx, LayoutStep::HorizontalFactor);
        !outcome)
        return outcome;
    if (auto outcome = storeSizeFactor(window.Height(), m_sizes.LastHeight, ky, LayoutStep::VerticalFactor);
        !outcome)
        return outcome;

    if (auto outcome = ResizeControls(kx, ky, window, m_state.FirstLayout); !outcome)
        return outcome;
    return storeLastSizes(window);
}

// Read back from the window rather than derived from the factors: the window may not take exactly the
// size it was asked for, and the next ratio must start from the size it really has.
LayoutOutcome WindowSizing::storeLastSizes(const MainFormLayout& window) {
    if (auto outcome = storeSize(window.Height(), m_sizes.LastHeight, LayoutStep::LastHeight); !outcome)
        return outcome;
    return storeSize(window.Width(), m_sizes.LastWidth, LayoutStep::LastWidth);
}

} // namespace fambridge
