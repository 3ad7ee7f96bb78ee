#include "layout/control_scaler.h"

#include "fake_main_form.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace fambridge {
namespace {

using testing::boxControl;
using testing::FakeControl;
using testing::FakeLine;
using testing::FakeMainForm;
using testing::Frame;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct LinePlace {
    std::string line;
    float y;
};

// At the design geometry the positions are 832.5, 2167.5 and 3007.5, so the first two show the ties
// going to the even neighbour.
const LinePlace kDesignLinePlaces[] = {{"Line1", 832}, {"Line2", 2168}, {"Line3", 3008}};

void expectLinesAcrossWidth(FakeMainForm& form, float width) {
    for (const LinePlace& place : kDesignLinePlaces) {
        SCOPED_TRACE(place.line);
        const FakeLine& line = form.lineAt(place.line);
        EXPECT_EQ(line.X1, 1);
        EXPECT_EQ(line.X2, width);
        EXPECT_EQ(line.Y1, place.y);
        EXPECT_EQ(line.Y2, place.y);
    }
}

TEST(ControlScaler, FactorsOfOneKeepEveryControlAndTheWindowUnchanged) {
    FakeMainForm form = testing::designMainForm();
    FakeMainForm::Snapshot before = form.snapshot();

    ASSERT_TRUE(ResizeControls(1, 1, form, true));

    FakeMainForm::Snapshot after = form.snapshot();
    EXPECT_EQ(after.controls, before.controls);
    EXPECT_EQ(after.frame, testing::kDesignFrame);
}

TEST(ControlScaler, FactorsOfOnePlaceLinesMidwayFromOneToWindowWidthWithTiesToEven) {
    FakeMainForm form = testing::designMainForm();

    ASSERT_TRUE(ResizeControls(1, 1, form, false));

    expectLinesAcrossWidth(form, 11580);
}

TEST(ControlScaler, ButtonAtFactor128MovesToSinglePrecisionProductsAndFontTo128Percent) {
    FakeMainForm form = testing::designMainForm();
    form.at("Export(1)").fontSize = 10;

    ASSERT_TRUE(ResizeControls(1.28f, 1.28f, form, true));

    // 307.2 and 12.8 to one decimal; as single-precision products they are one float below 307.2f and
    // 12.8f.
    const FakeControl& button = form.at("Export(1)");
    EXPECT_EQ(button.left, 307.19998f);
    EXPECT_EQ(button.top, 1344.0f);
    EXPECT_EQ(button.width, 1248.0f);
    EXPECT_EQ(button.height, 480.0f);
    EXPECT_EQ(button.fontSize, 12.799999f);
    EXPECT_EQ(button.moves, 1);
}

TEST(ControlScaler, ComboBoxGetsLeftTopWidthScaledButNeverItsHeight) {
    FakeMainForm form = testing::designMainForm();
    const float ky = 1024.0f / 600.0f;
    ASSERT_EQ(ky, 1.7066667f);

    ASSERT_TRUE(ResizeControls(1.6f, ky, form, true));

    const FakeControl& dbList = form.at("DBList");
    EXPECT_EQ(dbList.left, 5184.0f);
    // 1843.2 to one decimal; the product is one float above 1843.2f.
    EXPECT_EQ(dbList.top, 1843.2001f);
    EXPECT_EQ(dbList.width, 5400.0f);
    EXPECT_EQ(dbList.height, 315.0f);
    EXPECT_EQ(dbList.moves, 0);
    // 8 points by kf = 1.6533334; times 8 is exact in binary.
    EXPECT_EQ(dbList.fontSize, 8 * 1.6533334f);
}

TEST(ControlScaler, FontFactorIsTheSinglePrecisionMeanOfTheFactors) {
    const struct {
        float kx;
        float ky;
        float kf;
    } cases[] = {
        {0.8f, 0.8f, 0.8f},
        {1.28f, 1.28f, 1.28f},
        {1.6f, 1.7066667f, 1.6533334f},
        {2.0f, 0.5f, 1.25f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.kx) + " " + ::testing::PrintToString(c.ky));
        FakeMainForm form = testing::probeMainForm();
        ASSERT_TRUE(ResizeControls(c.kx, c.ky, form, false));
        EXPECT_EQ(form.at("Probe").fontSize, c.kf);
    }
}

TEST(ControlScaler, FirstLayoutMovesAndSizesTheWindowBeforeTheLinesTakeItsWidth) {
    FakeMainForm form = testing::designMainForm();

    ASSERT_TRUE(ResizeControls(1.28f, 1.28f, form, true));

    EXPECT_EQ(form.frame, (Frame{1536, 1152, 14822.399f, 5395.1997f}));
    EXPECT_EQ(form.lineAt("Line1").X2, 14822.399f);
}

TEST(ControlScaler, WithoutFirstLayoutTheWindowKeepsPlaceAndSizeWhileControlsScale) {
    FakeMainForm form = testing::designMainForm();

    ASSERT_TRUE(ResizeControls(2, 2, form, false));

    EXPECT_EQ(form.moves, 0);
    EXPECT_EQ(form.frame, testing::kDesignFrame);
    EXPECT_EQ(form.at("Exit(1)").top, 6480.0f);
    // The buttons moved, so the lines follow them across the unchanged width.
    EXPECT_EQ(form.lineAt("Line3").Y1, 6015.0f);
    EXPECT_EQ(form.lineAt("Line3").X2, 11580.0f);
}

TEST(ControlScaler, WindowWithoutControlsIsStillMovedAndItsLinesPlaced) {
    // MainForm's buttons and lines stay reachable by name, but the control loop sees nothing to scale.
    FakeMainForm form = testing::unlistedMainForm();
    ASSERT_EQ(form.controlCount(), 0);

    ASSERT_TRUE(ResizeControls(2, 2, form, true));

    EXPECT_EQ(form.frame, (Frame{2400, 1800, 23160, 8430}));
    EXPECT_EQ(form.at("Exit(1)").top, 3240.0f);
    expectLinesAcrossWidth(form, 23160);
}

TEST(ControlScaler, FailedUnitLeavesOnlyItsOwnTargetUnchanged) {
    const auto without = [](FakeControl control, std::optional<float> FakeControl::*property) {
        control.*property = std::nullopt;
        return control;
    };
    const FakeControl box = boxControl(100, 200, 300, 400, 8);
    FakeControl noMove = box;
    noMove.hasMove = false;
    FakeControl refusesFont = box;
    refusesFont.refusesFontSize = true;
    FakeControl combo = box;
    combo.comboBox = true;
    FakeControl comboNoTop = without(combo, &FakeControl::top);
    FakeControl comboHugeLeft = combo;
    comboHugeLeft.left = 3e38f;
    FakeControl hugeLeft = box;
    hugeLeft.left = 3e38f;

    const std::optional<float> none;
    const struct {
        const char* what;
        FakeControl control;
        std::optional<float> left, top, width, height, fontSize;
    } cases[] = {
        {"all present", box, 200, 400, 600, 800, 16},
        {"no FontSize: still moved", without(box, &FakeControl::fontSize), 200, 400, 600, 800, none},
        {"FontSize refuses: still moved", refusesFont, 200, 400, 600, 800, 8},
        {"no Move: font still scaled", noMove, 100, 200, 300, 400, 16},
        {"no Height: no move at all", without(box, &FakeControl::height), 100, 200, 300, none, 16},
        {"no Left: no move at all", without(box, &FakeControl::left), none, 200, 300, 400, 16},
        {"Left overflows: no move", hugeLeft, 3e38f, 200, 300, 400, 16},
        {"combo box without Top: Left and Width still set", comboNoTop, 200, none, 600, 400, 16},
        {"combo box whose Left overflows: Top and Width still set", comboHugeLeft, 3e38f, 400, 600, 400, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMainForm form = testing::probeMainForm();
        form.addControl("Subject", c.control);
        form.addControl("After", box);

        ASSERT_TRUE(ResizeControls(2, 2, form, false));

        const FakeControl& subject = form.at("Subject");
        EXPECT_EQ(subject.left, c.left);
        EXPECT_EQ(subject.top, c.top);
        EXPECT_EQ(subject.width, c.width);
        EXPECT_EQ(subject.height, c.height);
        EXPECT_EQ(subject.fontSize, c.fontSize);
        EXPECT_EQ(form.at("After").left, 200.0f) << "the control after the failing one is still scaled";
        EXPECT_EQ(form.at("After").fontSize, 16.0f);
    }
}

TEST(ControlScaler, WindowThatCannotBeMovedKeepsItsSizeAndLinesStillTakeItsWidth) {
    FakeMainForm form = testing::designMainForm();
    form.hasMove = false;

    ASSERT_TRUE(ResizeControls(2, 2, form, true));

    EXPECT_EQ(form.frame, testing::kDesignFrame);
    EXPECT_EQ(form.at("Import(0)").left, 480.0f);
    EXPECT_EQ(form.lineAt("Line2").X2, 11580.0f);
    EXPECT_EQ(form.lineAt("Line2").Y1, 4335.0f);
}

TEST(ControlScaler, LineWhosePositionCannotBeHadKeepsItsHeightWhileTheOthersArePlaced) {
    const struct {
        const char* what;
        std::string button;
        std::optional<float> top; // nullopt: the button cannot be reached at all
        std::string failingLine;
    } cases[] = {
        {"Line1 beyond 32767", "Import(0)", 65000, "Line1"},
        {"Line1 below -32768", "Import(0)", -70000, "Line1"},
        {"Line2 beyond 32767", "BrowseE(0)", 65000, "Line2"},
        {"Line3 at 32767.5, which rounds out of range", "Exit(1)", 62760, "Line3"},
        {"Line3 without Exit(1)", "Exit(1)", std::nullopt, "Line3"},
        {"Line1 without Import(0)", "Import(0)", std::nullopt, "Line1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMainForm form = testing::designMainForm();
        if (c.top)
            form.at(c.button).top = *c.top;
        else
            form.forgetName(c.button);
        const FakeLine before = form.lineAt(c.failingLine);

        ASSERT_TRUE(ResizeControls(1, 1, form, false));

        for (const LinePlace& place : kDesignLinePlaces) {
            SCOPED_TRACE(place.line);
            const FakeLine& line = form.lineAt(place.line);
            const float expectedY = place.line == c.failingLine ? before.Y1 : place.y;
            EXPECT_EQ(line.Y1, expectedY);
            EXPECT_EQ(line.Y2, expectedY);
            EXPECT_EQ(line.X1, 1.0f);
            EXPECT_EQ(line.X2, 11580.0f);
        }
    }
}

TEST(ControlScaler, SeparatorAtTheTopOfThe16BitRangeIsStillPlaced) {
    FakeMainForm form = testing::designMainForm();
    // (2400 + 375 + 62759) / 2 = 32767.
    form.at("Exit(1)").top = 62759;

    ASSERT_TRUE(ResizeControls(1, 1, form, false));

    EXPECT_EQ(form.lineAt("Line3").Y1, 32767.0f);
    EXPECT_EQ(form.lineAt("Line3").Y2, 32767.0f);
}

TEST(ControlScaler, FontFactorFaultChangesNothingAndIsReported) {
    const struct {
        const char* what;
        float kx;
        float ky;
    } cases[] = {
        {"sum beyond the largest float", 3e38f, 3e38f},
        {"not a number", kNaN, 1},
        {"opposite infinities", std::numeric_limits<float>::infinity(),
         -std::numeric_limits<float>::infinity()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMainForm form = testing::designMainForm();
        const FakeMainForm::Snapshot before = form.snapshot();

        const LayoutOutcome outcome = ResizeControls(c.kx, c.ky, form, true);

        EXPECT_EQ(outcome.failure(), (LayoutFailure{LayoutStep::FontFactor, LayoutFault::FloatingPoint}));
        EXPECT_TRUE(form.snapshot() == before);
    }
}

} // namespace
} // namespace fambridge
