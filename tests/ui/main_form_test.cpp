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

TEST_F(MainFormTest, CaptionsAndStartStatesFollowTheDesign) {
    EXPECT_EQ(form.windowTitle(), "Famlore Conversion Utility");
    // Each control array's index is told apart by its caption; the value labels start empty.
    const QWidget* controls[] = {form.Import(0),  form.BrowseI(1), form.Export(1),     form.BrowseE(0),
                                 form.BrowseS(2), form.Exit(1),    form.FromGED(0),    form.FromFilename(1),
                                 form.FromDB(1),  form.ToGED(1),   form.ToFilename(0), form.Backup(1),
                                 form.Backup(2),  form.Version};
    QStringList captions;
    QList<bool> enabled;
    for (const QWidget* control : controls) {
        ASSERT_NE(control, nullptr) << captions.size();
        captions.append(control->property("text").toString());
        enabled.append(control->isEnabled());
    }
    EXPECT_EQ(captions, QStringList({"Import", "Browse...", "Export", "Browse...", "Browse...", "Exit",
                                     "From GED File:", "", "From Database:", "To GED File:", "",
                                     "Palm User Folder:", "", "v1.60"}));
    EXPECT_EQ(enabled, QList<bool>({false, false, false, false, true, true, true, true, true, true, true,
                                    true, true, true}));
    EXPECT_EQ(form.DBList->count(), 0);
    EXPECT_TRUE(form.DBList->isEnabled());
}

TEST_F(MainFormTest, ControlsSitAtTheirDesignPositions) {
    EXPECT_EQ(form.size(), QSize(764, 254));
    EXPECT_EQ(form.Import(0)->geometry(), QRect(16, 16, 65, 25));
    EXPECT_EQ(form.BrowseS(2)->geometry(), QRect(679, 160, 73, 25));
    EXPECT_EQ(form.DBList->geometry(), QRect(216, 72, 225, 21));
    EXPECT_EQ(form.Version->geometry(), QRect(700, 224, 33, 17));
}

TEST_F(MainFormTest, FocusStartsOnExitAndTabCyclesThroughTheEnabledControlsOnly) {
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(QApplication::focusWidget(), form.Exit(1));
    const std::vector<QWidget*> startOrder = {form.BrowseS(2), form.DBList, form.Exit(1)};
    const std::vector<QWidget*> fullOrder = {form.Import(0),  form.BrowseI(1), form.BrowseE(0),
                                             form.BrowseS(2), form.DBList,     form.Export(1),
                                             form.Exit(1)};
    for (const auto* order : {&startOrder, &fullOrder}) {
        for (QWidget* next : *order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), next)
                << (order == &fullOrder ? "all enabled" : "at start");
        }
        for (QWidget* button : fullOrder)
            button->setEnabled(true);
    }
}

// There is no Cancel button: Escape must press none, not even Exit.
TEST_F(MainFormTest, EnterAndSpacePressTheFocusedButtonAndEscapePressesNothing) {
    form.setWarningHandler([](const QString&) {});
    QSignalSpy exits(&form, &MainForm::exitRequested);
    for (const auto& [key, presses] : {std::pair{Qt::Key_Return, 1}, std::pair{Qt::Key_Enter, 1},
                                       std::pair{Qt::Key_Space, 1}, std::pair{Qt::Key_Escape, 0}}) {
        QSignalSpy clicks(form.BrowseS(2), &QPushButton::clicked);
        QTest::keyClick(form.BrowseS(2), key);
        EXPECT_EQ(clicks.count(), presses) << key;
    }
    QTest::keyClick(form.Exit(1), Qt::Key_Escape);
    EXPECT_EQ(exits.count(), 0);
}

TEST_F(MainFormTest, DatabaseNamedFromCodeIsSelectedOnlyInItsExactCaseAndOnlyTheUsersPickIsTaken) {
    form.addDBListItem("Family");
    form.addDBListItem("Other");
    EXPECT_EQ(form.DBList->currentIndex(), -1);
    form.setDBListText("other");
    EXPECT_EQ(form.DBList->currentIndex(), -1);
    form.setDBListText("Other");
    EXPECT_EQ(form.DBList->currentText(), "Other");
    EXPECT_EQ(state.DatabaseName, "");
    EXPECT_FALSE(form.BrowseE(0)->isEnabled());

    form.DBList->setFocus();
    QTest::keyClick(form.DBList, Qt::Key_Up);
    EXPECT_EQ(state.DatabaseName, "Family");
    EXPECT_TRUE(form.BrowseE(0)->isEnabled());
}

TEST_F(LargerScreen, LoadingScalesControlsFontsAndLinesBeforeTheWindowShows) {
    // 240, 240, 975, 375 twips times 1.28, shown in whole pixels at 15 twips a pixel.
    EXPECT_EQ(form.Import(0)->geometry(), QRect(20, 20, 84, 32));
    EXPECT_FLOAT_EQ(float(form.Exit(1)->font().pointSizeF()), 8 * 1.28f);
    EXPECT_FLOAT_EQ(float(form.FromGED(0)->font().pointSizeF()), 8 * 1.28f);
    // The drop-down list keeps its Height but grows with its font.
    EXPECT_EQ(form.DBList->height(), 27);
    // The scaler finds the window's own lines: Line1 midway between the Import row's bottom and the
    // Export row's top, (307.2 + 480 + 1344) / 2, Line3 across the whole width.
    EXPECT_EQ(form.Line1.Y1, 1066);
    EXPECT_EQ(form.Line3.X2, *form.Width());
    // The outer frame was scaled, so the client area grows by the factor and a little of the frame.
    EXPECT_NEAR(form.width(), 764 * 1.28 + 6 * 0.28, 1.0);
    EXPECT_NEAR(form.height(), 254 * 1.28 + 25 * 0.28, 1.0);
}

// The list part of the drop-down list is made only when it first drops down, after the scaler has set
// the list's font; it must still show that font, and follow the list's font from then on.
TEST_F(LargerScreen, DatabaseListDropsDownInItsScaledFontAndFollowsLaterChanges) {
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

TEST_F(LargerScreen, ShowingTheWindowOnlyArmsTheResizeHandling) {
    const QRect before = form.Import(0)->geometry();
    ASSERT_TRUE(state.FirstLayout);
    ASSERT_FALSE(state.ResizeArmed);
    form.show();
    QApplication::processEvents();
    EXPECT_TRUE(state.ResizeArmed);
    EXPECT_TRUE(state.FirstLayout);
    EXPECT_EQ(form.Import(0)->geometry(), before);
}

TEST_F(ScreenTooLargeForItsVariables, LeavesAUsableWindow) {
    EXPECT_EQ(form.Exit(1)->text(), "Exit");
    EXPECT_GT(form.width(), 0);
    form.setWarningHandler([](const QString&) {});
    QSignalSpy exits(&form, &MainForm::exitRequested);
    QTest::keyClick(form.Exit(1), Qt::Key_Space);
    EXPECT_EQ(exits.count(), 1);
}

} // namespace
} // namespace fambridge
