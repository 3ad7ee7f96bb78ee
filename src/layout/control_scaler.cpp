#include "layout/control_scaler.h"

#include "layout/checked_number.h"

#include <cmath>

namespace fambridge {

namespace {

// Every assignment and every Move below is the last action of its unit, so a refused one needs no
// further handling: the target stays as it was and the scaler goes on with the next unit.

// A single-precision product, or nothing when the property is missing or the product overflows.
std::optional<float> scaled(std::optional<float> value, float factor) {
    if (!value)
        return std::nullopt;
    const float product = *value * factor;
    if (!std::isfinite(product))
        return std::nullopt;
    return product;
}

// All four reads and products come before the one Move, so that a missing property or an overflowing
// product leaves the target exactly where it was.
template <typename Target> void moveScaled(Target& target, float kx, float ky) {
    const auto left = scaled(target.Left(), kx);
    const auto top = scaled(target.Top(), ky);
    const auto width = scaled(target.Width(), kx);
    const auto height = scaled(target.Height(), ky);
    if (left && top && width && height)
        target.Move(*left, *top, *width, *height);
}

// A combo box's height follows its font on Windows and cannot be set, so its Left, Top and
// Width are three separate units and its Height is left alone.
void scaleComboBox(ScaledControl& control, float kx, float ky) {
    if (const auto left = scaled(control.Left(), kx))
        control.setLeft(*left);
    if (const auto top = scaled(control.Top(), ky))
        control.setTop(*top);
    if (const auto width = scaled(control.Width(), kx))
        control.setWidth(*width);
}

struct Separator {
    SeparatorLine line;
    ButtonArray aboveArray;
    int aboveIndex;
    ButtonArray belowArray;
    int belowIndex;
};

constexpr Separator kSeparators[] = {
    {SeparatorLine::Line1, ButtonArray::Import, 0, ButtonArray::Export, 1},
    {SeparatorLine::Line2, ButtonArray::BrowseE, 0, ButtonArray::BrowseS, 2},
    {SeparatorLine::Line3, ButtonArray::BrowseS, 2, ButtonArray::Exit, 1},
};

// Midway between the bottom edge of the button above and the top edge of the button below, in whole
// twips; nothing when a button or one of its properties is missing or the position leaves 16 bits.
std::optional<qint16> separatorPosition(MainFormLayout& window, const Separator& separator) {
    const ScaledControl* above = window.button(separator.aboveArray, separator.aboveIndex);
    const ScaledControl* below = window.button(separator.belowArray, separator.belowIndex);
    if (!above || !below)
        return std::nullopt;
    const std::optional<float> aboveTop = above->Top();
    const std::optional<float> aboveHeight = above->Height();
    const std::optional<float> belowTop = below->Top();
    if (!aboveTop || !aboveHeight || !belowTop)
        return std::nullopt;
    const float sum = *aboveTop + *aboveHeight + *belowTop;
    return toInt16(double(sum) / 2);
}

// The separator lines run across the whole window, each midway between the buttons it separates.
void placeSeparators(MainFormLayout& window) {
    for (const Separator& separator : kSeparators) {
        if (ScaledControl* line = window.line(separator.line)) {
            line->setX1(1);
            // Read at each assignment: the width after the window's own move, when ResizeControls made one.
            if (const std::optional<float> width = window.Width())
                line->setX2(*width);
        }
    }

    for (const Separator& separator : kSeparators) {
        // When the position cannot be had (a missing button, or a position beyond the 16-bit range) the
        // line keeps its Y1 and Y2. The original design then stores whatever its shared 16-bit variable
        // last held, the control count left by the loop or the previous line's position, which puts the
        // line at a place that has nothing to do with its buttons, over a row of controls. Leaving it where
        // the last good layout put it follows the rule that a failed unit changes nothing.
        const std::optional<qint16> position = separatorPosition(window, separator);
        ScaledControl* line = window.line(separator.line);
        if (!position || !line)
            continue;
        line->setY1(*position);
        line->setY2(*position);
    }
}

} // namespace

LayoutOutcome ResizeControls(float kx, float ky, MainFormLayout& window, bool FirstLayout) {
    const float kf = (kx + ky) / 2;
    if (!std::isfinite(kf))
        return LayoutFailure{LayoutStep::FontFactor, LayoutFault::FloatingPoint};

    const int count = window.controlCount();
    for (int i = 0; i < count; ++i) {
        ScaledControl& control = window.control(i);
        if (control.isComboBox())
            scaleComboBox(control, kx, ky);
        else
            moveScaled(control, kx, ky);
        if (const auto fontSize = scaled(control.FontSize(), kf))
            control.setFontSize(*fontSize);
    }

    if (FirstLayout)
        moveScaled(window, kx, ky);
    placeSeparators(window);
    return {};
}

} // namespace fambridge
