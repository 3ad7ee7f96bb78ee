#pragma once

#include "layout/control_model.h"
#include "layout/layout_outcome.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace fambridge {

// Lets a failed EXPECT_EQ on an outcome name the step and the fault.
void PrintTo(const LayoutFailure& failure, std::ostream* out);

namespace testing {

// A control that has exactly the properties given a value; one without a value is lacking, as a line
// lacks them all.
struct FakeControl : ScaledControl {
    std::optional<float> left;
    std::optional<float> top;
    std::optional<float> width;
    std::optional<float> height;
    std::optional<float> fontSize;
    bool comboBox = false;
    bool hasMove = true;
    // The property exists but turns every value down.
    bool refusesFontSize = false;
    int moves = 0;

    bool isComboBox() const override { return comboBox; }
    std::optional<float> Left() const override { return left; }
    std::optional<float> Top() const override { return top; }
    std::optional<float> Width() const override { return width; }
    std::optional<float> Height() const override { return height; }
    std::optional<float> FontSize() const override { return fontSize; }
    bool setLeft(float value) override { return assign(left, value); }
    bool setTop(float value) override { return assign(top, value); }
    bool setWidth(float value) override { return assign(width, value); }
    bool setFontSize(float value) override { return !refusesFontSize && assign(fontSize, value); }
    bool Move(float newLeft, float newTop, float newWidth, float newHeight) override;

    bool operator==(const FakeControl& other) const;

private:
    static bool assign(std::optional<float>& property, float value);
};

struct FakeLine : ScaledControl {
    FakeLine(float x1, float y1, float x2, float y2) : X1(x1), Y1(y1), X2(x2), Y2(y2) {}

    float X1;
    float Y1;
    float X2;
    float Y2;

    bool setX1(float value) override { return X1 = value, true; }
    bool setY1(float value) override { return Y1 = value, true; }
    bool setX2(float value) override { return X2 = value, true; }
    bool setY2(float value) override { return Y2 = value, true; }

    bool operator==(const FakeLine& other) const {
        return X1 == other.X1 && Y1 == other.Y1 && X2 == other.X2 && Y2 == other.Y2;
    }
};

// Whether a control takes part in the window's control order or is only reachable by name.
enum class Listing { Listed, Unlisted };

// An in-memory main window. Controls are found by their names as the design table writes them
// ("Import(0)", "DBList", "Line1").
// A window's outer frame in twips; a length without a value is one the window does not report.
struct Frame {
    std::optional<float> left;
    std::optional<float> top;
    std::optional<float> width;
    std::optional<float> height;

    bool operator==(const Frame&) const = default;
};

void PrintTo(const Frame& frame, std::ostream* out);

class FakeMainForm : public MainFormLayout {
public:
    Frame frame;
    bool hasMove = true;
    int moves = 0;
    // Applied to the width and height that Move asks for, as a window manager keeping the frame on whole
    // pixels would.
    std::function<float(float)> frameSnap = [](float length) { return length; };

    FakeControl& addControl(const std::string& name, FakeControl control, Listing listing = Listing::Listed);
    FakeLine& addLine(const std::string& name, FakeLine line, Listing listing = Listing::Listed);

    // The control stays in the control order but can no longer be reached by name.
    void forgetName(const std::string& name) { m_controls.erase(name); }

    FakeControl& at(const std::string& name) { return *m_controls.at(name); }
    FakeLine& lineAt(const std::string& name) { return *m_lines.at(name); }

    int controlCount() const override { return int(m_order.size()); }
    ScaledControl& control(int index) override { return *m_order.at(std::size_t(index)); }
    std::optional<float> Left() const override { return frame.left; }
    std::optional<float> Top() const override { return frame.top; }
    std::optional<float> Width() const override { return frame.width; }
    std::optional<float> Height() const override { return frame.height; }
    bool Move(float newLeft, float newTop, float newWidth, float newHeight) override;
    ScaledControl* button(ButtonArray array, int index) override;
    ScaledControl* line(SeparatorLine which) override;

    // Everything the scaler may change, for "nothing changed" comparisons.
    struct Snapshot {
        Frame frame;
        std::map<std::string, FakeControl> controls;
        std::map<std::string, FakeLine> lines;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const;

private:
    std::vector<std::unique_ptr<ScaledControl>> m_owned;
    std::vector<ScaledControl*> m_order;
    std::map<std::string, FakeControl*> m_controls;
    std::map<std::string, FakeLine*> m_lines;
};

// A control with all four lengths and a font size, as a button or a label has.
FakeControl boxControl(float left, float top, float width, float height, float fontSize = 8);

// The outer frame of the main window at design size: 11580 x 4215 twips at (1200, 900) around the
// 11460 x 3810 client area.
constexpr Frame kDesignFrame{1200, 900, 11580, 4215};

// The main window at its design geometry, every control in the design table's order, all fonts 8 points.
// The file dialog has a place but no size and no font, so it is never moved.
FakeMainForm designMainForm();

// MainForm's frame at design size with the five buttons and the three lines at their design places, all
// reachable by name only: a window without controls for the control loop.
FakeMainForm unlistedMainForm();

// A window whose only listed control has all lengths and the font size 1, so that after one scaling they
// read kx, ky, kx, ky and kf; the lines and the buttons are reachable by name only.
FakeMainForm probeMainForm();

} // namespace testing
} // namespace fambridge
