#include "layout/control_scaler.h"
#include "layout/window_sizing.h"

#include <gtest/gtest.h>

#include <array>
#include <iomanip>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace fambridge {

// Lets a failed EXPECT_EQ on an outcome name the step and the fault.
inline void PrintTo(const LayoutFailure& failure, std::ostream* out) {
    *out << describe(failure).toStdString();
}

namespace {

using Length = std::optional<float>;

// A control that has exactly the properties given a value: a box has the four lengths and a font size, a
// line only its end points, the window's frame only the four lengths.
struct FakeControl : ScaledControl {
    enum Property { L, T, W, H, Font, X1, Y1, X2, Y2 };
    std::array<Length, 9> p;
    bool comboBox = false;

    bool operator==(const FakeControl& other) const { return p == other.p; }
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
        if (!p[L] || !p[T] || !p[W] || !p[H])
            return false;
        p = {left, top, width, height, p[Font], p[X1], p[Y1], p[X2], p[Y2]};
        return true;
    }

private:
    bool set(Property property, float value) {
        if (p[property])
            p[property] = value;
        return p[property].has_value();
    }
};

// Nine digits, so that neighbouring floats such as 307.2f and 307.19998f print differently.
void PrintTo(const FakeControl& control, std::ostream* out) {
    *out << std::setprecision(9);
    for (const Length& length : control.p) {
        if (length)
            *out << *length << ' ';
        else
            *out << "- ";
    }
}

FakeControl box(Length left, Length top, Length width, Length height, Length fontSize = 8) {
    FakeControl control;
    control.p = {left, top, width, height, fontSize, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    return control;
}

FakeControl line(float x1, float y1, float x2, float y2) {
    FakeControl control;
    control.p = {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, x1, y1, x2, y2};
    return control;
}

// An in-memory main window whose controls are found by the names the design table gives them
// ("Import(0)", "Line1").
class FakeMainForm : public MainFormLayout {
public:
    FakeControl frame;
    // Added to the width and height that Move asks for, as a window manager that settles the frame on a
    // slightly different size would.
    float frameSlack = 0;

    void add(const std::string& name, FakeControl control) {
        m_named[name] = std::move(control);
        m_order.push_back(name);
    }
    void remove(const std::string& name) {
        m_named.erase(name);
        std::erase(m_order, name);
    }
    FakeControl& at(const std::string& name) { return m_named.at(name); }
    // Everything the scaler may change, for "nothing changed" comparisons.
    std::pair<FakeControl, std::map<std::string, FakeControl>> snapshot() const { return {frame, m_named}; }

    int controlCount() const override { return int(m_order.size()); }
    ScaledControl& control(int index) override { return m_named.at(m_order.at(std::size_t(index))); }
    Length Left() const override { return frame.Left(); }
    Length Top() const override { return frame.Top(); }
    Length Width() const override { return frame.Width(); }
    Length Height() const override { return frame.Height(); }
    bool Move(float left, float top, float width, float height) override {
        return frame.Move(left, top, width + frameSlack, height + frameSlack);
    }
    ScaledControl* button(ButtonArray array, int index) override {
        static const char* const names[] = {"Import", "Export", "BrowseE", "BrowseS", "Exit"};
        return find(names[int(array)] + ("(" + std::to_string(index) + ")"));
    }
    ScaledControl* line(SeparatorLine which) override {
        return find("Line" + std::to_string(int(which) + 1));
    }

private:
    FakeControl* find(const std::string& name) {
        const auto found = m_named.find(name);
        return found == m_named.end() ? nullptr : &found->second;
    }

    std::map<std::string, FakeControl> m_named;
    std::vector<std::string> m_order;
};

// The main window at its design geometry in the design table's order, fonts 8 points, frame 11580 x 4215
// twips at (1200, 900): every control the separators need, plus the database list.
FakeMainForm designMainForm() {
    FakeMainForm form;
    form.frame = box(1200, 900, 11580, 4215, std::nullopt);
    FakeControl dbList = box(3240, 1080, 3375, 315);
    dbList.comboBox = true;
    const std::pair<const char*, FakeControl> design[] = {
        {"Import(0)", box(240, 240, 975, 375)},      {"Line1", line(120, 840, 12720, 840)},
        {"Export(1)", box(240, 1050, 975, 375)},     {"DBList", dbList},
        {"BrowseE(0)", box(10185, 1560, 1095, 375)}, {"Line2", line(120, 2160, 12720, 2160)},
        {"BrowseS(2)", box(10185, 2400, 1095, 375)}, {"Line3", line(12720, 3000, 120, 3000)},
        {"Exit(1)", box(240, 3240, 975, 375)},
    };
    for (const auto& [name, control] : design)
        form.add(name, control);
    return form;
}

TEST(ControlScaler, FactorsOfOneKeepEveryControlAndTheWindowAndPlaceLinesMidwayWithTiesToEven) {
    FakeMainForm form = designMainForm();
    auto expected = form.snapshot();
    // Midway is 832.5, 2167.5 and 3007.5: the first two show the ties going to the even neighbour.
    expected.second["Line1"] = line(1, 832, 11580, 832);
    expected.second["Line2"] = line(1, 2168, 11580, 2168);
    expected.second["Line3"] = line(1, 3008, 11580, 3008);

    ASSERT_TRUE(ResizeControls(1, 1, form, true));

    EXPECT_EQ(form.snapshot(), expected);
}

TEST(ControlScaler, AtFactor128ButtonAndFirstLayoutWindowTakeSinglePrecisionProductsBeforeLinesTakeTheWidth) {
    FakeMainForm form = designMainForm();
    form.at("Export(1)").p[FakeControl::Font] = 10;

    ASSERT_TRUE(ResizeControls(1.28f, 1.28f, form, true));

    // 307.2 and 12.8 to one decimal; as single-precision products they are one float below 307.2f and
    // 12.8f.
    EXPECT_EQ(form.at("Export(1)"), box(307.19998f, 1344, 1248, 480, 12.799999f));
    EXPECT_EQ(form.frame, box(1536, 1152, 14822.399f, 5395.1997f, std::nullopt));
    EXPECT_EQ(form.at("Line1"), line(1, 1066, 14822.399f, 1066));
}

TEST(ControlScaler, ComboBoxGetsLeftTopWidthScaledButNeverItsHeightAndItsFontTheMeanFactor) {
    FakeMainForm form = designMainForm();

    ASSERT_TRUE(ResizeControls(1.6f, 1.7066667f, form, true));

    // Top is 1843.2 to one decimal and the product one float above 1843.2f. The font factor is the
    // arithmetic mean 1.6533334 (the geometric one would be 1.6525), and times 8 it is exact.
    EXPECT_EQ(form.at("DBList"), box(5184, 1843.2001f, 5400, 315, 8 * 1.6533334f));
}

TEST(ControlScaler, FailedUnitLeavesOnlyItsOwnTargetUnchanged) {
    FakeControl combo = box(100, std::nullopt, 300, 400);
    combo.comboBox = true;
    const struct {
        const char* what;
        FakeControl control, expected;
    } cases[] = {
        {"no FontSize: still moved", box(100, 200, 300, 400, std::nullopt),
         box(200, 400, 600, 800, std::nullopt)},
        {"no Height: not moved, font still scaled", box(100, 200, 300, std::nullopt),
         box(100, 200, 300, std::nullopt, 16)},
        {"Left overflows: not moved", box(3e38f, 200, 300, 400), box(3e38f, 200, 300, 400, 16)},
        {"combo box without Top: Left and Width still set", combo, box(200, std::nullopt, 600, 400, 16)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMainForm form = designMainForm();
        form.add("Subject", c.control);
        form.add("After", box(100, 200, 300, 400));

        ASSERT_TRUE(ResizeControls(2, 2, form, false));

        EXPECT_EQ(form.at("Subject"), c.expected);
        EXPECT_EQ(form.at("After"), box(200, 400, 600, 800, 16));
    }
}

// A line whose place cannot be had keeps its height rather than taking whatever another line got.
TEST(ControlScaler, LineIsPlacedToTheEdgesOfThe16BitRangeAndBeyondThemOrWithoutItsButtonKeepsItsHeight) {
    const struct {
        const char* what;
        std::string button;
        std::optional<float> top; // nullopt: the window has no such button
        std::string line;
        float y;
    } cases[] = {
        {"Line3 at (2400 + 375 + 62759) / 2 = 32767", "Exit(1)", 62759, "Line3", 32767},
        {"Line3 at 32767.5, which rounds out of range", "Exit(1)", 62760, "Line3", 3000},
        {"Line1 at (-66961 + 375 + 1050) / 2 = -32768", "Import(0)", -66961, "Line1", -32768},
        {"Line3 without Exit(1)", "Exit(1)", std::nullopt, "Line3", 3000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMainForm form = designMainForm();
        if (c.top)
            form.at(c.button).p[FakeControl::T] = c.top;
        else
            form.remove(c.button);

        ASSERT_TRUE(ResizeControls(1, 1, form, false));

        EXPECT_EQ(form.at(c.line), line(1, c.y, 11580, c.y));
    }
}

TEST(ControlScaler, FontFactorThatIsNotFiniteChangesNothingAndIsReported) {
    const float cases[][2] = {{3e38f, 3e38f}, {std::numeric_limits<float>::quiet_NaN(), 1}};
    for (const auto& [kx, ky] : cases) {
        SCOPED_TRACE(kx);
        FakeMainForm form = designMainForm();
        const auto before = form.snapshot();

        EXPECT_EQ(ResizeControls(kx, ky, form, true).failure(),
                  (LayoutFailure{LayoutStep::FontFactor, LayoutFault::FloatingPoint}));
        EXPECT_EQ(form.snapshot(), before);
    }
}

ScreenMetrics screenOf(int widthPx, int heightPx) {
    return {15, 15, float(widthPx) * 15, float(heightPx) * 15};
}

const ScreenMetrics kDesignScreen = screenOf(800, 600);

// TwipsPerPixelX, TwipsPerPixelY, ScreenHeightPx, ScreenWidthPx: the load's steps in their order.
std::array<qint16, 4> screenFigures(const ResizeState& state) {
    return {state.TwipsPerPixelX, state.TwipsPerPixelY, state.ScreenHeightPx, state.ScreenWidthPx};
}

// A window of the given outer size whose control loop sees one control at (1000, 500, 2000, 300), so
// that every factor shows in its geometry.
FakeMainForm sampleMainForm(float width, float height) {
    FakeMainForm form = designMainForm();
    form.frame.p[FakeControl::W] = width;
    form.frame.p[FakeControl::H] = height;
    form.add("Sample", box(1000, 500, 2000, 300));
    return form;
}

// The main window's sizing from its load, on the design screen unless another is given, with the window at
// the given outer size.
struct LoadedWindow {
    LoadedWindow(float width, float height, float frameSlack = 0, const ScreenMetrics& screen = kDesignScreen)
        : form(sampleMainForm(width, height)) {
        form.frameSlack = frameSlack;
        loaded = sizing.Form_Load(screen, form).ok();
    }
    // The notification that Form_Load's own move may cause.
    bool swallowFirstNotification() { return sizing.Form_Resize(form).ok(); }
    LayoutOutcome resizeTo(float width, float height) {
        form.frame.p[FakeControl::W] = width;
        form.frame.p[FakeControl::H] = height;
        return sizing.Form_Resize(form);
    }
    float sample(FakeControl::Property property) { return *form.at("Sample").p[property]; }

    WindowSizing sizing;
    FakeMainForm form;
    bool loaded = false;
};

TEST(WindowSizing, LoadScalesFromThe800x600DesignByTheScreenInWholePixels) {
    // 168 DPI on 1920 x 1080: twips per pixel is rounded to 9 before it divides.
    LoadedWindow w(12000, 6000, 0, {8.5714283f, 8.5714283f, 16457.143f, 9257.1426f});
    ASSERT_TRUE(w.loaded);

    EXPECT_EQ(screenFigures(w.sizing.resizeState()), (std::array<qint16, 4>{9, 9, 1029, 1829}));
    const float kx = 2.28625f, ky = 1.715f, kf = 2.0006251f;
    EXPECT_EQ(w.form.at("Sample"), box(1000 * kx, 500 * ky, 2000 * kx, 300 * ky, 8 * kf));
}

TEST(WindowSizing, LoadResetsTheResizeFlagsThenStopsAtTheFaultingStepKeepingTheEarlierOnesAndScalesNothing) {
    using enum LayoutStep;
    using enum LayoutFault;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Twips per pixel of 0.4 is rounded to 0 and then divides.
    const struct {
        ScreenMetrics screen;
        LayoutFailure failure;
        std::array<qint16, 4> figures;
    } cases[] = {
        {{40000, 15, 15360, 11520}, {TwipsPerPixelX, IntegerOverflow}, {0, 0, 0, 0}},
        {{15, nan, 15360, 11520}, {TwipsPerPixelY, IntegerOverflow}, {15, 0, 0, 0}},
        {screenOf(1024, 40000), {ScreenHeightPx, IntegerOverflow}, {15, 15, 0, 0}},
        {{15, 0.4f, 15360, 11520}, {ScreenHeightPx, FloatingPoint}, {15, 0, 0, 0}},
        {{0.4f, 15, 0, 11520}, {ScreenWidthPx, FloatingPoint}, {0, 15, 768, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.failure).toStdString());
        WindowSizing sizing;
        // As an earlier load and resize left them.
        sizing.resizeState().FirstLayout = false;
        sizing.resizeState().ResizeArmed = true;
        FakeMainForm form = designMainForm();
        const auto before = form.snapshot();

        EXPECT_EQ(sizing.Form_Load(c.screen, form).failure(), c.failure);
        EXPECT_EQ(screenFigures(sizing.resizeState()), c.figures);
        EXPECT_EQ(form.snapshot(), before);
        EXPECT_TRUE(sizing.resizeState().FirstLayout);
        EXPECT_FALSE(sizing.resizeState().ResizeArmed);
    }
}

TEST(WindowSizing, LoadStoresTheSizeTheWindowReportsAfterItsMoveRoundedHalfToEvenInto32Bits) {
    // The frame settles half a twip larger than asked; the factors alone would give 7425 x 32768.
    LoadedWindow w(7425, 32768, 0.5f);
    ASSERT_TRUE(w.loaded);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 7426);
    EXPECT_EQ(w.sizing.sizes().LastHeight, 32768);
}

TEST(WindowSizing, FirstNotificationOnlyArmsThenResizesCompoundRatiosOfTheSizesReadAfterEachScaling) {
    using enum FakeControl::Property;
    LoadedWindow w(12000, 6000);
    ASSERT_TRUE(w.loaded);
    const auto loaded = w.form.snapshot().second;
    // Form_Load's own move may cause this first notification.
    ASSERT_TRUE(w.resizeTo(24000, 3000));
    EXPECT_EQ(w.form.snapshot().second, loaded);
    w.form.at("Line2") = line(0, 0, 0, 0);

    ASSERT_TRUE(w.resizeTo(12100, 6500));
    EXPECT_EQ(w.sample(L), 1008.33331f);
    EXPECT_EQ(w.sample(T), 541.666687f);
    // (1560 + 375 + 2400) / 2 twips scaled by 6500 / 6000.
    EXPECT_EQ(w.form.at("Line2"), line(1, 2348, 12100, 2348));
    EXPECT_FALSE(w.sizing.resizeState().FirstLayout);

    ASSERT_TRUE(w.resizeTo(9400, 5500));
    // By 12100 / 12000 and then 9400 / 12100; scaling once by 9400 / 12000 would give 783.333374.
    EXPECT_EQ(w.sample(L), 783.333313f);
    EXPECT_EQ(w.sample(T), 458.333344f);
}

TEST(WindowSizing, ResizeFactorFaultStopsBeforeScalingWithFirstLayoutAlreadyFalse) {
    // A width below half a twip is stored as 0, which the next ratio divides by.
    LoadedWindow w(0.4f, 6000);
    ASSERT_TRUE(w.loaded && w.swallowFirstNotification());
    const auto before = w.form.snapshot();

    EXPECT_EQ(w.resizeTo(0.4f, 6000).failure(),
              (LayoutFailure{LayoutStep::HorizontalFactor, LayoutFault::FloatingPoint}));
    EXPECT_FALSE(w.sizing.resizeState().FirstLayout);
    EXPECT_EQ(w.form.snapshot(), before);
}

TEST(WindowSizing, StoredHeightOverflowStopsAfterScalingAndBeforeTheWidthAndTheNextResizeStillWorks) {
    LoadedWindow w(12000, 6000);
    ASSERT_TRUE(w.loaded && w.swallowFirstNotification());

    EXPECT_EQ(w.resizeTo(24000, 3e9f).failure(),
              (LayoutFailure{LayoutStep::LastHeight, LayoutFault::IntegerOverflow}));
    // By 48000 / 12000 and 6000 / 6000: neither size was stored, while the first scaling took place.
    ASSERT_TRUE(w.resizeTo(48000, 6000));
    EXPECT_EQ(w.form.at("Sample"), box(8000, 250000000, 16000, 150000000, 5000020));
}

TEST(WindowSizing, FailureDescriptionNamesTheStepAndTheFault) {
    EXPECT_EQ(describe({LayoutStep::HorizontalFactor, LayoutFault::FloatingPoint}),
              QStringLiteral("horizontal factor: floating-point fault"));
}

} // namespace
} // namespace fambridge
