#include "layout/window_sizing.h"

#include "fake_main_form.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace fambridge {
namespace {

using testing::box;
using testing::FakeControl;
using testing::FakeMainForm;
using testing::Lengths;

ScreenMetrics screenOf(int widthPx, int heightPx, float twipsPerPixel = 15) {
    return {twipsPerPixel, twipsPerPixel, float(widthPx) * twipsPerPixel, float(heightPx) * twipsPerPixel};
}

const ScreenMetrics kDesignScreen = screenOf(800, 600);

// A window of the given outer size whose control loop sees one control at (1000, 500, 2000, 300), so
// that every factor shows in its geometry.
FakeMainForm sampleMainForm(float width, float height) {
    FakeMainForm form = testing::designMainForm(false);
    form.frame.width = width;
    form.frame.height = height;
    form.add("Sample", box(1000, 500, 2000, 300));
    return form;
}

TEST(WindowSizing, LoadScalesFromThe800x600DesignByTheScreenInWholePixelsAndResetsTheResizeFlags) {
    const struct {
        ScreenMetrics screen;
        qint16 twipsPerPixel, widthPx, heightPx;
        float kx, ky, kf;
    } cases[] = {
        {screenOf(640, 480), 15, 640, 480, 0.8f, 0.8f, 0.8f},
        {kDesignScreen, 15, 800, 600, 1, 1, 1},
        {screenOf(1024, 768), 15, 1024, 768, 1.28f, 1.28f, 1.28f},
        {screenOf(1024, 768, 12), 12, 1024, 768, 1.28f, 1.28f, 1.28f},
        {screenOf(1280, 1024), 15, 1280, 1024, 1.6f, 1.7066667f, 1.6533334f},
        // 168 DPI on 1920 x 1080: twips per pixel is rounded to 9 before it divides.
        {{8.5714283f, 8.5714283f, 16457.143f, 9257.1426f}, 9, 1829, 1029, 2.28625f, 1.715f, 2.0006251f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.widthPx << " x " << c.heightPx << " at " << c.twipsPerPixel);
        AppState state;
        // As an earlier load and resize left them.
        state.FirstLayout = false;
        state.ResizeArmed = true;
        WindowSizing sizing(state);
        FakeMainForm form = testing::designMainForm(false);
        form.add("Probe", box(1, 1, 1, 1, 1));

        ASSERT_TRUE(sizing.Form_Load(c.screen, form));

        EXPECT_EQ(state.TwipsPerPixelX, c.twipsPerPixel);
        EXPECT_EQ(state.TwipsPerPixelY, c.twipsPerPixel);
        EXPECT_EQ(state.ScreenWidthPx, c.widthPx);
        EXPECT_EQ(state.ScreenHeightPx, c.heightPx);
        EXPECT_EQ(form.at("Probe").lengths(), (Lengths{c.kx, c.ky, c.kx, c.ky}));
        EXPECT_EQ(form.at("Probe").fontSize, c.kf);
        EXPECT_TRUE(state.FirstLayout);
        EXPECT_FALSE(state.ResizeArmed);
    }
}

TEST(WindowSizing, LoadStoresTheSizeTheWindowReportsAfterItsMoveRoundedHalfToEvenInto32Bits) {
    const struct {
        float width, height;
        qint32 lastWidth, lastHeight;
    } cases[] = {
        // Asked for 7425 x 7424, the frame settles half a twip larger; the factors would give 7425.
        {7425, 7424, 7426, 7424},
        {40000, 32768, 40000, 32768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        AppState state;
        WindowSizing sizing(state);
        FakeMainForm form = sampleMainForm(c.width, c.height);
        form.frameSnap = [](float length) { return length + 0.5f; };

        ASSERT_TRUE(sizing.Form_Load(kDesignScreen, form));

        EXPECT_EQ(form.frame.moves, 1);
        EXPECT_EQ(sizing.sizes().LastWidth, c.lastWidth);
        EXPECT_EQ(sizing.sizes().LastHeight, c.lastHeight);
        EXPECT_EQ(form.at("Line1").x2, c.width + 0.5f);
    }
}

TEST(WindowSizing, LoadStopsAtTheFaultingStepKeepsTheEarlierStepsAndScalesNothing) {
    using enum LayoutStep;
    using enum LayoutFault;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Twips per pixel of 0.4 is rounded to 0 and then divides.
    const struct {
        ScreenMetrics screen;
        LayoutFailure failure;
        // TwipsPerPixelX, TwipsPerPixelY, ScreenHeightPx, ScreenWidthPx as the load leaves them.
        std::array<qint16, 4> stored;
    } cases[] = {
        {{40000, 15, 15360, 11520}, {TwipsPerPixelX, IntegerOverflow}, {0, 0, 0, 0}},
        {{15, nan, 15360, 11520}, {TwipsPerPixelY, IntegerOverflow}, {15, 0, 0, 0}},
        {screenOf(1024, 40000), {ScreenHeightPx, IntegerOverflow}, {15, 15, 0, 0}},
        {screenOf(40000, 768), {ScreenWidthPx, IntegerOverflow}, {15, 15, 768, 0}},
        {{15, 0.4f, 15360, 11520}, {ScreenHeightPx, FloatingPoint}, {15, 0, 0, 0}},
        {{0.4f, 15, 0, 11520}, {ScreenWidthPx, FloatingPoint}, {0, 15, 768, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.failure).toStdString());
        AppState state;
        WindowSizing sizing(state);
        FakeMainForm form = testing::designMainForm();
        const auto before = form.snapshot();

        const LayoutOutcome outcome = sizing.Form_Load(c.screen, form);

        EXPECT_EQ(outcome.failure(), c.failure);
        EXPECT_EQ((std::array{state.TwipsPerPixelX, state.TwipsPerPixelY, state.ScreenHeightPx,
                              state.ScreenWidthPx}),
                  c.stored);
        EXPECT_EQ(form.snapshot(), before);
        EXPECT_TRUE(state.FirstLayout);
        EXPECT_FALSE(state.ResizeArmed);
        EXPECT_EQ(sizing.sizes().LastWidth, 0);
        EXPECT_EQ(sizing.sizes().LastHeight, 0);
    }
}

// The main window's sizing from its load on the design screen, with the window at the given outer size.
struct LoadedWindow {
    LoadedWindow(float width, float height) : form(sampleMainForm(width, height)) {
        loaded = sizing.Form_Load(kDesignScreen, form).ok();
    }
    // The notification that Form_Load's own move may cause.
    bool swallowFirstNotification() { return sizing.Form_Resize(form).ok(); }
    void resizeTo(float width, float height) {
        form.frame.width = width;
        form.frame.height = height;
    }

    AppState state;
    WindowSizing sizing{state};
    FakeMainForm form;
    bool loaded = false;
};

TEST(WindowSizing, FirstNotificationScalesNothingAndArms) {
    LoadedWindow w(12000, 6000);
    ASSERT_TRUE(w.loaded);
    w.resizeTo(24000, 3000);
    const auto before = w.form.snapshot();

    ASSERT_TRUE(w.sizing.Form_Resize(w.form));

    EXPECT_EQ(w.form.snapshot(), before);
    EXPECT_TRUE(w.state.ResizeArmed);
    EXPECT_TRUE(w.state.FirstLayout);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 12000);
    EXPECT_EQ(w.sizing.sizes().LastHeight, 6000);
}

TEST(WindowSizing, SuccessiveResizesCompoundRatiosOfTheSizesReadAfterEachScalingAndPlaceTheLinesAgain) {
    LoadedWindow w(12000, 6000);
    ASSERT_TRUE(w.loaded && w.swallowFirstNotification());
    const int movesAtLoad = w.form.frame.moves;
    w.form.at("Line2") = testing::line(0, 0, 0, 0);

    w.resizeTo(12100, 6500);
    ASSERT_TRUE(w.sizing.Form_Resize(w.form));
    EXPECT_EQ(w.form.at("Sample").left, 1008.33331f);
    EXPECT_EQ(w.form.at("Sample").top, 541.666687f);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 12100);
    EXPECT_EQ(w.sizing.sizes().LastHeight, 6500);
    // The buttons are outside the control loop, so Line2 goes back to its design place.
    EXPECT_EQ(w.form.at("Line2").ends(), (Lengths{1, 2168, 12100, 2168}));
    EXPECT_FALSE(w.state.FirstLayout);
    EXPECT_TRUE(w.state.ResizeArmed);

    w.resizeTo(9400, 5500);
    ASSERT_TRUE(w.sizing.Form_Resize(w.form));
    // By 12100 / 12000 and then 9400 / 12100; scaling once by 9400 / 12000 would give 783.333374.
    EXPECT_EQ(w.form.at("Sample").left, 783.333313f);
    EXPECT_EQ(w.form.at("Sample").top, 458.333344f);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 9400);
    EXPECT_EQ(w.sizing.sizes().LastHeight, 5500);
    EXPECT_EQ(w.form.frame.moves, movesAtLoad) << "only the load moves the window itself";
}

TEST(WindowSizing, ResizeFactorFaultStopsBeforeScalingWithFirstLayoutAlreadyFalse) {
    using enum LayoutStep;
    const struct {
        float loadedWidth, loadedHeight, width, height;
        LayoutStep failingStep;
    } cases[] = {
        {0.4f, 6000, 12000, 6000, HorizontalFactor}, // width stored as 0
        {12000, 0.5f, 12000, 6000, VerticalFactor},  // height stored as 0
        {1, 1, 3e38f, 3e38f, FontFactor},            // factors too large for their mean
    };
    for (const auto& c : cases) {
        const LayoutFailure failure{c.failingStep, LayoutFault::FloatingPoint};
        SCOPED_TRACE(describe(failure).toStdString());
        LoadedWindow w(c.loadedWidth, c.loadedHeight);
        ASSERT_TRUE(w.loaded && w.swallowFirstNotification());
        const MainFormSizes stored = w.sizing.sizes();
        w.resizeTo(c.width, c.height);
        const auto before = w.form.snapshot();

        const LayoutOutcome outcome = w.sizing.Form_Resize(w.form);

        EXPECT_EQ(outcome.failure(), failure);
        EXPECT_FALSE(w.state.FirstLayout);
        EXPECT_EQ(w.form.snapshot(), before);
        EXPECT_EQ(w.sizing.sizes().LastWidth, stored.LastWidth);
        EXPECT_EQ(w.sizing.sizes().LastHeight, stored.LastHeight);
    }
}

TEST(WindowSizing, StoredHeightOverflowStopsBeforeWidthAfterScalingAndTheWindowStaysUsable) {
    LoadedWindow w(12000, 6000);
    ASSERT_TRUE(w.loaded && w.swallowFirstNotification());

    w.resizeTo(24000, 3e9f);
    const LayoutOutcome outcome = w.sizing.Form_Resize(w.form);

    EXPECT_EQ(outcome.failure(), (LayoutFailure{LayoutStep::LastHeight, LayoutFault::IntegerOverflow}));
    EXPECT_EQ(w.sizing.sizes().LastHeight, 6000);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 12000) << "the width, stored after the height, is not stored";
    EXPECT_EQ(w.form.at("Sample").lengths(), (Lengths{2000, 250000000, 4000, 150000000}))
        << "the scaling before the failing step took place";

    w.resizeTo(48000, 6000);
    ASSERT_TRUE(w.sizing.Form_Resize(w.form));
    EXPECT_EQ(w.form.at("Sample").left, 8000.0f);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 48000);
    EXPECT_EQ(w.sizing.sizes().LastHeight, 6000);
}

TEST(WindowSizing, FailureDescriptionNamesTheStepAndTheFault) {
    EXPECT_EQ(describe({LayoutStep::ScreenWidthPx, LayoutFault::IntegerOverflow}),
              QStringLiteral("ScreenWidthPx: integer overflow"));
    EXPECT_EQ(describe({LayoutStep::HorizontalFactor, LayoutFault::FloatingPoint}),
              QStringLiteral("horizontal factor: floating-point fault"));
}

} // namespace
} // namespace fambridge
