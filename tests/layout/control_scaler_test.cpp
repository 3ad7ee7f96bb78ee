#include "layout/control_scaler.h"

#include "fake_main_form.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

namespace fambridge {
namespace {

using testing::box;
using testing::designMainForm;
using testing::FakeControl;
using testing::FakeMainForm;
using testing::kDesignFrame;
using testing::Lengths;

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// At the design geometry the positions are 832.5, 2167.5 and 3007.5, so the first two show the ties
// going to the even neighbour.
const std::pair<std::string, float> kDesignLineY[] = {{"Line1", 832}, {"Line2", 2168}, {"Line3", 3008}};

void expectLinesAcrossWidth(FakeMainForm& form, float width) {
    for (const auto& [name, y] : kDesignLineY) {
        SCOPED_TRACE(name);
        EXPECT_EQ(form.at(name).ends(), (Lengths{1, y, width, y}));
    }
}

TEST(ControlScaler, FactorsOfOneKeepEveryControlAndTheWindowAndPlaceLinesMidwayWithTiesToEven) {
    FakeMainForm form = designMainForm();
    auto expected = form.snapshot();

    ASSERT_TRUE(ResizeControls(1, 1, form, true));

    expectLinesAcrossWidth(form, 11580);
    for (const auto& [name, y] : kDesignLineY)
        expected[name] = form.at(name).all();
    EXPECT_EQ(form.snapshot(), expected);
}

TEST(ControlScaler, AtFactor128ButtonAndFirstLayoutWindowTakeSinglePrecisionProductsBeforeLinesTakeTheWidth) {
    FakeMainForm form = designMainForm();
    form.at("Export(1)").fontSize = 10;

    ASSERT_TRUE(ResizeControls(1.28f, 1.28f, form, true));

    // 307.2 and 12.8 to one decimal; as single-precision products they are one float below 307.2f and
    // 12.8f.
    const FakeControl& button = form.at("Export(1)");
    EXPECT_EQ(button.lengths(), (Lengths{307.19998f, 1344, 1248, 480}));
    EXPECT_EQ(button.fontSize, 12.799999f);
    EXPECT_EQ(button.moves, 1);
    EXPECT_EQ(form.frame.lengths(), (Lengths{1536, 1152, 14822.399f, 5395.1997f}));
    EXPECT_EQ(form.at("Line1").x2, 14822.399f);
}

TEST(ControlScaler, ComboBoxGetsLeftTopWidthScaledButNeverItsHeightAndItsFontTheMeanFactor) {
    FakeMainForm form = designMainForm();

    ASSERT_TRUE(ResizeControls(1.6f, 1.7066667f, form, true));

    // Top is 1843.2 to one decimal; the product is one float above 1843.2f.
    const FakeControl& dbList = form.at("DBList");
    EXPECT_EQ(dbList.lengths(), (Lengths{5184, 1843.2001f, 5400, 315}));
    EXPECT_EQ(dbList.moves, 0);
    // kf = 1.6533334, the arithmetic mean (the geometric one would be 1.6525); times 8 is exact in binary.
    EXPECT_EQ(dbList.fontSize, 8 * 1.6533334f);
}

TEST(ControlScaler, WithoutFirstLayoutTheWindowKeepsPlaceAndSizeWhileControlsScale) {
    FakeMainForm form = designMainForm();

    ASSERT_TRUE(ResizeControls(2, 2, form, false));

    EXPECT_EQ(form.frame.moves, 0);
    EXPECT_EQ(form.frame.lengths(), kDesignFrame);
    EXPECT_EQ(form.at("Exit(1)").top, 6480.0f);
    // The buttons moved, so the lines follow them across the unchanged width.
    EXPECT_EQ(form.at("Line3").ends(), (Lengths{1, 6015, 11580, 6015}));
}

TEST(ControlScaler, WindowWithoutControlsIsStillMovedAndItsLinesPlaced) {
    FakeMainForm form = designMainForm(false);
    ASSERT_EQ(form.controlCount(), 0);

    ASSERT_TRUE(ResizeControls(2, 2, form, true));

    EXPECT_EQ(form.frame.lengths(), (Lengths{2400, 1800, 23160, 8430}));
    EXPECT_EQ(form.at("Exit(1)").top, 3240.0f);
    expectLinesAcrossWidth(form, 23160);
}

TEST(ControlScaler, FailedUnitLeavesOnlyItsOwnTargetUnchanged) {
    const auto without = [](FakeControl control, std::optional<float> FakeControl::*property) {
        control.*property = std::nullopt;
        return control;
    };
    const FakeControl plain = box(100, 200, 300, 400, 8);
    FakeControl noMove = plain;
    noMove.hasMove = false;
    FakeControl refusesFont = plain;
    refusesFont.refusesFontSize = true;
    FakeControl combo = plain;
    combo.comboBox = true;
    FakeControl comboHugeLeft = combo;
    comboHugeLeft.left = 3e38f;
    FakeControl hugeLeft = plain;
    hugeLeft.left = 3e38f;

    const std::optional<float> none;
    const struct {
        const char* what;
        FakeControl control;
        Lengths lengths;
        std::optional<float> fontSize;
    } cases[] = {
        {"all present", plain, {200, 400, 600, 800}, 16},
        {"no FontSize: still moved", without(plain, &FakeControl::fontSize), {200, 400, 600, 800}, none},
        {"FontSize refuses: still moved", refusesFont, {200, 400, 600, 800}, 8},
        {"no Move: font still scaled", noMove, {100, 200, 300, 400}, 16},
        {"no Height: no move at all", without(plain, &FakeControl::height), {100, 200, 300, none}, 16},
        {"no Left: no move at all", without(plain, &FakeControl::left), {none, 200, 300, 400}, 16},
        {"Left overflows: no move", hugeLeft, {3e38f, 200, 300, 400}, 16},
        {"combo box without Top: Left and Width still set",
         without(combo, &FakeControl::top),
         {200, none, 600, 400},
         16},
        {"combo box whose Left overflows: Top and Width still set",
         comboHugeLeft,
         {3e38f, 400, 600, 400},
         16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMainForm form = designMainForm(false);
        form.add("Subject", c.control);
        form.add("After", plain);

        ASSERT_TRUE(ResizeControls(2, 2, form, false));

        EXPECT_EQ(form.at("Subject").lengths(), c.lengths);
        EXPECT_EQ(form.at("Subject").fontSize, c.fontSize);
        EXPECT_EQ(form.at("After").lengths(), (Lengths{200, 400, 600, 800}))
            << "the control after the failing one is still scaled";
        EXPECT_EQ(form.at("After").fontSize, 16.0f);
    }
}

TEST(ControlScaler, WindowThatCannotBeMovedKeepsItsSizeAndLinesStillTakeItsWidth) {
    FakeMainForm form = designMainForm();
    form.frame.hasMove = false;

    ASSERT_TRUE(ResizeControls(2, 2, form, true));

    EXPECT_EQ(form.frame.lengths(), kDesignFrame);
    EXPECT_EQ(form.at("Import(0)").left, 480.0f);
    EXPECT_EQ(form.at("Line2").ends(), (Lengths{1, 4335, 11580, 4335}));
}

TEST(ControlScaler, LineIsPlacedToTheEdgesOfThe16BitRangeAndBeyondThemOrWithoutItsButtonKeepsItsHeight) {
    const std::optional<float> unchanged;
    const struct {
        const char* what;
        std::string button;
        std::optional<float> top; // nullopt: the window has no such button
        std::string line;
        std::optional<float> y;
    } cases[] = {
        {"Line3 at (2400 + 375 + 62759) / 2 = 32767", "Exit(1)", 62759, "Line3", 32767},
        {"Line3 at 32767.5, which rounds out of range", "Exit(1)", 62760, "Line3", unchanged},
        {"Line1 at (-66961 + 375 + 1050) / 2 = -32768", "Import(0)", -66961, "Line1", -32768},
        {"Line1 beyond 32767", "Import(0)", 65000, "Line1", unchanged},
        {"Line1 below -32768", "Import(0)", -70000, "Line1", unchanged},
        {"Line2 beyond 32767", "BrowseE(0)", 65000, "Line2", unchanged},
        {"Line3 without Exit(1)", "Exit(1)", std::nullopt, "Line3", unchanged},
        {"Line1 without Import(0)", "Import(0)", std::nullopt, "Line1", unchanged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMainForm form = designMainForm(false);
        if (c.top)
            form.at(c.button).top = *c.top;
        else
            form.remove(c.button);
        // The design lines are level: Y1 and Y2 are the same.
        const float before = *form.at(c.line).y1;

        ASSERT_TRUE(ResizeControls(1, 1, form, false));

        for (const auto& [name, designY] : kDesignLineY) {
            SCOPED_TRACE(name);
            const float y = name == c.line ? c.y.value_or(before) : designY;
            EXPECT_EQ(form.at(name).ends(), (Lengths{1, y, 11580, y}));
        }
    }
}

TEST(ControlScaler, FontFactorFaultChangesNothingAndIsReported) {
    const struct {
        const char* what;
        float kx;
        float ky;
    } cases[] = {
        {"sum beyond the largest float", 3e38f, 3e38f},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), 1},
        {"opposite infinities", kInfinity, -kInfinity},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMainForm form = designMainForm();
        const auto before = form.snapshot();

        const LayoutOutcome outcome = ResizeControls(c.kx, c.ky, form, true);

        EXPECT_EQ(outcome.failure(), (LayoutFailure{LayoutStep::FontFactor, LayoutFault::FloatingPoint}));
        EXPECT_EQ(form.snapshot(), before);
    }
}

} // namespace
} // namespace fambridge
