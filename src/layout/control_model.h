#pragma once

#include <optional>

namespace fambridge {

// One control of a window as the control scaler reaches it: by property name, as Windows
// allowed for any control. Lengths are twips and font sizes points, single precision.
//
// A control type may lack any property or operation. Every default below answers "lacking" (no value,
// false), so an implementation overrides only what its control type has. An empty getter or a setter
// returning false is a failed unit for the scaler, which then leaves that unit's target as it was.
//
// A setter keeps the value exactly as handed over, fractions of a twip included, and the getter gives it
// back unchanged; rounding to pixels is a matter of display only. Otherwise every scaling would round
// again and successive resizes would drift.
class ScaledControl {
public:
    virtual ~ScaledControl() = default;

    virtual bool isComboBox() const { return false; }

    virtual std::optional<float> Left() const { return std::nullopt; }
    virtual std::optional<float> Top() const { return std::nullopt; }
    virtual std::optional<float> Width() const { return std::nullopt; }
    virtual std::optional<float> Height() const { return std::nullopt; }
    virtual std::optional<float> FontSize() const { return std::nullopt; }

    virtual bool setLeft(float) { return false; }
    virtual bool setTop(float) { return false; }
    virtual bool setWidth(float) { return false; }
    virtual bool setFontSize(float) { return false; }
    virtual bool Move(float /*left*/, float /*top*/, float /*width*/, float /*height*/) { return false; }

    // End points, which only a line control has; it lacks everything above.
    virtual bool setX1(float) { return false; }
    virtual bool setY1(float) { return false; }
    virtual bool setX2(float) { return false; }
    virtual bool setY2(float) { return false; }
};

// The command-button arrays whose rows the separator lines run between.
enum class ButtonArray { Import, Export, BrowseE, BrowseS, Exit };

enum class SeparatorLine { Line1, Line2, Line3 };

// MainForm as the control scaler and the window sizing handlers see it. Everything is in twips, which is
// what setting the window's scale mode to twips achieves on Windows.
class MainFormLayout {
public:
    virtual ~MainFormLayout() = default;

    // The controls in the window's own fixed order, lines included; index from 0 to controlCount() - 1.
    virtual int controlCount() const = 0;
    virtual ScaledControl& control(int index) = 0;

    // The window's outer frame: the same quantities that Move sets.
    virtual std::optional<float> Left() const = 0;
    virtual std::optional<float> Top() const = 0;
    virtual std::optional<float> Width() const = 0;
    virtual std::optional<float> Height() const = 0;
    virtual bool Move(float left, float top, float width, float height) = 0;

    // A member of a command-button array by its index, as Import(0) or Exit(1); nullptr for an index the
    // array does not have.
    virtual ScaledControl* button(ButtonArray array, int index) = 0;
    virtual ScaledControl* line(SeparatorLine line) = 0;
};

} // namespace fambridge
