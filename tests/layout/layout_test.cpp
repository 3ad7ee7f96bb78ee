#include "layout/checked_number.h"
#include "layout/control_scaler.h"
#include "layout/window_sizing.h"
#include "qt_printers.h"
#include "test_table.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fambridge {
namespace {

using Length = std::optional<float>;
enum Property { L, T, W, H, Font, X1, Y1, X2, Y2 };
constexpr Length none = std::nullopt;

// A control that has exactly the properties given a value: a box the four lengths and a font size, a line
// only its end points, the window's frame only the four lengths.
struct FakeControl : ScaledControl {
    FakeControl(std::array<Length, 9> properties = {}, bool comboBox = false)
        : p(properties), comboBox(comboBox) {}
    std::array<Length, 9> p;
    bool comboBox;

    bool isComboBox() const override { return comboBox; }
    Length Left() const override { return p[L]; }
    Length Top() const override { return p[T]; }
    Length Width() const override { return p[W]; }
    Length Height() const override { return p[H]; }
    Length FontSize() const override { return p[Font]; }
    bool setLeft(float value) override { return set(L, value); }
    bool setTop(float value) override { return set(T, value); }
    bool setWidth(float value) override { return set(W, value); }
    bool setFontSize(float value) override { return set(Font, value); }
    bool setX1(float value) override { return set(X1, value); }
    bool setY1(float value) override { return set(Y1, value); }
    bool setX2(float value) override { return set(X2, value); }
    bool setY2(float value) override { return set(Y2, value); }
    bool Move(float left, float top, float width, float height) override {
        const bool movable = p[L] && p[T] && p[W] && p[H];
        if (movable)
            p = {left, top, width, height, p[Font]};
        return movable;
    }
    bool set(Property property, float value) { return p[property] ? (p[property] = value, true) : false; }
};

FakeControl box(Length left, Length top, Length width, Length height, Length fontSize = 8,
                bool comboBox = false) {
    return FakeControl({left, top, width, height, fontSize}, comboBox);
}

FakeControl segment(float x1, float y1, float x2, float y2) {
    return FakeControl({none, none, none, none, none, x1, y1, x2, y2});
}

// A box's four lengths and font size, or a line's end points, to nine digits, so that neighbouring floats
// such as 307.2f and 307.19998f differ; "-" for a length the box lacks.
QString text(const FakeControl* control) {
    const int first = control->p[X1] ? X1 : L;
    QStringList values;
    for (int i = first; i < first + (first == L ? 5 : 4); ++i)
        values.append(control->p[i] ? QString::number(*control->p[i], 'g', 9) : "-");
    return values.join(' ');
}

// The main window at its design geometry and in its design order, frame 11580 x 4215 twips at (1200, 900),
// with every control the separator lines need and the database list, a combo box; then a sample control,
// controls that each lack what one unit of the scaler needs, and one after them.
struct FakeForm : MainFormLayout {
    FakeControl frame = box(1200, 900, 11580, 4215, none);
    // Added to the size Move asks for, as a window manager that settles the frame on another size would.
    float slack = 0;
    std::vector<std::pair<std::string, FakeControl>> controls = {
        {"Import(0)", box(240, 240, 975, 375)},      {"Line1", segment(120, 840, 12720, 840)},
        {"Export(1)", box(240, 1050, 975, 375, 10)}, {"DBList", box(3240, 1080, 3375, 315, 8, true)},
        {"BrowseE(0)", box(10185, 1560, 1095, 375)}, {"Line2", segment(120, 2160, 12720, 2160)},
        {"BrowseS(2)", box(10185, 2400, 1095, 375)}, {"Line3", segment(12720, 3000, 120, 3000)},
        {"Exit(1)", box(240, 3240, 975, 375)},       {"Sample", box(1000, 500, 2000, 300)},
        {"NoFont", box(100, 200, 300, 400, none)},   {"NoHeight", box(100, 200, 300, none)},
        {"Huge", box(3e38f, 200, 300, 400)},         {"ComboNoTop", box(100, none, 300, 400, 8, true)},
        {"After", box(100, 200, 300, 400)}};

    FakeControl* find(const std::string& name) {
        for (auto& [controlName, control] : controls)
            if (controlName == name)
                return &control;
        return name == "frame" ? &frame : nullptr;
    }
    int controlCount() const override { return int(controls.size()); }
    ScaledControl& control(int index) override { return controls.at(std::size_t(index)).second; }
    Length Left() const override { return frame.Left(); }
    Length Top() const override { return frame.Top(); }
    Length Width() const override { return frame.Width(); }
    Length Height() const override { return frame.Height(); }
    bool Move(float left, float top, float width, float height) override {
        return frame.Move(left, top, width + slack, height + slack);
    }
    ScaledControl* button(ButtonArray array, int index) override {
        static const char* const names[] = {"Import", "Export", "BrowseE", "BrowseS", "Exit"};
        return find(names[int(array)] + ("(" + std::to_string(index) + ")"));
    }
    ScaledControl* line(SeparatorLine which) override {
        return find("Line" + std::to_string(int(which) + 1));
    }
};

// Rows of numbers.txt: "value = what toInt16, toInt32 and toSingle make of it", "-" where they refuse.
// Rounding comes before the range test; a quarter of a unit in the last place above the largest float still
// rounds down to it, half a unit rounds to even, to infinity.
TEST(CheckedNumber, RoundsHalvesToEvenIntoTheVariableAndRefusesWhatDoesNotFit) {
    const auto shown = [](auto number) {
        return number ? QString::number(*number, 'g', 9) : QStringLiteral("-");
    };
    for (const QString& row : testing::tableRows("numbers.txt")) {
        const double value = std::strtod(row.section(" = ", 0, 0).toLatin1().constData(), nullptr);
        EXPECT_EQ(shown(toInt16(value)) + ' ' + shown(toInt32(value)) + ' ' + shown(toSingle(value)),
                  row.section(" = ", 1))
            << row.toStdString();
    }
}

QString outcome(const LayoutOutcome& result) {
    return result ? QStringLiteral("ok") : describe(*result.failure());
}

// Rows of scaling.txt, one a line: the factors, "first" for the first layout, perhaps a button moved to a top
// of its own ("Exit(1)@62759") or removed ("Exit(1)@-"), the controls to show, then "=" and the outcome and
// each control.
//
// Lines run from 1 to the window's width, midway between their buttons: 832.5 and 2167.5 go to the even
// neighbour. As single-precision products 307.2 and 12.8 are one float below 307.2f and 12.8f; the window
// moves on the first layout only, and the lines take its width after that move. A combo box's Left, Top and
// Width are scaled, never its Height; every font by the arithmetic mean of the factors, 1.6533334 (the
// geometric one would be 1.6525). A unit that fails leaves only its own target unchanged. Lines reach the
// edges of the 16-bit range; beyond them or without their button a line keeps its height rather than take
// whatever another line got. A font factor that is not finite changes nothing and is reported.

TEST(ControlScaler, ScalesEachUnitBySinglePrecisionProductsAndPlacesTheLinesMidwayBetweenTheirButtons) {
    for (const QString& row : testing::tableRows("scaling.txt")) {
        QStringList asked = row.section(" = ", 0, 0).split(' ');
        FakeForm form;
        if (asked[3].contains('@')) {
            const std::string button = asked[3].section('@', 0, 0).toStdString();
            const QString top = asked.takeAt(3).section('@', 1);
            top == "-" ? void(std::erase_if(form.controls, [&](const auto& c) { return c.first == button; }))
                       : void(form.find(button)->p[T] = top.toFloat());
        }
        QStringList shown{
            outcome(ResizeControls(asked[0].toFloat(), asked[1].toFloat(), form, asked[2] == "first"))};
        for (const QString& name : asked.mid(3))
            shown.append(text(form.find(name.toStdString())));
        EXPECT_EQ(shown.join(" | "), row.section(" = ", 1)) << row.toStdString();
    }
}

// Rows of sizing.txt, one a line: "new" for a new main window, "load" with a screen's twips per pixel and
// size, or "resize"; the window's outer size, which the window manager settles half a twip larger when the
// load moves the window; then "=" and the handler's outcome, the screen figures, the flags, the stored size
// and the sample control.
//
// The load scales from the 800 x 600 design screen by the screen in whole pixels: at 168 DPI on 1920 x 1080
// twips per pixel is rounded to 9 before it divides. It stores the size the window reports after its move,
// rounded half to even into 32 bits. The first notification after it, which its own move may cause, only
// arms the handler. Later ones scale by the ratio to the size read back after the previous scaling, so
// ratios compound: by 12100 / 12000 and then 9400 / 12100, where once by 9400 / 12000 would give 783.333374.
//
// A load resets the flags, then stops at the step that faults, keeping the figures before it and scaling
// nothing; twips per pixel of 0.4 is rounded to 0 and then divides. A height beyond 32 bits stops a resize
// after the scaling and before either size is stored, and the next resize still works, by 48000 / 12000 and
// 6000 / 6000. A width stored as 0 stops the next resize before it scales anything, with FirstLayout false.

TEST(WindowSizing, LoadsAndResizesByTheseFactorsAndStopsAtTheStepThatFaults) {
    std::optional<WindowSizing> sizing;
    std::optional<FakeForm> form;
    for (const QString& row : testing::tableRows("sizing.txt")) {
        QList<float> numbers;
        for (const QString& number : row.section(" = ", 0, 0).split(' ').mid(1))
            numbers.append(number.toFloat());
        if (row.startsWith("new")) {
            sizing.emplace();
            form.emplace().slack = 0.5f;
        }
        form->frame.p[W] = numbers[numbers.size() - 2];
        form->frame.p[H] = numbers.back();
        const LayoutOutcome result =
            row.startsWith("resize")
                ? sizing->Form_Resize(*form)
                : sizing->Form_Load({numbers[0], numbers[1], numbers[2], numbers[3]}, *form);
        const ResizeState& s = sizing->resizeState();
        EXPECT_EQ(QString::asprintf("%s | %d %d %d %d%s%s | %d x %d | ", qPrintable(outcome(result)),
                                    s.TwipsPerPixelX, s.TwipsPerPixelY, s.ScreenHeightPx, s.ScreenWidthPx,
                                    s.FirstLayout ? " first" : "", s.ResizeArmed ? " armed" : "",
                                    sizing->sizes().LastWidth, sizing->sizes().LastHeight) +
                      text(form->find("Sample")),
                  row.section(" = ", 1))
            << row.toStdString();
    }
}

} // namespace
} // namespace fambridge
