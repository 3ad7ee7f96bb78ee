#include "temp_drives.h"
#include "ui/main_form.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace fambridge {
namespace {

// The window loaded on a screen of this many pixels at 96 DPI (15 twips a pixel).
template <int Width, int Height> class FormOnScreen : public ::testing::Test {
protected:
    testing::TempDrives drives;
    AppState state;
    MainForm form{state, drives.fileSystem(), ScreenMetrics{15, 15, Width * 15.0f, Height * 15.0f}};
};

using MainFormTest = FormOnScreen<800, 600>; // the design's screen: the window keeps its design layout
using LargerScreen = FormOnScreen<1024, 768>;
using ScreenTooLargeForItsVariables = FormOnScreen<40000, 768>;

// The version shown comes from the build's project version, which must spell it as the design does.
TEST_F(MainFormTest, CaptionAndVersionAreTheDesigns) {
    EXPECT_EQ(form.windowTitle(), "Famlore Conversion Utility");
    EXPECT_EQ(form.Version->text(), "v1.60");
}

// Only the user's pick may become the chosen database; a selection made by code must not.
TEST_F(MainFormTest, DatabaseNamedFromCodeIsSelectedOnlyInItsExactCaseAndOnlyTheUsersPickIsTaken) {
    form.addDBListItem("Family");
    form.addDBListItem("Other");
    form.setDBListText("other");
    EXPECT_EQ(form.DBList->currentIndex(), -1);
    form.setDBListText("Other");
    EXPECT_EQ(form.DBList->currentText(), "Other");
    EXPECT_EQ(state.DatabaseName, "");
    EXPECT_FALSE(form.BrowseE(0)->isEnabled());
}

// Showing the window must only arm the resize handling, not scale the loaded layout a second time. The
// list part of the drop-down list is made only when it first drops down, after the scaler has set the
// list's font; it must still show that font, and follow the list's font from then on.
TEST_F(LargerScreen, LoadingScalesTheLayoutShowingScalesNothingAndTheDatabaseListDropsDownInItsScaledFont) {
    // 240, 240, 975, 375 twips times 1.28, shown in whole pixels at 15 twips a pixel.
    EXPECT_EQ(form.Import(0)->geometry(), QRect(20, 20, 84, 32));
    // The drop-down list keeps its Height but grows with its font; a moved Line1 shows that the scaler
    // found the window's own lines.
    EXPECT_EQ(form.DBList->height(), 27);
    EXPECT_EQ(form.Line1.Y1, 1066);

    form.addDBListItem("Family");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.sizing().resizeState().ResizeArmed);
    EXPECT_TRUE(form.sizing().resizeState().FirstLayout);
    EXPECT_EQ(form.Import(0)->geometry(), QRect(20, 20, 84, 32));

    form.DBList->showPopup();
    const QAbstractItemView* list = form.DBList->view();
    EXPECT_TRUE(list->isVisible());
    EXPECT_FLOAT_EQ(float(list->font().pointSizeF()), 8 * 1.28f);
    form.DBList->hidePopup();
    QFont larger = form.DBList->font();
    larger.setPointSizeF(14);
    form.DBList->setFont(larger);
    EXPECT_FLOAT_EQ(float(list->font().pointSizeF()), 14);
}

TEST_F(ScreenTooLargeForItsVariables, LeavesAUsableWindow) {
    EXPECT_GT(form.width(), 0);
    form.setWarningHandler([](const QString&) {});
    QSignalSpy exits(&form, &MainForm::exitRequested);
    QTest::keyClick(form.Exit(1), Qt::Key_Space);
    EXPECT_EQ(exits.count(), 1);
}

} // namespace
} // namespace fambridge
