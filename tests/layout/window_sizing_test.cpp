#include "layout/window_sizing.h"

#include "fake_main_form.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace fambridge {
namespace {

using testing::boxControl;
using testing::FakeControl;
using testing::FakeMainForm;

ScreenMetrics screenOf(int widthPx, int heightPx, float twipsPerPixel = 15) {
    return {twipsPerPixel, twipsPerPixel, float(widthPx) * twipsPerPixel, float(heightPx) * twipsPerPixel};
}

const ScreenMetrics kDesignScreen = screenOf(800, 600);

// A window of the given outer size whose control loop sees one control at (1000, 500, 2000, 300), so
// that every factor shows in its geometry.
FakeMainForm sampleMainForm(float width, float height) {
    FakeMainForm form = testing::unlistedMainForm();
    form.frame.width = width;
    form.frame.height = height;
    form.addControl("Sample", boxControl(1000, 500, 2000, 300));
    return form;
}

TEST(WindowSizing, LoadFactorsFollowTheScreenInPixelsWhateverItsTwipsPerPixel) {
    const struct {
        int widthPx;
        int heightPx;
        float twipsPerPixel;
        float kx;
        float ky;
        float kf;
    } cases[] = {
        {640, 480, 15, 0.8f, 0.8f, 0.8f},
        {800, 600, 15, 1, 1, 1},
        {1024, 768, 15, 1.28f, 1.28f, 1.28f},
        {1024, 768, 12, 1.28f, 1.28f, 1.28f},
        {1280, 1024, 15, 1.6f, 1.7066667f, 1.6533334f},
        {1600, 1200, 15, 2, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.widthPx << " x " << c.heightPx << " at " << c.twipsPerPixel);
        AppState state;
        WindowSizing sizing(state);
        FakeMainForm form = testing::probeMainForm();

        ASSERT_TRUE(sizing.Form_Load(screenOf(c.widthPx, c.heightPx, c.twipsPerPixel), form));

        EXPECT_EQ(state.ScreenWidthPx, c.widthPx);
        EXPECT_EQ(state.ScreenHeightPx, c.heightPx);
        const FakeControl& probe = form.at("Probe");
        EXPECT_EQ(probe.left, c.kx);
        EXPECT_EQ(probe.width, c.kx);
        EXPECT_EQ(probe.top, c.ky);
        EXPECT_EQ(probe.height, c.ky);
        EXPECT_EQ(probe.fontSize, c.kf);
    }
}

TEST(WindowSizing, FractionalTwipsPerPixelIsRoundedBeforeItDivides) {
    AppState state;
    WindowSizing sizing(state);
    FakeMainForm form = testing::probeMainForm();
    // 168 DPI: a 1920 x 1080 pixel screen.
    const ScreenMetrics screen{8.5714283f, 8.5714283f, 16457.143f, 9257.1426f};

    ASSERT_TRUE(sizing.Form_Load(screen, form));

    EXPECT_EQ(state.TwipsPerPixelX, 9);
    EXPECT_EQ(state.TwipsPerPixelY, 9);
    EXPECT_EQ(state.ScreenWidthPx, 1829);
    EXPECT_EQ(state.ScreenHeightPx, 1029);
    EXPECT_EQ(form.at("Probe").left, 2.28625f);
    EXPECT_EQ(form.at("Probe").top, 1.715f);
}

TEST(WindowSizing, LoadOnTheDesignScreenKeepsEverythingAndPlacesTheLines) {
    AppState state;
    WindowSizing sizing(state);
    FakeMainForm form = testing::designMainForm();
    const FakeMainForm::Snapshot before = form.snapshot();

    ASSERT_TRUE(sizing.Form_Load(kDesignScreen, form));

    const FakeMainForm::Snapshot after = form.snapshot();
    EXPECT_EQ(after.controls, before.controls);
    EXPECT_EQ(after.frame, testing::kDesignFrame);
    EXPECT_EQ(form.lineAt("Line1").Y1, 832.0f);
    EXPECT_EQ(form.lineAt("Line2").Y1, 2168.0f);
    EXPECT_EQ(form.lineAt("Line3").Y1, 3008.0f);
    EXPECT_EQ(form.lineAt("Line3").X2, 11580.0f);
    EXPECT_EQ(sizing.sizes().DesignWidth, 800);
    EXPECT_EQ(sizing.sizes().DesignHeight, 600);
    EXPECT_TRUE(state.FirstLayout);
    EXPECT_FALSE(state.ResizeArmed);
}

TEST(WindowSizing, LoadStoresTheSizeTheWindowReportsAfterItsMove) {
    AppState state;
    WindowSizing sizing(state);
    FakeMainForm form = testing::designMainForm();
    // Asked for 14822.399 x 5395.1997, the frame settles on whole 15-twip pixels.
    form.frameSnap = [](float length) { return std::round(length / 15) * 15; };

    ASSERT_TRUE(sizing.Form_Load(screenOf(1024, 768), form));

    EXPECT_EQ(form.moves, 1);
    EXPECT_EQ(sizing.sizes().LastWidth, 14820);
    EXPECT_EQ(sizing.sizes().LastHeight, 5400);
    EXPECT_EQ(form.lineAt("Line1").X2, 14820.0f);
}

TEST(WindowSizing, StoredSizeIsRoundedToWholeTwipsWithHalvesToEven) {
    const struct {
        float width;
        float height;
        qint32 lastWidth;
        qint32 lastHeight;
    } cases[] = {
        {7425.5f, 7424.5f, 7426, 7424},
        {7424.4f, 7425.6f, 7424, 7426},
        {1.5f, 2.5f, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        AppState state;
        WindowSizing sizing(state);
        FakeMainForm form = sampleMainForm(c.width, c.height);

        ASSERT_TRUE(sizing.Form_Load(kDesignScreen, form));

        EXPECT_EQ(sizing.sizes().LastWidth, c.lastWidth);
        EXPECT_EQ(sizing.sizes().LastHeight, c.lastHeight);
    }
}

TEST(WindowSizing, LoadStopsAtTheFaultingStepAndScalesNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        ScreenMetrics screen;
        LayoutFailure failure;
        qint16 twipsPerPixelX, twipsPerPixelY, screenHeightPx, screenWidthPx;
    } cases[] = {
        {"40000 twips per pixel",
         {40000, 15, 15360, 11520},
         {LayoutStep::TwipsPerPixelX, LayoutFault::IntegerOverflow},
         0,
         0,
         0,
         0},
        {"twips per pixel not a number",
         {15, nan, 15360, 11520},
         {LayoutStep::TwipsPerPixelY, LayoutFault::IntegerOverflow},
         15,
         0,
         0,
         0},
        {"screen 40000 pixels high",
         screenOf(1024, 40000),
         {LayoutStep::ScreenHeightPx, LayoutFault::IntegerOverflow},
         15,
         15,
         0,
         0},
        {"screen 40000 pixels wide",
         screenOf(40000, 768),
         {LayoutStep::ScreenWidthPx, LayoutFault::IntegerOverflow},
         15,
         15,
         768,
         0},
        {"vertical twips per pixel rounding to 0",
         {15, 0.4f, 15360, 11520},
         {LayoutStep::ScreenHeightPx, LayoutFault::FloatingPoint},
         15,
         0,
         0,
         0},
        {"zero width over zero twips per pixel",
         {0.4f, 15, 0, 11520},
         {LayoutStep::ScreenWidthPx, LayoutFault::FloatingPoint},
         0,
         15,
         768,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppState state;
        WindowSizing sizing(state);
        FakeMainForm form = testing::designMainForm();
        const FakeMainForm::Snapshot before = form.snapshot();

        const LayoutOutcome outcome = sizing.Form_Load(c.screen, form);

        EXPECT_EQ(outcome.failure(), c.failure);
        EXPECT_EQ(state.TwipsPerPixelX, c.twipsPerPixelX);
        EXPECT_EQ(state.TwipsPerPixelY, c.twipsPerPixelY);
        EXPECT_EQ(state.ScreenHeightPx, c.screenHeightPx);
        EXPECT_EQ(state.ScreenWidthPx, c.screenWidthPx);
        EXPECT_TRUE(form.snapshot() == before);
        EXPECT_TRUE(state.FirstLayout);
        EXPECT_FALSE(state.ResizeArmed);
        EXPECT_EQ(sizing.sizes().LastWidth, 0);
        EXPECT_EQ(sizing.sizes().LastHeight, 0);
    }
}

TEST(WindowSizing, LoadWithAWindowTooTallForLastHeightStopsBeforeLastWidth) {
    AppState state;
    WindowSizing sizing(state);
    FakeMainForm form = sampleMainForm(12000, 3e9f);

    const LayoutOutcome outcome = sizing.Form_Load(kDesignScreen, form);

    EXPECT_EQ(outcome.failure(), (LayoutFailure{LayoutStep::LastHeight, LayoutFault::IntegerOverflow}));
    EXPECT_EQ(sizing.sizes().LastHeight, 0);
    EXPECT_EQ(sizing.sizes().LastWidth, 0);
    EXPECT_EQ(form.lineAt("Line1").X2, 12000.0f) << "the scaling before the failing step took place";
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
    const FakeMainForm::Snapshot before = w.form.snapshot();

    ASSERT_TRUE(w.sizing.Form_Resize(w.form));

    EXPECT_TRUE(w.form.snapshot() == before);
    EXPECT_TRUE(w.state.ResizeArmed);
    EXPECT_TRUE(w.state.FirstLayout);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 12000);
    EXPECT_EQ(w.sizing.sizes().LastHeight, 6000);
}

TEST(WindowSizing, NotificationAtTheStoredSizeScalesByOneAndPlacesTheLinesAgain) {
    LoadedWindow w(12000, 6000);
    ASSERT_TRUE(w.loaded && w.swallowFirstNotification());
    w.form.lineAt("Line2") = testing::FakeLine(0, 0, 0, 0);
    const FakeMainForm::Snapshot before = w.form.snapshot();

    ASSERT_TRUE(w.sizing.Form_Resize(w.form));

    EXPECT_EQ(w.form.snapshot().controls, before.controls);
    const testing::FakeLine& line = w.form.lineAt("Line2");
    EXPECT_EQ(line.X1, 1.0f);
    EXPECT_EQ(line.X2, 12000.0f);
    EXPECT_EQ(line.Y1, 2168.0f);
    EXPECT_EQ(line.Y2, 2168.0f);
    EXPECT_FALSE(w.state.FirstLayout);
    EXPECT_TRUE(w.state.ResizeArmed);
}

TEST(WindowSizing, SuccessiveResizesCompoundRatiosOfTheSizesReadAfterEachScaling) {
    LoadedWindow w(12000, 6000);
    ASSERT_TRUE(w.loaded && w.swallowFirstNotification());
    const int movesAtLoad = w.form.moves;

    w.resizeTo(12100, 6500);
    ASSERT_TRUE(w.sizing.Form_Resize(w.form));
    EXPECT_EQ(w.form.at("Sample").left, 1008.33331f);
    EXPECT_EQ(w.form.at("Sample").top, 541.666687f);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 12100);
    EXPECT_EQ(w.sizing.sizes().LastHeight, 6500);

    w.resizeTo(9400, 5500);
    ASSERT_TRUE(w.sizing.Form_Resize(w.form));
    // By 12100 / 12000 and then 9400 / 12100; scaling once by 9400 / 12000 would give 783.333374.
    EXPECT_EQ(w.form.at("Sample").left, 783.333313f);
    EXPECT_EQ(w.form.at("Sample").top, 458.333344f);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 9400);
    EXPECT_EQ(w.sizing.sizes().LastHeight, 5500);
    EXPECT_EQ(w.form.moves, movesAtLoad) << "only the load moves the window itself";
}

TEST(WindowSizing, StoredSizeOfZeroStopsAtItsDivisionWithFirstLayoutAlreadyFalse) {
    const struct {
        const char* what;
        float loadedWidth;
        float loadedHeight;
        LayoutFailure failure;
    } cases[] = {
        {"width stored as 0", 0.4f, 6000, {LayoutStep::HorizontalFactor, LayoutFault::FloatingPoint}},
        {"height stored as 0", 12000, 0.5f, {LayoutStep::VerticalFactor, LayoutFault::FloatingPoint}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadedWindow w(c.loadedWidth, c.loadedHeight);
        ASSERT_TRUE(w.loaded && w.swallowFirstNotification());
        const MainFormSizes stored = w.sizing.sizes();
        w.resizeTo(12000, 6000);
        const FakeMainForm::Snapshot before = w.form.snapshot();

        const LayoutOutcome outcome = w.sizing.Form_Resize(w.form);

        EXPECT_EQ(outcome.failure(), c.failure);
        EXPECT_FALSE(w.state.FirstLayout);
        EXPECT_TRUE(w.form.snapshot() == before);
        EXPECT_EQ(w.sizing.sizes().LastWidth, stored.LastWidth);
        EXPECT_EQ(w.sizing.sizes().LastHeight, stored.LastHeight);
    }
}

TEST(WindowSizing, ResizeBeforeAnyLoadStopsAtTheDivisionByLastWidth) {
    AppState state;
    state.FirstLayout = true;
    WindowSizing sizing(state);
    FakeMainForm form = sampleMainForm(12000, 6000);
    const FakeMainForm::Snapshot before = form.snapshot();

    ASSERT_TRUE(sizing.Form_Resize(form));
    const LayoutOutcome outcome = sizing.Form_Resize(form);

    EXPECT_EQ(outcome.failure(), (LayoutFailure{LayoutStep::HorizontalFactor, LayoutFault::FloatingPoint}));
    EXPECT_FALSE(state.FirstLayout);
    EXPECT_TRUE(form.snapshot() == before);
}

TEST(WindowSizing, StoredHeightOverflowStopsBeforeWidthAndTheWindowStaysUsable) {
    LoadedWindow w(12000, 6000);
    ASSERT_TRUE(w.loaded && w.swallowFirstNotification());

    w.resizeTo(12000, 3e9f);
    const LayoutOutcome outcome = w.sizing.Form_Resize(w.form);

    EXPECT_EQ(outcome.failure(), (LayoutFailure{LayoutStep::LastHeight, LayoutFault::IntegerOverflow}));
    EXPECT_EQ(w.sizing.sizes().LastHeight, 6000);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 12000);
    EXPECT_EQ(w.form.at("Sample").top, 250000000.0f) << "the scaling before the failing step took place";

    w.resizeTo(24000, 6000);
    ASSERT_TRUE(w.sizing.Form_Resize(w.form));
    EXPECT_EQ(w.form.at("Sample").left, 2000.0f);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 24000);
}

TEST(WindowSizing, FactorsTooLargeForTheFontFactorStopTheResize) {
    LoadedWindow w(1, 1);
    ASSERT_TRUE(w.loaded && w.swallowFirstNotification());
    w.resizeTo(3e38f, 3e38f);
    const FakeMainForm::Snapshot before = w.form.snapshot();

    const LayoutOutcome outcome = w.sizing.Form_Resize(w.form);

    EXPECT_EQ(outcome.failure(), (LayoutFailure{LayoutStep::FontFactor, LayoutFault::FloatingPoint}));
    EXPECT_TRUE(w.form.snapshot() == before);
    EXPECT_EQ(w.sizing.sizes().LastWidth, 1);
    EXPECT_EQ(w.sizing.sizes().LastHeight, 1);
}

TEST(WindowSizing, FailureDescriptionNamesTheStepAndTheFault) {
    EXPECT_EQ(describe({LayoutStep::ScreenWidthPx, LayoutFault::IntegerOverflow}),
              QStringLiteral("ScreenWidthPx: integer overflow"));
    EXPECT_EQ(describe({LayoutStep::HorizontalFactor, LayoutFault::FloatingPoint}),
              QStringLiteral("horizontal factor: floating-point fault"));
}

} // namespace
} // namespace fambridge
