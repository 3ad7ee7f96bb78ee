#pragma once

#include "layout/control_model.h"
#include "layout/layout_outcome.h"

#include <array>
#include <functional>
#include <iomanip>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace fambridge {

// Lets a failed EXPECT_EQ on an outcome name the step and the fault.
inline void PrintTo(const LayoutFailure& failure, std::ostream* out) {
    *out << describe(failure).toStdString();
}

namespace testing {

// Left, Top, Width, Height of a control or the frame, or X1, Y1, X2, Y2 of a line; nullopt where lacking.
struct Lengths {
    std::optional<float> a, b, c, d;
    bool operator==(const Lengths&) const = default;
};

// Nine digits, so that neighbouring floats such as 307.2f and 307.19998f print differently.
inline void PrintTo(const Lengths& lengths, std::ostream* out) {
    *out << std::setprecision(9);
    for (const std::optional<float>& length : {lengths.a, lengths.b, lengths.c, lengths.d}) {
        if (length)
            *out << *length << ' ';
        else
            *out << "none ";
    }
}

// A control that has exactly the properties given a value: a box has the four lengths and a font size, a
// line only its end points, the window's frame only the four lengths.
struct FakeControl : ScaledControl {
    std::optional<float> left, top, width, height, fontSize, x1, y1, x2, y2;
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
    bool setX1(float value) override { return assign(x1, value); }
    bool setY1(float value) override { return assign(y1, value); }
    bool setX2(float value) override { return assign(x2, value); }
    bool setY2(float value) override { return assign(y2, value); }
    bool Move(float newLeft, float newTop, float newWidth, float newHeight) override {
        if (!hasMove || !left || !top || !width || !height)
            return false;
        left = newLeft;
        top = newTop;
        width = newWidth;
        height = newHeight;
        ++moves;
        return true;
    }

    Lengths lengths() const { return {left, top, width, height}; }
    Lengths ends() const { return {x1, y1, x2, y2}; }
    std::array<std::optional<float>, 9> all() const {
        return {left, top, width, height, fontSize, x1, y1, x2, y2};
    }

private:
    static bool assign(std::optional<float>& property, float value) {
        if (property)
            property = value;
        return property.has_value();
    }
};

inline FakeControl box(float left, float top, float width, float height, std::optional<float> fontSize = 8) {
    FakeControl control;
    control.left = left;
    control.top = top;
    control.width = width;
    control.height = height;
    control.fontSize = fontSize;
    return control;
}

inline FakeControl line(float x1, float y1, float x2, float y2) {
    FakeControl control;
    control.x1 = x1;
    control.y1 = y1;
    control.x2 = x2;
    control.y2 = y2;
    return control;
}

// An in-memory main window whose controls are found by the names the design table gives them
// ("Import(0)", "DBList", "Line1").
class FakeMainForm : public MainFormLayout {
public:
    FakeControl frame;
    // Applied to the width and height that Move asks for, as a window manager keeping the frame on whole
    // pixels would.
    std::function<float(float)> frameSnap = [](float length) { return length; };

    // An unlisted control is reachable by name but not seen by the control loop.
    void add(const std::string& name, FakeControl control, bool listed = true) {
        m_named[name] = std::move(control);
        if (listed)
            m_order.push_back(name);
    }
    void remove(const std::string& name) {
        m_named.erase(name);
        std::erase(m_order, name);
    }
    FakeControl& at(const std::string& name) { return m_named.at(name); }

    int controlCount() const override { return int(m_order.size()); }
    ScaledControl& control(int index) override { return m_named.at(m_order.at(std::size_t(index))); }
    std::optional<float> Left() const override { return frame.left; }
    std::optional<float> Top() const override { return frame.top; }
    std::optional<float> Width() const override { return frame.width; }
    std::optional<float> Height() const override { return frame.height; }
    bool Move(float newLeft, float newTop, float newWidth, float newHeight) override {
        return frame.Move(newLeft, newTop, frameSnap(newWidth), frameSnap(newHeight));
    }
    ScaledControl* button(ButtonArray array, int index) override {
        static const std::map<ButtonArray, std::string> names = {{ButtonArray::Import, "Import"},
                                                                 {ButtonArray::Export, "Export"},
                                                                 {ButtonArray::BrowseE, "BrowseE"},
                                                                 {ButtonArray::BrowseS, "BrowseS"},
                                                                 {ButtonArray::Exit, "Exit"}};
        return find(names.at(array) + "(" + std::to_string(index) + ")");
    }
    ScaledControl* line(SeparatorLine which) override {
        static const std::map<SeparatorLine, std::string> names = {{SeparatorLine::Line1, "Line1"},
                                                                   {SeparatorLine::Line2, "Line2"},
                                                                   {SeparatorLine::Line3, "Line3"}};
        return find(names.at(which));
    }

    // Everything the scaler may change, for "nothing changed" comparisons.
    std::map<std::string, std::array<std::optional<float>, 9>> snapshot() const {
        std::map<std::string, std::array<std::optional<float>, 9>> values{{"(frame)", frame.all()}};
        for (const auto& [name, control] : m_named)
            values.emplace(name, control.all());
        return values;
    }

private:
    FakeControl* find(const std::string& name) {
        const auto found = m_named.find(name);
        return found == m_named.end() ? nullptr : &found->second;
    }

    std::map<std::string, FakeControl> m_named;
    std::vector<std::string> m_order;
};

// The outer frame of the main window at design size: 11580 x 4215 twips at (1200, 900) around the
// 11460 x 3810 client area.
inline const Lengths kDesignFrame{1200, 900, 11580, 4215};

// The main window at its design geometry in the design table's order, fonts 8 points: every control the
// separators need, plus the database list and the file dialog, which has a place but no size and no font.
// Unlisted, the control loop sees none of them while the separators still find theirs.
inline FakeMainForm designMainForm(bool listed = true) {
    FakeMainForm form;
    form.frame = box(1200, 900, 11580, 4215, std::nullopt);
    FakeControl dbList = box(3240, 1080, 3375, 315);
    dbList.comboBox = true;
    FakeControl dialog;
    dialog.left = 9480;
    dialog.top = 3240;
    const std::pair<const char*, FakeControl> design[] = {
        {"Import(0)", box(240, 240, 975, 375)},      {"Line1", line(120, 840, 12720, 840)},
        {"Export(1)", box(240, 1050, 975, 375)},     {"DBList", dbList},
        {"BrowseE(0)", box(10185, 1560, 1095, 375)}, {"Line2", line(120, 2160, 12720, 2160)},
        {"BrowseS(2)", box(10185, 2400, 1095, 375)}, {"Line3", line(12720, 3000, 120, 3000)},
        {"Exit(1)", box(240, 3240, 975, 375)},       {"SelectDialog", dialog},
    };
    for (const auto& [name, control] : design)
        form.add(name, control, listed);
    return form;
}

} // namespace testing
} // namespace fambridge
