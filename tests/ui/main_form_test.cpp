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

// A screen of the design's 800 x 600 pixels at 96 DPI, on which the window keeps its design layout.
ScreenMetrics designScreen() {
    return ScreenMetrics{15, 15, 800 * 15, 600 * 15};
}

class MainFormTest : public ::testing::Test {
protected:
    testing::TempDrives drives;
    AppState state;
    MainForm form{state, drives.fileSystem(), designScreen()};
};

TEST_F(MainFormTest, CaptionsAndStartStatesFollowTheDesign) {
    EXPECT_EQ(form.windowTitle(), "Famlore Conversion Utility");
    struct Button {
        QPushButton* button;
        const char* caption;
        bool enabled;
    };
    const Button buttons[] = {
        {form.Import(0), "Import", false},    {form.BrowseI(1), "Browse...", false},
        {form.Export(1), "Export", false},    {form.BrowseE(0), "Browse...", false},
        {form.BrowseS(2), "Browse...", true}, {form.Exit(1), "Exit", true},
    };
    for (const Button& expected : buttons) {
        ASSERT_NE(expected.button, nullptr) << expected.caption;
        EXPECT_EQ(expected.button->text(), expected.caption);
        EXPECT_EQ(expected.button->isEnabled(), expected.enabled) << expected.caption;
    }
    struct Label {
        QLabel* label;
        const char* caption;
    };
    const Label labels[] = {
        {form.FromGED(0), "From GED File:"},
        {form.FromFilename(1), ""},
        {form.FromDB(1), "From Database:"},
        {form.ToGED(1), "To GED File:"},
        {form.ToFilename(0), ""},
        {form.Backup(1), "Palm User Folder:"},
        {form.Backup(2), ""},
        {form.Version, "v1.60"},
    };
    for (const Label& expected : labels) {
        ASSERT_NE(expected.label, nullptr) << expected.caption;
        EXPECT_EQ(expected.label->text(), expected.caption);
        EXPECT_TRUE(expected.label->isEnabled());
    }
    EXPECT_EQ(form.DBList->count(), 0);
    EXPECT_TRUE(form.DBList->isEnabled());
}

TEST_F(MainFormTest, ArraysHaveOnlyTheirDesignIndexes) {
    EXPECT_EQ(form.Import(1), nullptr);
    EXPECT_EQ(form.Export(0), nullptr);
    EXPECT_EQ(form.Backup(0), nullptr);
    EXPECT_NE(form.Backup(1), form.Backup(2));
}

TEST_F(MainFormTest, ControlsSitAtTheirDesignPositionsAt96Dpi) {
    // 15 twips a pixel on the offscreen screen's 96 DPI.
    EXPECT_EQ(form.size(), QSize(764, 254));
    EXPECT_EQ(form.Import(0)->geometry(), QRect(16, 16, 65, 25));
    EXPECT_EQ(form.BrowseS(2)->geometry(), QRect(679, 160, 73, 25));
    EXPECT_EQ(form.DBList->geometry(), QRect(216, 72, 225, 21));
    EXPECT_EQ(form.Version->geometry(), QRect(700, 224, 33, 17));
}

TEST_F(MainFormTest, FocusCyclesThroughTheEnabledControlsFromExit) {
    form.Import(0)->setEnabled(true);
    form.BrowseI(1)->setEnabled(true);
    form.BrowseE(0)->setEnabled(true);
    form.Export(1)->setEnabled(true);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(QApplication::focusWidget(), form.Exit(1));

    const QWidget* expected[] = {form.Import(0), form.BrowseI(1), form.BrowseE(0), form.BrowseS(2),
                                 form.DBList,    form.Export(1),  form.Exit(1)};
    for (const QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(MainFormTest, TabSkipsDisabledButtons) {
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(form.Exit(1), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.BrowseS(2));
    QTest::keyClick(form.BrowseS(2), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.DBList);
}

TEST_F(MainFormTest, EnterAndSpacePressTheFocusedButton) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        QSignalSpy clicks(form.BrowseS(2), &QPushButton::clicked);
        QTest::keyClick(form.BrowseS(2), key);
        EXPECT_EQ(clicks.count(), 1) << key;
    }
}

TEST_F(MainFormTest, EscapePressesNothing) {
    QSignalSpy exits(&form, &MainForm::exitRequested);
    QTest::keyClick(form.Exit(1), Qt::Key_Escape);
    EXPECT_EQ(exits.count(), 0);
}

TEST_F(MainFormTest, AddingDatabasesSelectsNoneUntilOneIsNamed) {
    form.addDBListItem("Family");
    form.addDBListItem("Other");
    EXPECT_EQ(form.DBList->currentIndex(), -1);
    form.setDBListText("Other");
    EXPECT_EQ(form.DBList->currentText(), "Other");
    form.setDBListText("other");
    EXPECT_EQ(form.DBList->currentText(), "Other");
}

TEST_F(MainFormTest, PickingADatabaseTakesItAndEnablesBrowseE) {
    form.addDBListItem("Family");
    form.addDBListItem("Other");
    form.DBList->setFocus();
    QTest::keyClick(form.DBList, Qt::Key_Down);
    EXPECT_EQ(state.DatabaseName, "Family");
    EXPECT_TRUE(form.BrowseE(0)->isEnabled());
}

TEST_F(MainFormTest, SelectingFromCodeDoesNotRunThePickHandling) {
    form.addDBListItem("Family");
    form.setDBListText("Family");
    EXPECT_EQ(state.DatabaseName, "");
    EXPECT_FALSE(form.BrowseE(0)->isEnabled());
}

} // namespace
} // namespace fambridge

namespace fambridge {
namespace {

TEST(MainFormLayoutTest, LoadingOnALargerScreenScalesControlsFontsAndLinesBeforeTheWindowShows) {
    testing::TempDrives drives;
    AppState state;
    MainForm form(state, drives.fileSystem(), ScreenMetrics{15, 15, 1024 * 15, 768 * 15});

    EXPECT_EQ(state.ScreenWidthPx, 1024);
    EXPECT_EQ(state.ScreenHeightPx, 768);
    // 240, 240, 975, 375 twips times 1.28, shown in whole pixels at 15 twips a pixel.
    EXPECT_EQ(form.Import(0)->geometry(), QRect(20, 20, 84, 32));
    EXPECT_FLOAT_EQ(float(form.Exit(1)->font().pointSizeF()), 8 * 1.28f);
    EXPECT_FLOAT_EQ(float(form.FromGED(0)->font().pointSizeF()), 8 * 1.28f);
    // The drop-down list keeps its Height but grows with its font.
    EXPECT_EQ(form.DBList->height(), 27);
    // Midway between the Import row's bottom and the Export row's top: (307.2 + 480 + 1344) / 2.
    EXPECT_EQ(form.Line1.Y1, 1066);
    EXPECT_EQ(form.Line1.Y2, 1066);
    EXPECT_EQ(form.Line1.X1, 1);
    EXPECT_EQ(form.Line3.X2, *form.Width());
    // The outer frame was scaled, so the client area grows by the factor and a little of the frame.
    EXPECT_NEAR(form.width(), 764 * 1.28 + 6 * 0.28, 1.0);
    EXPECT_NEAR(form.height(), 254 * 1.28 + 25 * 0.28, 1.0);
}

// The list part of the drop-down list is made only when it first drops down, after the scaler has set
// the list's font; it must still show that font, and follow the list's font from then on.
TEST(MainFormLayoutTest, DatabaseListDropsDownInItsScaledFontAndFollowsLaterChanges) {
    testing::TempDrives drives;
    AppState state;
    MainForm form(state, drives.fileSystem(), ScreenMetrics{15, 15, 1024 * 15, 768 * 15});
    form.addDBListItem("Family");
    form.addDBListItem("Smith");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    form.DBList->showPopup();
    const QAbstractItemView* list = form.DBList->view();
    EXPECT_TRUE(list->isVisible());
    EXPECT_FLOAT_EQ(float(list->font().pointSizeF()), 8 * 1.28f);
    EXPECT_EQ(list->model()->rowCount(), 2);
    form.DBList->hidePopup();

    QFont larger = form.DBList->font();
    larger.setPointSizeF(14);
    form.DBList->setFont(larger);
    EXPECT_FLOAT_EQ(float(list->font().pointSizeF()), 14);
}

TEST(MainFormLayoutTest, ShowingTheWindowOnlyArmsTheResizeHandling) {
    testing::TempDrives drives;
    AppState state;
    MainForm form(state, drives.fileSystem(), ScreenMetrics{15, 15, 1024 * 15, 768 * 15});
    const QRect before = form.Import(0)->geometry();
    ASSERT_TRUE(state.FirstLayout);
    ASSERT_FALSE(state.ResizeArmed);
    form.show();
    QApplication::processEvents();
    EXPECT_TRUE(state.ResizeArmed);
    EXPECT_TRUE(state.FirstLayout);
    EXPECT_EQ(form.Import(0)->geometry(), before);
}

TEST(MainFormLayoutTest, ScreenTooLargeForItsVariablesLeavesAUsableWindow) {
    testing::TempDrives drives;
    AppState state;
    MainForm form(state, drives.fileSystem(), ScreenMetrics{15, 15, 40000.0f * 15, 768 * 15});
    EXPECT_EQ(form.Exit(1)->text(), "Exit");
    EXPECT_GT(form.width(), 0);
    form.setWarningHandler([](const QString&) {});
    QSignalSpy exits(&form, &MainForm::exitRequested);
    QTest::keyClick(form.Exit(1), Qt::Key_Space);
    EXPECT_EQ(exits.count(), 1);
}

} // namespace
} // namespace fambridge
