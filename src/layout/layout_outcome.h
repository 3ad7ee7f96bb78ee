#pragma once

#include <QString>

#include <optional>

namespace fambridge {

// The steps of Form_Load, Form_Resize and ResizeControls that can fail, named by what they compute.
enum class LayoutStep {
    TwipsPerPixelX,
    TwipsPerPixelY,
    ScreenHeightPx,
    ScreenWidthPx,
    HorizontalFactor, // kx
    VerticalFactor,   // ky
    FontFactor,       // kf
    LastHeight,
    LastWidth,
};

enum class LayoutFault {
    // A division by zero, an invalid operation or an overflow in floating point.
    FloatingPoint,
    // A value outside the range of the integer variable it is rounded into.
    IntegerOverflow,
    // The window did not report its Width or Height.
    MissingProperty,
};

struct LayoutFailure {
    LayoutStep step;
    LayoutFault fault;

    bool operator==(const LayoutFailure&) const = default;
};

// Where a layout handler stopped. On Windows such a fault ended the program; here the
// handler stops at the failing step, the window keeps what the earlier steps did and stays usable, and
// the caller decides whether to mention it anywhere.
class [[nodiscard]] LayoutOutcome {
public:
    LayoutOutcome() = default;
    LayoutOutcome(LayoutFailure failure) : m_failure(failure) {}

    bool ok() const { return !m_failure; }
    explicit operator bool() const { return ok(); }
    std::optional<LayoutFailure> failure() const { return m_failure; }

private:
    std::optional<LayoutFailure> m_failure;
};

// "ScreenWidthPx: integer overflow", for a log line or a test failure.
QString describe(const LayoutFailure& failure);

} // namespace fambridge
